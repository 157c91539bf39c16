#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The last lines of a Windows program's output under Wine worth showing, CP932: Wine's
// "fixme" lines left out, control bytes dropped, each line and their number bounded.
std::string lastOutputLines(std::string_view output);

} // namespace tavrin
