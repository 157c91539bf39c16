#include "platform/Cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>

namespace tavrin::cp932 {

namespace {

// iconv_open costs far more than a short conversion and every catalogue row is converted for
// display, so each thread keeps its own descriptors (a descriptor is not safe to share).
class Converter {
public:
    Converter(const char* to, const char* from) : mCd(iconv_open(to, from)) {
        if (reinterpret_cast<std::intptr_t>(mCd) == -1) {
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
        }
    }
    ~Converter() { iconv_close(mCd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    enum class Stop { done, invalid, incomplete };

    // Converts until the end or the first bad sequence; `in` is left at that sequence. Each call
    // costs only what it converts, as a text of bad bytes makes one call per byte.
    Stop run(std::string_view& in, std::string& out) {
        iconv(mCd, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (!in.empty()) {
            char* inPtr = const_cast<char*>(in.data());
            std::size_t inLeft = in.size();
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = iconv(mCd, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = errno;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            in.remove_prefix(in.size() - inLeft);
            if (r != static_cast<std::size_t>(-1)) {
                return Stop::done;
            }
            if (error == E2BIG) {
                continue;
            }
            return error == EINVAL ? Stop::incomplete : Stop::invalid;
        }
        return Stop::done;
    }

private:
    iconv_t mCd;
};

Converter& utf8ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& cp932ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

// Both codecs agree with ASCII, so the common all-ASCII text needs no conversion.
bool isAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// Length of the UTF-8 sequence at the start of s when valid; otherwise the length of its
// longest valid beginning (at least 1), which counts as one bad character.
std::size_t utf8Sequence(std::string_view s, bool& valid) {
    const auto c = static_cast<unsigned char>(s[0]);
    valid = false;
    std::size_t need = 0;
    unsigned char lo = 0x80, hi = 0xBF; // range of the second byte
    if (c < 0x80) {
        valid = true;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0) {
            lo = 0xA0; // overlong
        }
        if (c == 0xED) {
            hi = 0x9F; // surrogates
        }
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0) {
            lo = 0x90; // overlong
        }
        if (c == 0xF4) {
            hi = 0x8F; // above U+10FFFF
        }
    } else {
        return 1;
    }
    std::size_t i = 1;
    for (; i <= need; ++i) {
        if (i >= s.size()) {
            return i;
        }
        const auto b = static_cast<unsigned char>(s[i]);
        const bool ok = i == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
        if (!ok) {
            return i;
        }
    }
    valid = true;
    return i;
}

// The code point of a valid UTF-8 sequence.
char32_t codePoint(std::string_view sequence) {
    const auto first = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1) {
        return first;
    }
    char32_t c = first & (0x7F >> sequence.size());
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        c = (c << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    }
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void appendHex(std::string& out, char32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        out += "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
}

// A name's character CP932 cannot hold is written "<U+XXXX>". A byte of a host name that is no
// character at all (not UTF-8, and the name not CP932 either) is written "<X+HH>": "<U+FFFD>"
// would name no file, while the raw byte comes back on the host as it was. "<" cannot stand in a
// Windows file name, so no Windows path names another folder by it.
struct Escape {
    std::size_t length = 0;
    char32_t value = 0;
    bool rawByte = false;
};

void appendEscape(std::string& out, char32_t c) {
    out += "<U+";
    appendHex(out, c, c > 0xFFFFF ? 6 : c > 0xFFFF ? 5 : 4);
    out += '>';
}

// The escape at the start of `text`, read in either case as Windows names are. One spelling per
// value (no leading zero past four digits), so a name has a single escaped form. Never NUL, "."
// or "/", which would let a component name something else on the host.
std::optional<Escape> readEscape(std::string_view text) {
    if (text.size() < 6 || text[0] != '<' || text[2] != '+') {
        return std::nullopt;
    }
    const bool rawByte = text[1] == 'X' || text[1] == 'x';
    if (!rawByte && text[1] != 'U' && text[1] != 'u') {
        return std::nullopt;
    }
    // "<U+10FFFF>" is the longest; looking no further keeps a text of many "<" linear.
    const std::size_t end = text.substr(0, 10).find('>', 3);
    const std::size_t digits = end == std::string_view::npos ? 0 : end - 3;
    if (rawByte ? digits != 2 : digits < 4 || digits > 6) {
        return std::nullopt;
    }
    if (digits > 4 && text[3] == '0') {
        return std::nullopt;
    }
    char32_t value = 0;
    for (std::size_t i = 3; i < end; ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<char32_t>(d);
    }
    if (rawByte ? value < 0x80
                : value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) || value == 0 ||
                      value == '.' || value == '/') {
        return std::nullopt;
    }
    return Escape{end + 1, value, rawByte};
}

// The UTF-8 of CP932 bytes as they are, escapes not read; nothing for bytes that are not CP932.
std::optional<std::string> plainStrict(std::string_view cp932) {
    if (isAscii(cp932)) {
        return std::string(cp932);
    }
    std::string out;
    if (cp932ToUtf8().run(cp932, out) != Converter::Stop::done) {
        return std::nullopt;
    }
    return out;
}

void appendPlainLoose(std::string_view cp932, std::string& out) {
    if (isAscii(cp932)) {
        out += cp932;
        return;
    }
    Converter& conv = cp932ToUtf8();
    while (conv.run(cp932, out) != Converter::Stop::done) {
        out += "\xEF\xBF\xBD";
        // A lead byte before a byte that cannot follow it is bad alone, so that byte survives.
        const bool pair = cp932.size() >= 2 && isLeadByte(static_cast<unsigned char>(cp932[0])) &&
                          isTrailByte(static_cast<unsigned char>(cp932[1]));
        cp932.remove_prefix(pair ? 2 : 1);
    }
}

enum class Bad { replace, refuse };

// CP932 to UTF-8 with the escapes read; "<X+HH>" as its byte only for a host name. False when a
// bad byte is refused.
bool decode(std::string_view cp932, bool rawBytes, Bad bad, std::string& out) {
    for (;;) {
        // "<" is never a trail byte, so each one found starts a character.
        std::size_t at = cp932.find('<');
        Escape e;
        for (; at != std::string_view::npos; at = cp932.find('<', at + 1)) {
            if (const std::optional<Escape> read = readEscape(cp932.substr(at));
                read && (rawBytes || !read->rawByte)) {
                e = *read;
                break;
            }
        }
        const std::string_view plain = cp932.substr(0, at);
        if (bad == Bad::replace) {
            appendPlainLoose(plain, out);
        } else if (const std::optional<std::string> utf8 = plainStrict(plain)) {
            out += *utf8;
        } else {
            return false;
        }
        if (at == std::string_view::npos) {
            return true;
        }
        if (e.rawByte) {
            out += static_cast<char>(e.value);
        } else {
            appendUtf8(out, e.value);
        }
        cp932.remove_prefix(at + e.length);
    }
}

// Appends the CP932 of valid UTF-8, escaping each character that CP932 cannot hold as itself:
// the converter drops some (U+E0000 and up) and gives others another character's code ("¥" the
// "\" that parts a path, "¢" the full-width one), which would name another file.
void appendHeld(std::string_view utf8, std::string& out) {
    if (isAscii(utf8)) {
        out += utf8;
        return;
    }
    std::string cp932;
    const auto held = [&cp932](std::string_view text) {
        cp932.clear();
        std::string_view in = text; // the converter consumes it
        return utf8ToCp932().run(in, cp932) == Converter::Stop::done && plainStrict(cp932) == text;
    };
    if (held(utf8)) {
        out += cp932;
        return;
    }
    while (!utf8.empty()) {
        bool valid = false;
        const std::string_view character = utf8.substr(0, utf8Sequence(utf8, valid));
        utf8.remove_prefix(character.size());
        if (held(character)) {
            out += cp932;
        } else {
            appendEscape(out, codePoint(character));
        }
    }
}

// What fromUtf8Lossless and fromHostName share; `hostName` escapes "\" too, and every "<" that
// reads as an escape, since the host side turns both kinds back.
std::string encode(std::string_view utf8, bool hostName) {
    const std::string_view special = hostName ? "<\\" : "<";
    if (isAscii(utf8) && utf8.find_first_of(special) == std::string_view::npos) {
        return std::string(utf8);
    }
    std::string out;
    std::size_t run = 0; // start of the text not yet written
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            const std::optional<Escape> e = c == '<' ? readEscape(utf8.substr(i)) : std::nullopt;
            if ((e && (hostName || !e->rawByte)) || (hostName && c == '\\')) {
                appendHeld(utf8.substr(run, i - run), out);
                appendEscape(out, c);
                run = i + 1;
            }
            ++i;
            continue;
        }
        bool valid = false;
        const std::size_t n = utf8Sequence(utf8.substr(i), valid);
        if (!valid) {
            appendHeld(utf8.substr(run, i - run), out);
            for (std::size_t b = i; b < i + n; ++b) {
                out += "<X+";
                appendHex(out, static_cast<unsigned char>(utf8[b]), 2);
                out += '>';
            }
            run = i + n;
        }
        i += n;
    }
    appendHeld(utf8.substr(run), out);
    return out;
}

// A valid CP932 host name as it is, but for the escapes encode() makes of ASCII.
std::string escapedCp932Name(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < name.size()) {
            out += c;
            out += name[++i];
        } else if (c == '\\' || (c == '<' && readEscape(name.substr(i)))) {
            appendEscape(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string fromUtf8(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    Converter& conv = utf8ToCp932();
    std::string out;
    while (conv.run(utf8, out) != Converter::Stop::done) {
        bool valid = false;
        out += '?';
        utf8.remove_prefix(utf8Sequence(utf8, valid));
    }
    return out;
}

std::string fromUtf8Lossless(std::string_view utf8) {
    return encode(utf8, false);
}

std::string toUtf8(std::string_view cp932) {
    if (cp932.find('<') == std::string_view::npos) {
        std::string out;
        appendPlainLoose(cp932, out);
        return out;
    }
    std::string out;
    decode(cp932, false, Bad::replace, out);
    return out;
}

std::optional<std::string> toUtf8Strict(std::string_view cp932) {
    if (cp932.find('<') == std::string_view::npos) {
        return plainStrict(cp932);
    }
    std::string out;
    if (!decode(cp932, false, Bad::refuse, out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> toHostName(std::string_view cp932) {
    if (cp932.find('<') == std::string_view::npos) {
        return plainStrict(cp932);
    }
    std::string out;
    if (!decode(cp932, true, Bad::refuse, out)) {
        return std::nullopt;
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        bool valid = false;
        bytes.remove_prefix(utf8Sequence(bytes, valid));
        if (!valid) {
            return false;
        }
    }
    return true;
}

std::size_t lastCharStart(std::string_view cp932) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < cp932.size();) {
        last = i;
        i += isLeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
    }
    return last;
}

std::string fromHostName(std::string_view hostName) {
    if (!isValidUtf8(hostName) && plainStrict(hostName)) {
        return escapedCp932Name(hostName);
    }
    return encode(hostName, true);
}

} // namespace tavrin::cp932
