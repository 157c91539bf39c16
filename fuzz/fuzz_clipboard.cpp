#include "FuzzCheck.h"

#include "catalogue/ItemClipboard.h"

using namespace tavrin;

// Whatever another program put on the clipboard, the items pasted from it copy back to data
// that pastes as the same items.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<PastedItem> pasted = parseItemData(bytes);
    std::vector<ProjectItem> items;
    for (const PastedItem& p : pasted)
        items.push_back({p.path, p.title, pkNone});
    const std::string copied = itemDataOf(items);
    FUZZ_CHECK(!copied.empty() && copied.back() == '\0');
    const std::vector<PastedItem> again = parseItemData(copied);
    FUZZ_CHECK(again.size() == pasted.size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        FUZZ_CHECK(again[i].path == pasted[i].path);
        FUZZ_CHECK(again[i].title == pasted[i].title);
    }
    (void)plainTextOf(items);
    return 0;
}
