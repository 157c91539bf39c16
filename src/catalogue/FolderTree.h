#pragma once

#include "catalogue/FolderNode.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrin {

// Icon slots of the tree's icon set.
enum TreeIcon : int { tiProgram = 0, tiClosedFolder = 1, tiOpenFolder = 2 };

class TreeNode {
public:
    TreeNode() = default;
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;
    // Takes the subtree down without recursion, however deep a file made it.
    ~TreeNode();

    std::string name; // CP932
    int imageIndex = tiClosedFolder;
    int selectedIndex = tiOpenFolder;
    bool expanded = false;
    FolderNode folder;

    TreeNode* parent() const { return mParent; }
    const std::vector<std::unique_ptr<TreeNode>>& children() const { return mChildren; }
    int childCount() const { return static_cast<int>(mChildren.size()); }
    TreeNode* child(int i) const { return mChildren[static_cast<std::size_t>(i)].get(); }
    // Position among its parent's children (or among the top-level nodes).
    int row() const;
    bool isAncestorOf(const TreeNode* other) const;

private:
    friend class FolderTree;
    TreeNode* mParent = nullptr; // the hidden top holder for top-level nodes
    std::vector<std::unique_ptr<TreeNode>> mChildren;
};

// The folder tree: an ordered forest whose first node is the root. A TreeNode owns its
// FolderNode, so removing a node disposes of its items exactly once.
class FolderTree {
public:
    FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    bool empty() const { return mTop.childCount() == 0; }
    // The first node of the tree, whatever its name; nullptr when the tree is empty.
    TreeNode* root() const { return empty() ? nullptr : mTop.child(0); }
    bool isRoot(const TreeNode* node) const { return node && node == root(); }

    int topLevelCount() const { return mTop.childCount(); }
    TreeNode* topLevel(int i) const { return mTop.child(i); }
    // nullptr for a top-level node.
    TreeNode* parentOf(const TreeNode* node) const;
    // Children of a node, or the top-level nodes for nullptr.
    int childCount(const TreeNode* parent) const;
    TreeNode* childAt(const TreeNode* parent, int row) const;

    // Appends a node with an empty folder as the last child of parent (top level for nullptr).
    TreeNode* append(TreeNode* parent, std::string name);
    // Removes a node with its subtree, deepest first.
    void remove(TreeNode* node);
    void clear();
    // Takes the other tree's nodes in place of its own; the other is left empty.
    void adopt(FolderTree& other);

    // Pre-order: a node, then each child's subtree in order.
    std::vector<TreeNode*> preOrder() const;
    // depth: 0 for a top-level node.
    void forEachPreOrder(const std::function<void(TreeNode&, int depth)>& visit) const;
    int nodeCount() const;
    // The node at a pre-order index, or nullptr.
    TreeNode* nodeAt(int preOrderIndex) const;
    // Pre-order index of a node, or -1.
    int indexOf(const TreeNode* node) const;

private:
    TreeNode mTop; // holds the top-level nodes; never shown
};

} // namespace tavrin
