#include "FuzzCheck.h"

#include "launch/GameFiles.h"

#include <memory>

using namespace tavrin::gamefiles;

// A title picture name found is some of the input's own bytes, and a copy of the input of its
// exact size reads the same. Only a database has an edition.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto block = std::make_unique<char[]>(size);
    std::copy(data, data + size, block.get());
    const std::string_view bytes(block.get(), size);
    FUZZ_CHECK(databaseKind(bytes) == RuntimeKind::unknown ||
               bytes.find("LcfDataBase") != std::string_view::npos);
    const std::optional<std::string> name = titlePictureName(bytes);
    if (!name)
        return 0;
    FUZZ_CHECK(!name->empty());
    const std::size_t header = bytes.find("LcfDataBase");
    FUZZ_CHECK(header != std::string_view::npos);
    FUZZ_CHECK(bytes.find(*name, header + 11) != std::string_view::npos);
    return 0;
}
