#include "FuzzCheck.h"

#include "launch/GameFiles.h"

#include <memory>

using namespace tavrin::gamefiles;

namespace {

// "a.b.c.d", each a 16-bit number.
bool isVersion(const std::string& version) {
    int parts = 0;
    std::size_t at = 0;
    while (at <= version.size()) {
        const std::size_t dot = std::min(version.find('.', at), version.size());
        const std::string part = version.substr(at, dot - at);
        if (part.empty() || part.size() > 5 ||
            part.find_first_not_of("0123456789") != std::string::npos || std::stoi(part) > 65535)
            return false;
        ++parts;
        at = dot + 1;
    }
    return parts == 4;
}

} // namespace

// What a program says of itself comes from its own bytes, in bounded amounts: a few hundred
// DLL names at most, each a name of the input without its terminator; the version is empty or
// "a.b.c.d".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto block = std::make_unique<char[]>(size);
    std::copy(data, data + size, block.get());
    const std::string_view bytes(block.get(), size);
    const std::optional<Runtime> runtime = readRuntime(bytes);
    if (!runtime)
        return 0;
    FUZZ_CHECK(bytes.substr(0, 2) == "MZ");
    FUZZ_CHECK(runtime->imports.size() <= 256);
    for (const std::string& name : runtime->imports) {
        FUZZ_CHECK(!name.empty() && name.size() <= 260);
        FUZZ_CHECK(name.find('\0') == std::string::npos);
        FUZZ_CHECK(bytes.find(name + '\0') != std::string_view::npos);
    }
    FUZZ_CHECK(runtime->version.empty() || isVersion(runtime->version));
    return 0;
}
