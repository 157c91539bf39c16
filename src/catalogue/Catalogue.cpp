#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <numeric>
#include <thread>

namespace tavrin {

namespace {

// Every item enters through here, from a search, a paste or another folder: a separator in
// its texts or its kind byte would break the file's framing at the next close.
ProjectItem storable(ProjectItem item) {
    item.path = storableText(item.path);
    item.title = storableText(item.title);
    if (item.kind == 0x1D || item.kind == 0x1E) {
        item.kind = pkNone;
    }
    return item;
}

} // namespace

void Catalogue::addListener(CatalogueListener* listener) {
    mListeners.push_back(listener);
}

void Catalogue::removeListener(CatalogueListener* listener) {
    std::erase(mListeners, listener);
}

void Catalogue::selectFolder(TreeNode* node) {
    if (node == mSelected) {
        return;
    }
    notify([&](CatalogueListener& l) { l.selectionAboutToChange(mSelected); });
    notify([](CatalogueListener& l) { l.itemsAboutToReset(); });
    mSelected = node;
    notify([](CatalogueListener& l) { l.itemsReset(); });
    notify([&](CatalogueListener& l) { l.selectionChanged(mSelected); });
}

int Catalogue::rowCount() const {
    return mSelected ? static_cast<int>(mSelected->folder.items.size()) : 0;
}

const ProjectItem* Catalogue::row(int i) const {
    if (!mSelected || i < 0 || i >= rowCount()) {
        return nullptr;
    }
    return &mSelected->folder.items[static_cast<std::size_t>(i)];
}

void Catalogue::addFoundItem(std::string path, std::string title, ProjectKind kind) {
    if (!mSelected) {
        return;
    }
    const int at = rowCount();
    notify([&](CatalogueListener& l) { l.itemsAboutToBeInserted(at, at); });
    mSelected->folder.items.push_back(storable({std::move(path), std::move(title), kind}));
    notify([](CatalogueListener& l) { l.itemsInserted(); });
}

void Catalogue::insertPastedItem(std::string path, std::string title, int focusedRow) {
    insertItem(focusedRow < 0 ? 0 : focusedRow, {std::move(path), std::move(title), pkNone});
}

void Catalogue::insertItem(int row, ProjectItem item) {
    if (!mSelected) {
        return;
    }
    const int at = std::clamp(row, 0, rowCount());
    notify([&](CatalogueListener& l) { l.itemsAboutToBeInserted(at, at); });
    auto& items = mSelected->folder.items;
    items.insert(items.begin() + at, storable(std::move(item)));
    notify([](CatalogueListener& l) { l.itemsInserted(); });
}

void Catalogue::insertItems(int row, std::vector<ProjectItem> block) {
    if (!mSelected || block.empty()) {
        return;
    }
    const int at = std::clamp(row, 0, rowCount());
    const int last = at + static_cast<int>(block.size()) - 1;
    for (ProjectItem& item : block) {
        item = storable(std::move(item));
    }
    notify([&](CatalogueListener& l) { l.itemsAboutToBeInserted(at, last); });
    auto& items = mSelected->folder.items;
    items.insert(items.begin() + at, std::make_move_iterator(block.begin()),
                 std::make_move_iterator(block.end()));
    notify([](CatalogueListener& l) { l.itemsInserted(); });
}

void Catalogue::removeSelectedItems(const std::vector<int>& selectedRows) {
    if (!mSelected) {
        return;
    }
    auto& items = mSelected->folder.items;
    const int count = rowCount();
    std::vector<char> selected(static_cast<std::size_t>(count), 0);
    int n = 0;
    for (int r : selectedRows) {
        if (r >= 0 && r < count && !selected[static_cast<std::size_t>(r)]) {
            selected[static_cast<std::size_t>(r)] = 1;
            ++n;
        }
    }
    if (n < 1) {
        return;
    }
    // Contiguous runs, last first, so the rows still to be visited keep their indexes.
    std::vector<std::pair<int, int>> runs;
    for (int i = count - 1; i >= 0;) {
        if (!selected[static_cast<std::size_t>(i)]) {
            --i;
            continue;
        }
        int last = i;
        while (i >= 0 && selected[static_cast<std::size_t>(i)]) {
            --i;
        }
        runs.emplace_back(i + 1, last);
    }
    // Many scattered runs: one pass and one reset beat a removal notice per run.
    constexpr std::size_t kMaxRunNotices = 64;
    if (runs.size() > kMaxRunNotices) {
        notify([](CatalogueListener& l) { l.itemsAboutToReset(); });
        std::size_t out = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!selected[i]) {
                if (out != i) {
                    items[out] = std::move(items[i]);
                }
                ++out;
            }
        }
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(out), items.end());
        notify([](CatalogueListener& l) { l.itemsReset(); });
        return;
    }
    for (const auto& run : runs) {
        notify([&](CatalogueListener& l) { l.itemsAboutToBeRemoved(run.first, run.second); });
        items.erase(items.begin() + run.first, items.begin() + run.second + 1);
        notify([](CatalogueListener& l) { l.itemsRemoved(); });
    }
}

