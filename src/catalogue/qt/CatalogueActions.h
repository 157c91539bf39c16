#pragma once

#include "catalogue/CatalogueListener.h"
#include "catalogue/ListCommands.h"
#include "catalogue/qt/ListSort.h"

#include <QObject>

namespace tavrin {

class Catalogue;
class Clipboard;
class Dialogs;
class FolderTreeModel;
class FolderTreeView;
class ProjectListView;
class TreeNode;

// The commands that change the catalogue from its two views: folders from the tree, items from
// the list and the clipboard. The window binds its menus to them.
class CatalogueActions : public QObject, private CatalogueListener {
    Q_OBJECT
public:
    CatalogueActions(Catalogue& catalogue, FolderTreeModel* model, FolderTreeView* tree,
                     ProjectListView* list, Clipboard& clipboard, Dialogs& dialogs,
                     QObject* parent);
    ~CatalogueActions() override;

    // The tree pop-up opens on the selected folder; its commands act on that one.
    void treePopupOpened();
    TreeNode* treePopupNode() const { return mTreePopupNode; }
    ListSort& listSort() { return mSort; }

    void newFolder();
    void deleteChosenFolder();
    void renameChosenFolder();
    void dropOnFolder(TreeNode* target);

    void copyItems();
    void cutItems();
    void pasteItems();
    void deleteItems();
    void selectAllItems();
    void sortByColumn(int column);
    void dropOnRow(int targetRow);

signals:
    // The list gained or lost rows.
    void countChanged();
    // The focused row may be another.
    void focusChanged();

private:
    // False when nothing was stored.
    bool copySelectedRows();
    void folderAboutToBeRemoved(TreeNode* node) override;

    Catalogue& mCatalogue;
    FolderTreeModel* mModel;
    FolderTreeView* mTree;
    ProjectListView* mList;
    Clipboard& mClipboard;
    Dialogs& mDialogs;
    ColumnSortToggles mSortToggles;
    ListSort mSort;
    TreeNode* mTreePopupNode = nullptr;
};

} // namespace tavrin
