// Catalogues for tests: a folder tree with its items in one expression, and catalogue files put
// together byte by byte.
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace tavrin::test {

// Folders in outline order, each name's leading '>'s giving its depth:
//   CatalogueTree({"R", ">S", ">>U"}).folder(">T", {{"C:\\A\\", "a", pk2000}})
class CatalogueTree {
public:
    explicit CatalogueTree(std::initializer_list<std::string> emptyFolders = {}) {
        for (const std::string& f : emptyFolders)
            folder(f);
    }
    CatalogueTree& folder(const std::string& outlined, std::vector<ProjectItem> items = {}) {
        const std::size_t depth = std::min(outlined.find_first_not_of('>'), outlined.size());
        mFolders.push_back({depth, outlined.substr(depth), std::move(items)});
        return *this;
    }
    // Added through the catalogue's own operations after what it holds; the new folders in order.
    std::vector<TreeNode*> addTo(Catalogue& catalogue) const {
        return build([&](TreeNode* parent, const Folder& f) {
            TreeNode* node = catalogue.addFolder(parent, f.name);
            catalogue.appendItems(node, f.items);
            return node;
        });
    }
    // The catalogue file the program writes for this tree.
    std::string file() const {
        FolderTree tree;
        build([&](TreeNode* parent, const Folder& f) {
            TreeNode* node = tree.append(parent, f.name);
            for (const ProjectItem& item : f.items)
                node->folder.items.push_back(item);
            return node;
        });
        return serializeCatalogue(tree);
    }

private:
    struct Folder {
        std::size_t depth;
        std::string name;
        std::vector<ProjectItem> items;
    };
    // Makes each folder by `add(parent, folder)`, the parent found by depth.
    template <typename Add> std::vector<TreeNode*> build(Add add) const {
        std::vector<TreeNode*> made, open;
        for (const Folder& f : mFolders) {
            if (f.depth > open.size())
                throw std::logic_error("the outline skips a level at " + f.name);
            open.resize(f.depth);
            made.push_back(add(open.empty() ? nullptr : open.back(), f));
            open.push_back(made.back());
        }
        return made;
    }
    std::vector<Folder> mFolders;
};

// The rows of the selected folder.
inline std::vector<ProjectItem> rowsOf(const Catalogue& catalogue) {
    std::vector<ProjectItem> out;
    for (int i = 0; i < catalogue.rowCount(); ++i)
        out.push_back(*catalogue.row(i));
    return out;
}

// A catalogue file's length field.
inline std::string le32(std::size_t n) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return out;
}

// A catalogue file with the given stored tree block and items block.
inline std::string catalogueFile(const std::string& treeBlock, const std::string& itemsBlock,
                                 char version = 9) {
    return std::string("IxO") + version + le32(treeBlock.size()) + treeBlock +
           le32(itemsBlock.size()) + itemsBlock;
}

} // namespace tavrin::test
