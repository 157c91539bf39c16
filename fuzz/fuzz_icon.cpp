#include "FuzzCheck.h"

#include "platform/IconExtract.h"

#include <memory>

using namespace tavrin;

namespace {

std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

} // namespace

// An icon found is a one-image .ico whose image follows its entry, both taken from the input, and
// reading that file gives it back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> ico = firstSmallIconAsIco(bytes);
    if (!ico)
        return 0;
    FUZZ_CHECK(ico->size() > 22);
    FUZZ_CHECK(ico->compare(0, 6, std::string("\0\0\1\0\1\0", 6)) == 0);
    FUZZ_CHECK(get32(*ico, 14) == ico->size() - 22);
    FUZZ_CHECK(get32(*ico, 18) == 22);
    // Its entry and its image are the input's own bytes.
    FUZZ_CHECK(bytes.find(std::string_view(*ico).substr(6, 8)) != std::string_view::npos);
    FUZZ_CHECK(bytes.find(std::string_view(*ico).substr(22)) != std::string_view::npos);
    // From a block of its exact size, so that a read past its end is seen.
    const auto exact = std::make_unique<char[]>(ico->size());
    std::copy(ico->begin(), ico->end(), exact.get());
    const std::optional<std::string> again =
        firstSmallIconAsIco(std::string_view(exact.get(), ico->size()));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == *ico);
    return 0;
}
