#pragma once

#include "catalogue/CatalogueListener.h"

#include <QObject>

class QModelIndex;
class QTimer;

namespace tavrin {

class Catalogue;
class FolderTreeModel;
class FolderTreeView;
class ProjectListModel;

// The list follows the tree's current folder 50 ms after its last change, so a run of arrow
// keys reads one folder, not each one passed. The other way, the view follows the catalogue:
// its selected folder and which folders are open.
class TreeSelectionDebounce : public QObject, private CatalogueListener {
    Q_OBJECT
public:
    TreeSelectionDebounce(Catalogue& catalogue, FolderTreeModel* model, FolderTreeView* view,
                          ProjectListModel* list, QObject* parent);
    ~TreeSelectionDebounce() override;

    // Completes a change still waiting: every command sees the folder the user chose.
    void flush();
    bool pending() const { return mPending; }
    // Brings a folder into sight; a view not yet shown brings its current row by itself.
    void reveal(const QModelIndex& index);

signals:
    // The list was emptied: a change is waiting.
    void listLeft();
    // The change ended where it started, and the list shows that folder again.
    void listBack();

private:
    void currentChanged(const QModelIndex& current);
    void cancel();
    void follow(TreeNode* node);

    void treeAboutToReset() override;
    void treeReset() override;
    void folderAboutToBeRemoved(TreeNode* node) override;
    void folderChanged(TreeNode* node) override;
    void selectionChanged(TreeNode* now) override;

    Catalogue& mCatalogue;
    FolderTreeModel* mModel;
    FolderTreeView* mView;
    ProjectListModel* mList;
    QTimer* mTimer;
    TreeNode* mPendingNode = nullptr;
    bool mPending = false;
    bool mFollowing = false;
};

} // namespace tavrin
