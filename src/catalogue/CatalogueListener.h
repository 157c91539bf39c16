#pragma once

namespace tavrin {

class TreeNode;

// What the views of the catalogue hear. The item notices speak only of the selected folder,
// the one the list shows; every notice comes in pairs around the change.
class CatalogueListener {
public:
    virtual ~CatalogueListener() = default;

    virtual void treeAboutToReset() {}
    virtual void treeReset() {}
    // parent nullptr: the top level.
    virtual void folderAboutToBeInserted(TreeNode* /*parent*/, int /*row*/) {}
    virtual void folderInserted(TreeNode* /*node*/) {}
    virtual void folderAboutToBeRemoved(TreeNode* /*node*/) {}
    virtual void folderRemoved() {}
    virtual void folderChanged(TreeNode* /*node*/) {}

    virtual void selectionAboutToChange(TreeNode* /*old*/) {}
    virtual void selectionChanged(TreeNode* /*now*/) {}

    virtual void itemsAboutToBeInserted(int /*first*/, int /*last*/) {}
    virtual void itemsInserted() {}
    virtual void itemsAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void itemsRemoved() {}
    virtual void itemsAboutToReset() {}
    virtual void itemsReset() {}
    // Rows keep their count; their content changed (a sort).
    virtual void itemsChanged(int /*first*/, int /*last*/) {}
};

} // namespace tavrin
