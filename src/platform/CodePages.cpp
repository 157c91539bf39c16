#include "platform/CodePages.h"

#include "platform/Cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace tavrin::codepage {

namespace {

constexpr std::size_t kNone = kCandidates.size();

std::size_t indexOf(int codePage) {
    for (std::size_t k = 0; k < kCandidates.size(); ++k) {
        if (kCandidates[k] == codePage) {
            return k;
        }
    }
    return kNone;
}

// glibc's names; its CP932 is Microsoft's table, not plain Shift_JIS.
const char* iconvName(int codePage) {
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 950:
        return "CP950";
    case 949:
        return "CP949";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    default:
        return nullptr;
    }
}

class Converter {
public:
    Converter(const char* to, const char* from) : mCd(iconv_open(to, from)) {}
    ~Converter() {
        if (isOpen()) {
            iconv_close(mCd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The whole text converted, or nothing at the first sequence that cannot be.
    std::optional<std::string> convert(std::string_view in) {
        if (!isOpen()) {
            return std::nullopt;
        }
        iconv(mCd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char buffer[1024];
        while (!in.empty()) {
            char* inPtr = const_cast<char*>(in.data());
            std::size_t inLeft = in.size();
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = iconv(mCd, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = errno;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            in.remove_prefix(in.size() - inLeft);
            if (r == static_cast<std::size_t>(-1) && error != E2BIG) {
                return std::nullopt;
            }
        }
        return out;
    }

private:
    bool isOpen() const { return reinterpret_cast<std::intptr_t>(mCd) != -1; }

    iconv_t mCd;
};

// Opening a descriptor costs far more than converting a name, and one is not safe to share, so
// each thread keeps its own, opened when first needed.
Converter& converter(std::size_t candidate, bool toUtf8) {
    thread_local std::array<std::unique_ptr<Converter>, kCandidates.size() * 2> converters;
    std::unique_ptr<Converter>& c = converters[candidate * 2 + (toUtf8 ? 1 : 0)];
    if (!c) {
        const char* name = iconvName(kCandidates[candidate]);
        c = toUtf8 ? std::make_unique<Converter>("UTF-8", name)
                   : std::make_unique<Converter>(name, "UTF-8");
    }
    return *c;
}

// Every candidate spells ASCII as itself.
bool isAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::string> toUtf8(int codePage, std::string_view bytes) {
    const std::size_t k = indexOf(codePage);
    if (k == kNone) {
        return std::nullopt;
    }
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    return converter(k, true).convert(bytes);
}

std::optional<std::string> fromUtf8(int codePage, std::string_view utf8) {
    const std::size_t k = indexOf(codePage);
    if (k == kNone) {
        return std::nullopt;
    }
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    std::optional<std::string> bytes = converter(k, false).convert(utf8);
    // glibc gives some characters a neighbour's bytes one way only (CP932 takes U+301C for
    // U+FF5E's 0x8160), which is the best fit Windows would refuse: the runtime reading those
    // bytes back asks for the neighbour's name.
    if (bytes && converter(k, true).convert(*bytes) != utf8) {
        return std::nullopt;
    }
    return bytes;
}

const char* localeFor(int codePage) {
    switch (codePage) {
    case 932:
        return "ja_JP.UTF-8";
    case 936:
        return "zh_CN.UTF-8";
    case 950:
        return "zh_TW.UTF-8";
    case 949:
        return "ko_KR.UTF-8";
    case 1251:
        return "ru_RU.UTF-8";
    case 1250:
        return "pl_PL.UTF-8";
    case 1252:
        return "de_DE.UTF-8";
    default:
        return nullptr;
    }
}

std::string shownName(int codePage) {
    switch (codePage) {
    case 932:
        return sj("932（日本語）");
    case 1252:
        return sj("1252（西ヨーロッパ）");
    case 936:
        return sj("936（簡体字中国語）");
    case 950:
        return sj("950（繁体字中国語）");
    case 949:
        return sj("949（韓国語）");
    case 1251:
        return sj("1251（キリル）");
    case 1250:
        return sj("1250（中央ヨーロッパ）");
    default:
        return std::to_string(codePage);
    }
}

} // namespace tavrin::codepage
