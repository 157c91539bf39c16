#include "FuzzCheck.h"

#include "launch/GameCodePage.h"
#include "platform/CodePages.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace tavrin;

// Whatever the bytes, the answer is a candidate, and the order of the file names changes nothing.
// The input: how many names, where the database ends and the map tree begins (a 256th of the
// rest), the names each ending in a zero byte, then both files.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const int count = input.byte() % 16;
    const std::size_t split = input.byte();
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.emplace_back(input.text());
    const std::string_view rest = input.rest();
    // Blocks of the files' exact sizes, so a read past their ends is seen.
    const auto block = std::make_unique<char[]>(rest.size());
    std::copy(rest.begin(), rest.end(), block.get());
    const std::size_t cut = rest.size() * split / 256;
    const std::string_view ldb(block.get(), cut);
    const std::string_view lmt(block.get() + cut, rest.size() - cut);

    const int codePage = gamecodepage::decide(ldb, lmt, names);
    FUZZ_CHECK(std::count(codepage::kCandidates.begin(), codepage::kCandidates.end(), codePage) ==
               1);
    std::reverse(names.begin(), names.end());
    FUZZ_CHECK(gamecodepage::decide(ldb, lmt, names) == codePage);
    return 0;
}
