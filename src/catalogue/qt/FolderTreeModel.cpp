#include "catalogue/qt/FolderTreeModel.h"

#include "catalogue/ListCommands.h"
#include "platform/qt/QtText.h"

namespace tavrin {

FolderTreeModel::FolderTreeModel(Catalogue& catalogue, QObject* parent)
    : QAbstractItemModel(parent), mCatalogue(catalogue) {
    mCatalogue.addListener(this);
}

FolderTreeModel::~FolderTreeModel() {
    mCatalogue.removeListener(this);
}

void FolderTreeModel::setIcons(const std::array<QPixmap, 3>& icons) {
    mIcons = icons;
    if (rowCount() > 0) {
        // Icons of every level change; a reset is the honest notice.
        beginResetModel();
        endResetModel();
    }
}

TreeNode* FolderTreeModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const TreeNode* node) const {
    if (!node) {
        return {};
    }
    return createIndex(node->row(), 0, const_cast<TreeNode*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0) {
        return {};
    }
    TreeNode* child = mCatalogue.tree().childAt(node(parent), row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    return indexOf(mCatalogue.tree().parentOf(node(child)));
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return mCatalogue.tree().childCount(node(parent));
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    TreeNode* n = node(index);
    if (!n) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return qs(n->name);
    case Qt::DecorationRole: {
        auto slot = [this](int i) {
            return i >= 0 && i < static_cast<int>(mIcons.size())
                       ? mIcons[static_cast<std::size_t>(i)]
                       : QPixmap();
        };
        QIcon icon;
        icon.addPixmap(slot(n->imageIndex), QIcon::Normal);
        icon.addPixmap(slot(n->selectedIndex), QIcon::Selected);
        return icon;
    }
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractItemModel::flags(index);
    TreeNode* n = node(index);
    if (n && !mCatalogue.tree().isRoot(n)) {
        f |= Qt::ItemIsEditable;
    }
    if (n) {
        f |= Qt::ItemIsDropEnabled;
    }
    return f;
}

bool FolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TreeNode* n = node(index);
    if (!n || role != Qt::EditRole || mCatalogue.tree().isRoot(n)) {
        return false;
    }
    mCatalogue.renameFolder(n, folderNameAfterEdit(n->name, toCp932(value.toString())));
    return true;
}

void FolderTreeModel::treeAboutToReset() {
    beginResetModel();
}

void FolderTreeModel::treeReset() {
    endResetModel();
}

void FolderTreeModel::folderAboutToBeInserted(TreeNode* parent, int row) {
    beginInsertRows(indexOf(parent), row, row);
}

void FolderTreeModel::folderInserted(TreeNode*) {
    endInsertRows();
}

void FolderTreeModel::folderAboutToBeRemoved(TreeNode* node) {
    const int row = node->row();
    beginRemoveRows(indexOf(mCatalogue.tree().parentOf(node)), row, row);
}

void FolderTreeModel::folderRemoved() {
    endRemoveRows();
}

void FolderTreeModel::folderChanged(TreeNode* node) {
    QModelIndex i = indexOf(node);
    emit dataChanged(i, i);
}

} // namespace tavrin
