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
        if (reinterpret_cast<std::intptr_t>(mCd) == -1)
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
    }
    ~Converter() { iconv_close(mCd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    enum class Stop { Done, Invalid, Incomplete };

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
            if (r != static_cast<std::size_t>(-1))
                return Stop::Done;
            if (error == E2BIG)
                continue;
            return error == EINVAL ? Stop::Incomplete : Stop::Invalid;
        }
        return Stop::Done;
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
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
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
        if (c == 0xE0)
            lo = 0xA0; // overlong
        if (c == 0xED)
            hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0)
            lo = 0x90; // overlong
        if (c == 0xF4)
            hi = 0x8F; // above U+10FFFF
    } else {
        return 1;
    }
    std::size_t i = 1;
    for (; i <= need; ++i) {
        if (i >= s.size())
            return i;
        const auto b = static_cast<unsigned char>(s[i]);
        const bool ok = i == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
        if (!ok)
            return i;
    }
    valid = true;
    return i;
}

} // namespace

std::string fromUtf8(std::string_view utf8) {
    if (isAscii(utf8))
        return std::string(utf8);
    Converter& conv = utf8ToCp932();
    std::string out;
    while (conv.run(utf8, out) != Converter::Stop::Done) {
        bool valid = false;
        out += '?';
        utf8.remove_prefix(utf8Sequence(utf8, valid));
    }
    return out;
}

std::string toUtf8(std::string_view cp932) {
    if (isAscii(cp932))
        return std::string(cp932);
    Converter& conv = cp932ToUtf8();
    std::string out;
    while (conv.run(cp932, out) != Converter::Stop::Done) {
        out += "\xEF\xBF\xBD";
        // A lead byte before a byte that cannot follow it is bad alone, so that byte survives.
        const bool pair = cp932.size() >= 2 && isLeadByte(static_cast<unsigned char>(cp932[0])) &&
                          isTrailByte(static_cast<unsigned char>(cp932[1]));
        cp932.remove_prefix(pair ? 2 : 1);
    }
    return out;
}

std::optional<std::string> toUtf8Strict(std::string_view cp932) {
    if (isAscii(cp932))
        return std::string(cp932);
    std::string out;
    if (cp932ToUtf8().run(cp932, out) != Converter::Stop::Done)
        return std::nullopt;
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        bool valid = false;
        bytes.remove_prefix(utf8Sequence(bytes, valid));
        if (!valid)
            return false;
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
    if (isAscii(hostName) || isValidUtf8(hostName))
        return fromUtf8(hostName);
    if (toUtf8Strict(hostName))
        return std::string(hostName);
    return fromUtf8(hostName);
}

} // namespace tavrin::cp932
