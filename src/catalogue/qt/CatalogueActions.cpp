#include "catalogue/qt/CatalogueActions.h"

#include "catalogue/Catalogue.h"
#include "catalogue/ItemClipboard.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ProjectListModel.h"
#include "catalogue/qt/ProjectListView.h"
#include "platform/Clipboard.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"

namespace tavrin {

CatalogueActions::CatalogueActions(Catalogue& catalogue, FolderTreeModel* model,
                                   FolderTreeView* tree, ProjectListView* list,
                                   Clipboard& clipboard, Dialogs& dialogs, QObject* parent)
    : QObject(parent), mCatalogue(catalogue), mModel(model), mTree(tree), mList(list),
      mClipboard(clipboard), mDialogs(dialogs), mSort(catalogue, nullptr) {
    mCatalogue.addListener(this);
}

CatalogueActions::~CatalogueActions() {
    mCatalogue.removeListener(this);
}

void CatalogueActions::treePopupOpened() {
    mTreePopupNode = mCatalogue.selected();
}

void CatalogueActions::folderAboutToBeRemoved(TreeNode* node) {
    if (mTreePopupNode == node || node->isAncestorOf(mTreePopupNode)) {
        mTreePopupNode = nullptr;
    }
}

// ---- folders --------------------------------------------------------------------------------

void CatalogueActions::newFolder() {
    TreeNode* parent = mTreePopupNode ? mTreePopupNode : mCatalogue.selected();
    TreeNode* node = mCatalogue.addFolder(parent, sj("新しいフォルダ"));
    const QModelIndex index = mModel->indexOf(node);
    if (parent) {
        mTree->expand(mModel->indexOf(parent));
    }
    mTree->scrollTo(index);
    mTree->edit(index);
}

void CatalogueActions::deleteChosenFolder() {
    TreeNode* node = mTreePopupNode;
    if (!node || mCatalogue.tree().isRoot(node)) {
        return;
    }
    if (mDialogs.messageBox(deleteFolderQuestion(node->name), sj("確認"), MsgIcon::warning,
                            MsgButtons::yesNo, MsgResult::no) != MsgResult::yes) {
        return;
    }
    mTreePopupNode = nullptr;
    if (node->childCount() > 0) {
        mCatalogue.deleteFolderTree(node->child(0));
    }
    mCatalogue.deleteFolder(node);
    if (!mCatalogue.selected()) {
        mCatalogue.selectFolder(mCatalogue.tree().root());
    }
}

void CatalogueActions::renameChosenFolder() {
    TreeNode* node = mTreePopupNode;
    if (node && !mCatalogue.tree().isRoot(node)) {
        mTree->edit(mModel->indexOf(node));
    }
}

void CatalogueActions::dropOnFolder(TreeNode* target) {
    if (!target) {
        return;
    }
    moveRowsToFolder(mCatalogue, mList->selectedRows(), target);
    mList->clearSelection();
}

// ---- items ----------------------------------------------------------------------------------

bool CatalogueActions::copySelectedRows() {
    std::vector<ProjectItem> items;
    // Rows found in many folders are the model's, not the selected folder's.
    const auto* rows = qobject_cast<const ProjectListModel*>(mList->model());
    if (rows && rows->showsFound()) {
        for (const int row : mList->selectedRows()) {
            if (const ProjectItem* item = rows->item(row)) {
                items.push_back(*item);
            }
        }
    } else {
        items = itemsOfRows(mCatalogue, mList->selectedRows());
    }
    if (items.empty()) {
        return false;
    }
    if (!mClipboard.setItemData(itemDataOf(items), plainTextOf(items))) {
        mDialogs.message("Clipboard Open Error", "ListView_Copy()");
        return false;
    }
    return true;
}

void CatalogueActions::copyItems() {
    copySelectedRows();
}

void CatalogueActions::cutItems() {
    if (!copySelectedRows()) {
        return;
    }
    mCatalogue.removeSelectedItems(mList->selectedRows());
    mList->clearSelection();
    emit countChanged();
}

void CatalogueActions::pasteItems() {
    if (!mClipboard.hasItemData()) {
        return;
    }
    std::string data;
    switch (mClipboard.itemData(data)) {
    case Clipboard::Read::absent:
        return;
    case Clipboard::Read::cannotOpen:
        mDialogs.message(sj("クリップボードが開けません。\n暫く時間をおいてからもう一度同"
                            "じ操作を行ってください。"),
                         "Clipboard Open Error");
        return;
    case Clipboard::Read::ok:
        break;
    }
    // Each item goes where insertPastedItem puts it, before the focused row (at the top when
    // none is), so the block ends in reverse order above that row; inserted at once.
    std::vector<PastedItem> pasted = parseItemData(data);
    std::vector<ProjectItem> block;
    block.reserve(pasted.size());
    for (auto it = pasted.rbegin(); it != pasted.rend(); ++it) {
        block.push_back({std::move(it->path), std::move(it->title), pkNone});
    }
    const int focused = mList->focusedRow();
    mCatalogue.insertItems(focused < 0 ? 0 : focused, std::move(block));
    emit countChanged();
}

void CatalogueActions::deleteItems() {
    const std::vector<int> selected = mList->selectedRows();
    const int n = static_cast<int>(selected.size());
    if (n == 0) {
        return;
    }
    const ProjectItem* first = mCatalogue.row(selected.front());
    const std::string question = deleteQuestion(n, first ? first->title : std::string());
    if (mDialogs.messageBox(question, sj("確認"), MsgIcon::warning, MsgButtons::yesNo,
                            MsgResult::yes) != MsgResult::yes) {
        return;
    }
    mCatalogue.removeSelectedItems(selected);
    mList->clearSelection();
    emit countChanged();
    emit focusChanged();
}

void CatalogueActions::selectAllItems() {
    if (mCatalogue.rowCount() > 0) {
        mList->selectAll();
    }
}

void CatalogueActions::sortByColumn(int column) {
    mSort.sortShown(mSortToggles.click(column));
}

void CatalogueActions::dropOnRow(int targetRow) {
    const std::vector<int> block = moveSelectedRows(mCatalogue, mList->selectedRows(), targetRow);
    mList->clearSelection();
    mList->selectRows(block);
}

} // namespace tavrin
