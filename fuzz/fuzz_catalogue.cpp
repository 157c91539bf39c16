#include "FuzzCheck.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/FolderTree.h"

using namespace tavrin;

// A catalogue that parses is written back to bytes that parse to the same tree, and the second
// write gives the same bytes: a file the program saves is a file it reads.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FolderTree tree;
    if (parseCatalogue(bytes, tree) != CatalogueParse::ok) {
        FUZZ_CHECK(tree.empty());
        return 0;
    }
    const std::string first = serializeCatalogue(tree);
    FolderTree again;
    FUZZ_CHECK(parseCatalogue(first, again) == CatalogueParse::ok);
    FUZZ_CHECK(again.nodeCount() == tree.nodeCount());
    const auto a = tree.preOrder();
    const auto b = again.preOrder();
    for (std::size_t i = 0; i < a.size(); ++i) {
        FUZZ_CHECK(a[i]->name == b[i]->name);
        FUZZ_CHECK(tree.childCount(a[i]) == again.childCount(b[i]));
        FUZZ_CHECK(a[i]->folder.items == b[i]->folder.items);
    }
    FUZZ_CHECK(serializeCatalogue(again) == first);
    return 0;
}