void Catalogue::clearSelectedFolder() {
    if (!mSelected) {
        return;
    }
    notify([](CatalogueListener& l) { l.itemsAboutToReset(); });
    mSelected->folder.items.clear();
    notify([](CatalogueListener& l) { l.itemsReset(); });
}

void Catalogue::sortAscending(const SortKey& key) {
    sortSelected(key, false);
}

void Catalogue::sortDescending(const SortKey& key) {
    sortSelected(key, true);
}

void Catalogue::sortSelected(const SortKey& key, bool descending) {
    if (!mSelected || rowCount() < 2) {
        return;
    }
    std::vector<const std::string*> paths;
    paths.reserve(mSelected->folder.items.size());
    for (const ProjectItem& item : mSelected->folder.items.items()) {
        paths.push_back(&item.path);
    }
    applyOrder(mSelected, sortedOrder(paths, key, descending));
}

void Catalogue::applyOrder(TreeNode* folder, const std::vector<std::size_t>& order) {
    auto& items = folder->folder.items.items();
    if (order.size() != items.size()) {
        return;
    }
    std::deque<ProjectItem> sorted;
    for (const std::size_t i : order) {
        sorted.push_back(std::move(items[i]));
    }
    items.swap(sorted);
    if (folder == mSelected && !items.empty()) {
        const int last = rowCount() - 1;
        notify([&](CatalogueListener& l) { l.itemsChanged(0, last); });
    }
}

std::vector<std::size_t> sortedOrder(const std::vector<const std::string*>& paths,
                                     const Catalogue::SortKey& key, bool descending,
                                     const std::atomic<bool>* cancelled) {
    const std::size_t n = paths.size();
    // Keys once per path, shared out over the cores: a collation key is far dearer than a
    // comparison of keys.
    std::vector<std::string> keys(n);
    std::atomic<bool> stopped = false;
    const auto makeKeys = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (cancelled && i % 4096 == 0 && cancelled->load()) {
                stopped = true;
                return;
            }
            keys[i] = key(*paths[i]);
        }
    };
    const std::size_t threads =
        n < 20000 ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(makeKeys, n * t / threads, n * (t + 1) / threads);
    }
    makeKeys(0, n / threads);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (stopped) {
        return {};
    }
    // The first bytes of each key beside its index: most comparisons end there, without a
    // visit to the key itself.
    struct Entry {
        std::uint64_t head;
        std::size_t index;
    };
    std::vector<Entry> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t head = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            head = head << 8 | (b < keys[i].size() ? static_cast<unsigned char>(keys[i][b]) : 0);
        }
        order[i] = {head, i};
    }
    std::sort(order.begin(), order.end(), [&](const Entry& a, const Entry& b) {
        int c = a.head < b.head ? -1 : a.head > b.head ? 1 : keys[a.index].compare(keys[b.index]);
        if (c == 0) {
            c = paths[a.index]->compare(*paths[b.index]);
        }
        return descending ? c > 0 : c < 0;
    });
    std::vector<std::size_t> indexes;
    indexes.reserve(n);
    for (const Entry& e : order) {
        indexes.push_back(e.index);
    }
    return indexes;
}

