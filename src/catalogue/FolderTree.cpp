#include "catalogue/FolderTree.h"

#include <algorithm>

namespace tavrin {

int TreeNode::row() const {
    if (!mParent) {
        return 0;
    }
    const auto& siblings = mParent->mChildren;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TreeNode::isAncestorOf(const TreeNode* other) const {
    for (const TreeNode* p = other ? other->mParent : nullptr; p; p = p->mParent) {
        if (p == this) {
            return true;
        }
    }
    return false;
}

// Deepest first, each node emptied of its children before it dies, so no destructor recurses.
TreeNode::~TreeNode() {
    std::vector<std::unique_ptr<TreeNode>> pending = std::move(mChildren);
    while (!pending.empty()) {
        auto& kids = pending.back()->mChildren;
        if (kids.empty()) {
            pending.pop_back();
            continue;
        }
        auto kid = std::move(kids.back());
        kids.pop_back();
        pending.push_back(std::move(kid));
    }
}

FolderTree::FolderTree() = default;

TreeNode* FolderTree::parentOf(const TreeNode* node) const {
    if (!node || node->mParent == &mTop) {
        return nullptr;
    }
    return node->mParent;
}

int FolderTree::childCount(const TreeNode* parent) const {
    return parent ? parent->childCount() : mTop.childCount();
}

TreeNode* FolderTree::childAt(const TreeNode* parent, int row) const {
    const TreeNode& p = parent ? *parent : mTop;
    if (row < 0 || row >= p.childCount()) {
        return nullptr;
    }
    return p.child(row);
}

TreeNode* FolderTree::append(TreeNode* parent, std::string name) {
    TreeNode& p = parent ? *parent : mTop;
    auto node = std::make_unique<TreeNode>();
    node->name = std::move(name);
    node->mParent = &p;
    p.mChildren.push_back(std::move(node));
    return p.mChildren.back().get();
}

void FolderTree::remove(TreeNode* node) {
    if (!node || !node->mParent) {
        return;
    }
    auto& siblings = node->mParent->mChildren;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [node](const auto& p) { return p.get() == node; });
    if (it == siblings.end()) {
        return;
    }
    siblings.erase(it);
}

void FolderTree::clear() {
    while (!mTop.mChildren.empty()) {
        remove(mTop.mChildren.back().get());
    }
}

void FolderTree::adopt(FolderTree& other) {
    if (&other == this) {
        return;
    }
    clear();
    mTop.mChildren = std::move(other.mTop.mChildren);
    other.mTop.mChildren.clear();
    for (auto& node : mTop.mChildren) {
        node->mParent = &mTop;
    }
}

void FolderTree::forEachPreOrder(const std::function<void(TreeNode&, int)>& visit) const {
    std::vector<std::pair<TreeNode*, int>> stack;
    for (auto it = mTop.mChildren.rbegin(); it != mTop.mChildren.rend(); ++it) {
        stack.emplace_back(it->get(), 0);
    }
    while (!stack.empty()) {
        auto [n, depth] = stack.back();
        stack.pop_back();
        visit(*n, depth);
        for (auto it = n->mChildren.rbegin(); it != n->mChildren.rend(); ++it) {
            stack.emplace_back(it->get(), depth + 1);
        }
    }
}

std::vector<TreeNode*> FolderTree::preOrder() const {
    std::vector<TreeNode*> out;
    forEachPreOrder([&out](TreeNode& n, int) { out.push_back(&n); });
    return out;
}

int FolderTree::nodeCount() const {
    int count = 0;
    forEachPreOrder([&count](TreeNode&, int) { ++count; });
    return count;
}

TreeNode* FolderTree::nodeAt(int preOrderIndex) const {
    if (preOrderIndex < 0) {
        return nullptr;
    }
    auto all = preOrder();
    return preOrderIndex < static_cast<int>(all.size())
               ? all[static_cast<std::size_t>(preOrderIndex)]
               : nullptr;
}

int FolderTree::indexOf(const TreeNode* node) const {
    auto all = preOrder();
    auto it = std::find(all.begin(), all.end(), node);
    return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

} // namespace tavrin
