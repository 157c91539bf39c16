#include "catalogue/qt/TreeSelectionDebounce.h"

#include "catalogue/Catalogue.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ProjectListModel.h"

#include <QTimer>

namespace tavrin {

TreeSelectionDebounce::TreeSelectionDebounce(Catalogue& catalogue, FolderTreeModel* model,
                                             FolderTreeView* view, ProjectListModel* list,
                                             QObject* parent)
    : QObject(parent), mCatalogue(catalogue), mModel(model), mView(view), mList(list),
      mTimer(new QTimer(this)) {
    mTimer->setSingleShot(true);
    mTimer->setInterval(50);
    connect(mTimer, &QTimer::timeout, this, &TreeSelectionDebounce::flush);
    connect(mView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TreeSelectionDebounce::currentChanged);
    connect(mView, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        if (TreeNode* n = mModel->node(i)) {
            n->expanded = true;
        }
    });
    connect(mView, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        if (TreeNode* n = mModel->node(i)) {
            n->expanded = false;
        }
    });
    mCatalogue.addListener(this);
}

TreeSelectionDebounce::~TreeSelectionDebounce() {
    mCatalogue.removeListener(this);
}

void TreeSelectionDebounce::currentChanged(const QModelIndex& current) {
    if (mFollowing) {
        return;
    }
    // Leaving a folder empties the list at once; the new one shows after the delay.
    if (!mPending) {
        mPending = true;
        mList->setHidden(true);
        emit listLeft();
    }
    mPendingNode = mModel->node(current);
    mTimer->start();
}

void TreeSelectionDebounce::flush() {
    if (!mPending) {
        return;
    }
    mPending = false;
    mTimer->stop();
    mList->setHidden(false);
    TreeNode* node = mPendingNode;
    mPendingNode = nullptr;
    if (node == mCatalogue.selected()) {
        emit listBack();
    } else {
        mCatalogue.selectFolder(node);
    }
}

void TreeSelectionDebounce::cancel() {
    mPending = false;
    mPendingNode = nullptr;
    mTimer->stop();
    mList->setHidden(false);
}

void TreeSelectionDebounce::reveal(const QModelIndex& index) {
    // A view not yet shown would scroll as if it were a row high, hiding the top of a long tree.
    if (mView->isVisible()) {
        mView->scrollTo(index);
    }
}

void TreeSelectionDebounce::follow(TreeNode* node) {
    const QModelIndex index = mModel->indexOf(node);
    if (mView->currentIndex() == index) {
        return;
    }
    mFollowing = true;
    if (index.isValid()) {
        mView->setCurrentIndex(index);
        reveal(index);
    } else {
        mView->selectionModel()->clearCurrentIndex();
        mView->clearSelection();
    }
    mFollowing = false;
}

// A change waiting for a folder that goes away is dropped; the view then reports where its
// selection went.
void TreeSelectionDebounce::treeAboutToReset() {
    cancel();
}

void TreeSelectionDebounce::treeReset() {
    mCatalogue.tree().forEachPreOrder([this](TreeNode& n, int) {
        if (n.expanded) {
            mView->expand(mModel->indexOf(&n));
        }
    });
}

void TreeSelectionDebounce::folderAboutToBeRemoved(TreeNode* node) {
    if (mPending && (mPendingNode == node || node->isAncestorOf(mPendingNode))) {
        cancel();
    }
}

void TreeSelectionDebounce::folderChanged(TreeNode* node) {
    if (node && node->expanded) {
        mView->expand(mModel->indexOf(node));
    }
}

void TreeSelectionDebounce::selectionChanged(TreeNode* now) {
    follow(now);
}

} // namespace tavrin
