#pragma once

#include "catalogue/CatalogueListener.h"
#include "catalogue/FolderTree.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tavrin {

// The user's collection: the folder tree, every folder's items, and the selected folder that
// the list shows. Item operations act on the selected folder; with no folder selected (only
// after a failed load) they do nothing. Every text that enters is kept as storableText makes it.
class Catalogue {
public:
    // A path's collation key: paths sort by key, then by their bytes, so two different paths
    // never compare equal. A sort of many rows calls it from several threads at once.
    using SortKey = std::function<std::string(const std::string&)>;

    Catalogue() = default;
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    void addListener(CatalogueListener* listener);
    void removeListener(CatalogueListener* listener);

    FolderTree& tree() { return mTree; }
    const FolderTree& tree() const { return mTree; }

    TreeNode* selected() const { return mSelected; }
    // The list first empties, then shows the new folder's rows. Never refused.
    void selectFolder(TreeNode* node);

    // Rows of the list: the selected folder's items.
    int rowCount() const;
    // nullptr when no folder is selected or the row is out of range.
    const ProjectItem* row(int i) const;

    void addFoundItem(std::string path, std::string title, ProjectKind kind);
    // Before the focused row, or at the top when focusedRow is -1.
    void insertPastedItem(std::string path, std::string title, int focusedRow);
    // Inserts before row (clamped to the rows there are), kind kept.
    void insertItem(int row, ProjectItem item);
    // The same for a block, in its order, with one notice: a paste or a move of many rows
    // costs the rows moved, not a pass over the folder for each.
    void insertItems(int row, std::vector<ProjectItem> block);
    // Rows in any order; out-of-range rows and repeats are ignored.
    void removeSelectedItems(const std::vector<int>& selectedRows);
    void clearSelectedFolder();
    void sortAscending(const SortKey& key);
    void sortDescending(const SortKey& key);
    // Puts a folder's items in `order` (each index once, as sortedOrder gives it).
    void applyOrder(TreeNode* folder, const std::vector<std::size_t>& order);
    // Appends to a folder that may not be the one shown.
    void appendItems(TreeNode* folder, const std::vector<ProjectItem>& items);

    TreeNode* addFolder(TreeNode* parent, const std::string& name);
    void renameFolder(TreeNode* node, const std::string& name);
    // Deletes the node and its subtree. A selection inside it moves to the node's next
    // sibling, else its previous sibling, else its parent, else the root.
    void deleteFolder(TreeNode* node);
    // Deletes first, its following siblings and all their descendants.
    void deleteFolderTree(TreeNode* first);
    void clearTree();

    // Replaces the tree as a whole; views rebuild from it. The builder fills the tree; the
    // selection is dropped before and set by the caller after.
    void resetTree(const std::function<void(FolderTree&)>& build);
    // Marks a node's look changed (icons, expansion).
    void touchFolder(TreeNode* node);

private:
    template <typename F> void notify(F f) {
        for (auto* l : mListeners) {
            f(*l);
        }
    }
    void sortSelected(const SortKey& key, bool descending);

    FolderTree mTree;
    TreeNode* mSelected = nullptr;
    std::vector<CatalogueListener*> mListeners;
};

// The order in which paths sort (ascending, or descending), as indexes into `paths`: by key,
// then by bytes. Made on every core for many paths. Empty when `cancelled` turned true.
std::vector<std::size_t> sortedOrder(const std::vector<const std::string*>& paths,
                                     const Catalogue::SortKey& key, bool descending,
                                     const std::atomic<bool>* cancelled = nullptr);

// The key of a CP932 text under the user's collation (LC_COLLATE), which tells case apart.
std::string localeSortKey(const std::string& cp932);

} // namespace tavrin
