#include "FuzzCheck.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/CatalogueFind.h"
#include "platform/Cp932.h"

#include <memory>

using namespace tavrin;

namespace {

// Every lead byte of a folded text opens a whole character.
bool wholeCharacters(std::string_view folded) {
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (cp932::isLeadByte(static_cast<unsigned char>(folded[i])) && ++i == folded.size()) {
            return false;
        }
    }
    return true;
}

} // namespace

// A text to find, then a folder's records. The index finds, in order, exactly the records whose
// folded title or path holds the folded text, as holdsFolded tells them one by one; folding
// gives whole characters and folds nothing further when folded again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string text(in.text());
    const auto records = std::make_shared<const std::string>(in.rest());

    const std::string needle = foldForFind(text);
    FUZZ_CHECK(wholeCharacters(needle));
    FUZZ_CHECK(foldForFind(needle) == needle);

    auto source = std::make_shared<FindSource>();
    source->folders.push_back({"F", records, *records, 0});
    const auto index = FindIndex::build(source);
    std::vector<std::uint32_t> expected;
    std::uint32_t entry = 0;
    for (std::size_t pos = 0; pos < records->size();) {
        const std::size_t end = std::min(records->find('\x1D', pos), records->size());
        const auto fields = recordFields(std::string_view(*records).substr(pos, end - pos));
        pos = end + 1;
        if (!fields) {
            continue;
        }
        if (!needle.empty() && (holdsFolded(foldForFind(fields->title), needle) ||
                                holdsFolded(foldForFind(fields->path), needle))) {
            expected.push_back(entry);
        }
        ++entry;
    }
    FUZZ_CHECK(index->size() == entry);
    FUZZ_CHECK(index->find(text) == expected);
    return 0;
}
