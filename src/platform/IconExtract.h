#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// The first icon of an .ico file or of a program's (PE: .exe/.dll, PE32 and PE32+) icon
// resources, at the small size (16 x 16), as the bytes of a one-image .ico file, or nothing
// when the bytes hold no icon.
std::optional<std::string> firstSmallIconAsIco(std::string_view fileBytes);

} // namespace tavrin
