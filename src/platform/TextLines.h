#pragma once

#include <string_view>
#include <vector>

namespace tavrin {

// A line ends at CR, at LF or at a CR LF pair; a final line without a break counts, and no
// empty line follows the last break. Profile files keep their own rule (ProfileFile.cpp).
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace tavrin
