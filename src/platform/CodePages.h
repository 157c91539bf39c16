#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The Windows code pages a game's own files may be written in, and the host locales under which
// Wine gives a program each of them.
namespace tavrin::codepage {

// In the order a tie is settled: Japanese first, as most games of these tools are.
inline constexpr std::array<int, 7> kCandidates{932, 1252, 936, 950, 949, 1251, 1250};
inline constexpr int kJapanese = 932;

// The bytes of `codePage` as UTF-8; nothing when they are not valid in it.
std::optional<std::string> toUtf8(int codePage, std::string_view bytes);
// UTF-8 in `codePage`; nothing when a character cannot be spelled in it (no best fit).
std::optional<std::string> fromUtf8(int codePage, std::string_view utf8);

// The locale whose ANSI code page Wine takes from LC_ALL ("de_DE.UTF-8" for 1252); nullptr for
// a code page that is no candidate.
const char* localeFor(int codePage);
// The code page as the user reads it, CP932: "1252（西ヨーロッパ）".
std::string shownName(int codePage);

} // namespace tavrin::codepage