void Catalogue::appendItems(TreeNode* folder, const std::vector<ProjectItem>& items) {
    if (!folder || items.empty()) {
        return;
    }
    const bool shown = folder == mSelected;
    const int first = static_cast<int>(folder->folder.items.size());
    const int last = first + static_cast<int>(items.size()) - 1;
    if (shown) {
        notify([&](CatalogueListener& l) { l.itemsAboutToBeInserted(first, last); });
    }
    for (const ProjectItem& item : items) {
        folder->folder.items.push_back(storable(item));
    }
    if (shown) {
        notify([](CatalogueListener& l) { l.itemsInserted(); });
    }
}

TreeNode* Catalogue::addFolder(TreeNode* parent, const std::string& name) {
    const int row = mTree.childCount(parent);
    notify([&](CatalogueListener& l) { l.folderAboutToBeInserted(parent, row); });
    TreeNode* node = mTree.append(parent, storableText(name));
    if (mTree.isRoot(node)) {
        node->imageIndex = node->selectedIndex = tiProgram;
    }
    notify([&](CatalogueListener& l) { l.folderInserted(node); });
    selectFolder(node);
    return node;
}

void Catalogue::renameFolder(TreeNode* node, const std::string& name) {
    if (!node) {
        return;
    }
    node->name = storableText(name);
    notify([&](CatalogueListener& l) { l.folderChanged(node); });
}

void Catalogue::touchFolder(TreeNode* node) {
    if (node) {
        notify([&](CatalogueListener& l) { l.folderChanged(node); });
    }
}

void Catalogue::deleteFolder(TreeNode* node) {
    if (!node) {
        return;
    }
    TreeNode* next = nullptr;
    const bool selectionGoes = mSelected && (mSelected == node || node->isAncestorOf(mSelected));
    if (selectionGoes) {
        TreeNode* parent = mTree.parentOf(node);
        const int row = node->row();
        next = mTree.childAt(parent, row + 1);
        if (!next) {
            next = row > 0 ? mTree.childAt(parent, row - 1) : parent;
        }
        selectFolder(nullptr);
    }
    notify([&](CatalogueListener& l) { l.folderAboutToBeRemoved(node); });
    mTree.remove(node);
    notify([](CatalogueListener& l) { l.folderRemoved(); });
    if (selectionGoes) {
        selectFolder(next ? next : mTree.root());
    }
}

void Catalogue::deleteFolderTree(TreeNode* first) {
    if (!first) {
        return;
    }
    TreeNode* parent = mTree.parentOf(first);
    const int from = first->row();
    while (mTree.childCount(parent) > from) {
        deleteFolder(mTree.childAt(parent, mTree.childCount(parent) - 1));
    }
}

void Catalogue::clearTree() {
    resetTree([](FolderTree&) {});
}

void Catalogue::resetTree(const std::function<void(FolderTree&)>& build) {
    selectFolder(nullptr);
    notify([](CatalogueListener& l) { l.treeAboutToReset(); });
    mTree.clear();
    build(mTree);
    notify([](CatalogueListener& l) { l.treeReset(); });
}

std::string localeSortKey(const std::string& cp932) {
    const std::string utf8 = cp932::toUtf8(cp932);
    std::wstring wide;
    std::mbstate_t state{};
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    // The conversion follows LC_CTYPE; a byte it refuses keeps its place as its own value.
    while (p < end) {
        wchar_t wc = 0;
        std::size_t n = std::mbrtowc(&wc, p, static_cast<std::size_t>(end - p), &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2) || n == 0) {
            wc = static_cast<unsigned char>(*p);
            n = 1;
            state = {};
        }
        wide.push_back(wc);
        p += n;
    }
    std::size_t need = std::wcsxfrm(nullptr, wide.c_str(), 0);
    std::wstring transformed(need + 1, L'\0');
    std::wcsxfrm(transformed.data(), wide.c_str(), need + 1);
    transformed.resize(need);
    std::string key;
    key.reserve(transformed.size() * 4);
    for (wchar_t w : transformed) {
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): a wchar_t, not a char; all bits are kept
        auto u = static_cast<std::uint32_t>(w);
        key.push_back(static_cast<char>(u >> 24));
        key.push_back(static_cast<char>(u >> 16));
        key.push_back(static_cast<char>(u >> 8));
        key.push_back(static_cast<char>(u));
    }
    return key;
}

} // namespace tavrin
