#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin::cp932 {

// True for a byte that opens a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// UTF-8 to CP932. A character CP932 cannot hold, or a malformed UTF-8 sequence, becomes "?".
std::string fromUtf8(std::string_view utf8);

// CP932 to UTF-8. A byte sequence that is not CP932 becomes U+FFFD.
std::string toUtf8(std::string_view cp932);

// CP932 to UTF-8, or nothing when the bytes are not valid CP932.
std::optional<std::string> toUtf8Strict(std::string_view cp932);

// True when the bytes are valid UTF-8.
bool isValidUtf8(std::string_view bytes);

// Offset of the first byte of the last character, or npos for an empty text.
std::size_t lastCharStart(std::string_view cp932);

// A host file name as CP932: a UTF-8 name is converted, a name that is not UTF-8 but is valid
// CP932 (unpacked from a Windows archive) is taken as it is.
std::string fromHostName(std::string_view hostName);

} // namespace tavrin::cp932

namespace tavrin {
// A fixed text of the program, written in the sources as UTF-8, as it enters data.
inline std::string sj(std::string_view utf8) {
    return cp932::fromUtf8(utf8);
}
} // namespace tavrin
