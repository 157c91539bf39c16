#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin::cp932 {

// True for a byte that opens a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// UTF-8 to CP932 for a text that names no file (a path takes fromUtf8Lossless). A character
// CP932 cannot hold, or a malformed UTF-8 sequence, becomes "?".
std::string fromUtf8(std::string_view utf8);

// UTF-8 to CP932 without loss, for a path the user gives: a character CP932 cannot hold as
// itself becomes the escape "<U+XXXX>" (upper-case hex, 4 to 6 digits: "<U+00F6>", "<U+1F600>"),
// as host names do, so the path still names that folder. A "<" that would read as such an escape
// becomes "<U+003C>"; "<X+HH>" is kept, naming the raw byte a shown path holds.
std::string fromUtf8Lossless(std::string_view utf8);

// CP932 to UTF-8, each "<U+XXXX>" escape as its character; "<X+HH>" stays as it is, being no
// character. A byte sequence that is not CP932 becomes U+FFFD.
std::string toUtf8(std::string_view cp932);

// CP932 to UTF-8 as toUtf8, or nothing when the bytes are not valid CP932.
std::optional<std::string> toUtf8Strict(std::string_view cp932);

// The host bytes a name or path stands for: toUtf8Strict with each "<X+HH>" as its byte.
std::optional<std::string> toHostName(std::string_view cp932);

// True when the bytes are valid UTF-8.
bool isValidUtf8(std::string_view bytes);

// Offset of the first byte of the last character, or npos for an empty text.
std::size_t lastCharStart(std::string_view cp932);

// A host file name (or host path) as CP932, without loss: a UTF-8 name is converted as by
// fromUtf8Lossless, with "\" also escaped, since in the program's paths it parts names; a name
// that is not UTF-8 but is valid CP932 (unpacked from a Windows archive) is taken as it is, but
// for the same escapes; any other byte that is no UTF-8 becomes "<X+HH>". toHostName turns the
// result back into the name.
std::string fromHostName(std::string_view hostName);

} // namespace tavrin::cp932

namespace tavrin {
// A fixed text of the program, written in the sources as UTF-8, as it enters data.
inline std::string sj(std::string_view utf8) {
    return cp932::fromUtf8(utf8);
}
} // namespace tavrin
