#include "catalogue/ListCommands.h"

#include "catalogue/CatalogueFile.h"

#include "platform/Cp932.h"

#include <algorithm>
#include <deque>

namespace tavrin {

std::string deleteQuestion(int n, const std::string& title) {
    std::string text = sj("リストから\n");
    if (n == 1) {
        text += sj("「") + title + sj("」を削除します。\n");
    } else {
        text += sj("選択していてる ") + std::to_string(n) + sj(" 個のアイテムを削除します。\n");
    }
    text += sj("よろしいですか？\n");
    text += "\n";
    return text;
}

bool listAcceptsDrop(bool fromList, int rowUnderPointer, bool rowUnderPointerSelected) {
    return fromList && (rowUnderPointer < 0 || !rowUnderPointerSelected);
}

std::vector<int> moveSelectedRows(Catalogue& catalogue, std::vector<int> selectedRows, int target) {
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    std::erase_if(selectedRows, [&](int r) { return r < 0 || r >= catalogue.rowCount(); });
    if (selectedRows.empty()) {
        return {};
    }
    if (target >= catalogue.rowCount()) {
        target = -1;
    }
    // Taken in ascending order, each put at the front: the temporary holds them reversed.
    std::deque<ProjectItem> taken;
    int insertAt = target;
    for (int r : selectedRows) {
        taken.push_front(*catalogue.row(r));
        if (r < target) {
            --insertAt;
        }
    }
    catalogue.removeSelectedItems(selectedRows);
    const int k = static_cast<int>(taken.size());
    std::vector<int> block;
    if (target == -1) {
        // From the back of the temporary: the original order again.
        std::vector<ProjectItem> items(taken.rbegin(), taken.rend());
        TreeNode* folder = catalogue.selected();
        const int first = catalogue.rowCount();
        catalogue.appendItems(folder, items);
        for (int i = 0; i < k; ++i) {
            block.push_back(first + i);
        }
        return block;
    }
    // From the back of the temporary, as for the end: the original order again.
    catalogue.insertItems(insertAt, std::vector<ProjectItem>(taken.rbegin(), taken.rend()));
    for (int i = 0; i < k; ++i) {
        block.push_back(insertAt + i);
    }
    return block;
}

std::vector<ProjectItem> itemsOfRows(const Catalogue& catalogue, std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<ProjectItem> items;
    for (int r : rows) {
        if (const ProjectItem* item = catalogue.row(r)) {
            items.push_back(*item);
        }
    }
    return items;
}

void moveRowsToFolder(Catalogue& catalogue, const std::vector<int>& selectedRows,
                      TreeNode* target) {
    if (!target || target == catalogue.selected()) {
        return;
    }
    catalogue.appendItems(target, itemsOfRows(catalogue, selectedRows));
    catalogue.removeSelectedItems(selectedRows);
}

bool treeAcceptsDrop(bool fromList, const TreeNode* underPointer, const TreeNode* selected) {
    return fromList && underPointer && underPointer != selected;
}

std::string deleteFolderQuestion(const std::string& folderName) {
    return sj("フォルダ 「") + folderName +
           sj("」 と、フォルダ以下のすべてのフォルダ,アイテムを削除します。\n") +
           sj("よろしいですか？\n");
}

std::string folderNameAfterEdit(const std::string& oldName, const std::string& typed) {
    // A pasted line break or leading tab would change the tree's outline in the file.
    return typed.empty() ? oldName : storableText(typed);
}

bool ColumnSortToggles::click(int column) {
    if (column < 0 || column > 1) {
        return false;
    }
    const bool descending = (mTags[column] & 1) != 0;
    mTags[column] ^= 1;
    return descending;
}

DblClickAction dblClickAction(int dblClick) {
    switch (dblClick) {
    case 0:
        return DblClickAction::openProjectFolder;
    case 1:
        return DblClickAction::playGame;
    case 2:
        return DblClickAction::editIn2000;
    case 3:
        return DblClickAction::nothing;
    default:
        return DblClickAction::unknown;
    }
}

} // namespace tavrin
