#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// A line ends at CR, at LF or at a CR LF pair; a final line without a break counts, and no
// empty line follows the last break. Profile files keep their own rule (ProfileFile.cpp).
std::vector<std::string_view> splitLines(std::string_view text);

// A name read from outside (a game's files), fit to stand inside a line: control bytes and
// whatever is no printable CP932 character dropped (a lead byte without its trail byte too),
// then at most `longest` bytes of whole characters, "…" ending what was cut.
std::string shownName(std::string_view cp932, std::size_t longest = 64);

// How many names of an outside list are shown; moreNames(n) stands for the n left unshown.
inline constexpr std::size_t kNamesShown = 5;
std::string moreNames(std::size_t more);

} // namespace tavrin
