#pragma once

#include "catalogue/Catalogue.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <array>

namespace tavrin {

// Mirrors the catalogue's folder tree into a view; each index points at its TreeNode.
class FolderTreeModel : public QAbstractItemModel, private CatalogueListener {
    Q_OBJECT
public:
    explicit FolderTreeModel(Catalogue& catalogue, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Slots 0 program, 1 closed folder, 2 open folder.
    void setIcons(const std::array<QPixmap, 3>& icons);

    TreeNode* node(const QModelIndex& index) const;
    QModelIndex indexOf(const TreeNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The root's name is fixed; any other folder's is edited in place.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    void treeAboutToReset() override;
    void treeReset() override;
    void folderAboutToBeInserted(TreeNode* parent, int row) override;
    void folderInserted(TreeNode* node) override;
    void folderAboutToBeRemoved(TreeNode* node) override;
    void folderRemoved() override;
    void folderChanged(TreeNode* node) override;

    Catalogue& mCatalogue;
    std::array<QPixmap, 3> mIcons;
};

} // namespace tavrin
