#include "FuzzCheck.h"

#include "platform/Cp932.h"

using namespace tavrin;

namespace {

// Names and paths lose nothing: a host name comes back from its CP932 form byte for byte (one
// that is CP932 already comes back as its UTF-8), and a path typed in shows again as typed.
void checkLossless(std::string_view bytes) {
    const std::string name = cp932::fromHostName(bytes);
    FUZZ_CHECK(cp932::toUtf8Strict(name).has_value());
    if (cp932::isValidUtf8(bytes) || !cp932::toUtf8Strict(bytes)) {
        FUZZ_CHECK(cp932::toHostName(name) == bytes);
    } else if (bytes.find('<') == std::string_view::npos) {
        FUZZ_CHECK(cp932::toHostName(name) == cp932::toUtf8Strict(bytes));
    }
    if (cp932::isValidUtf8(bytes)) {
        const std::string typed = cp932::fromUtf8Lossless(bytes);
        FUZZ_CHECK(cp932::toUtf8Strict(typed) == bytes);
    }
}

} // namespace

// Valid CP932 survives the trip to UTF-8 and back; any bytes convert without fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string loose = cp932::toUtf8(bytes);
    FUZZ_CHECK(cp932::isValidUtf8(loose));
    const std::optional<std::string> strict = cp932::toUtf8Strict(bytes);
    if (strict) {
        FUZZ_CHECK(*strict == loose);
        FUZZ_CHECK(cp932::isValidUtf8(*strict));
        const std::string back = cp932::fromUtf8(*strict);
        // Code points with two CP932 spellings (NEC and IBM rows) come back as one of them, which
        // then stays put. An escape comes back as its character, so only texts without one.
        if (back != bytes && bytes.find('<') == std::string_view::npos) {
            FUZZ_CHECK(back.size() == bytes.size());
            FUZZ_CHECK(cp932::toUtf8Strict(back) == strict);
        }
        checkLossless(*strict);
        const std::size_t last = cp932::lastCharStart(bytes);
        FUZZ_CHECK(bytes.empty() ? last == std::string_view::npos : last < bytes.size());
        if (!bytes.empty())
            FUZZ_CHECK(cp932::toUtf8Strict(bytes.substr(0, last)).has_value());
    }
    const std::string fromUtf8 = cp932::fromUtf8(bytes);
    if (cp932::isValidUtf8(bytes)) {
        // "?" stands for what CP932 cannot hold, so the text converts back to valid CP932.
        FUZZ_CHECK(cp932::toUtf8Strict(fromUtf8).has_value());
    }
    checkLossless(bytes);
    checkLossless(loose);
    return 0;
}
