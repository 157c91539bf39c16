#pragma once

#include "catalogue/Catalogue.h"

#include <string>
#include <vector>

namespace tavrin {

// The question before deleting the selected rows; title is the selected row's when n is 1.
std::string deleteQuestion(int n, const std::string& title);

// A drag over the list is accepted only from the list itself, and over no row (below the
// last) or over a row that is not selected.
bool listAcceptsDrop(bool fromList, int rowUnderPointer, bool rowUnderPointerSelected);

// Moves the selected rows as one block before `target` (or to the end for -1), keeping their
// order and kinds. Returns the rows of the moved block, which the list then selects.
std::vector<int> moveSelectedRows(Catalogue& catalogue, std::vector<int> selectedRows, int target);

// The items of the given rows of the selected folder, in ascending row order.
std::vector<ProjectItem> itemsOfRows(const Catalogue& catalogue, std::vector<int> rows);

// Moves the selected rows to the end of another folder, kinds kept.
void moveRowsToFolder(Catalogue& catalogue, const std::vector<int>& selectedRows, TreeNode* target);

// Rows dragged from the list may drop on any folder but the one they come from.
bool treeAcceptsDrop(bool fromList, const TreeNode* underPointer, const TreeNode* selected);

std::string deleteFolderQuestion(const std::string& folderName);

// The name a folder keeps after in-place editing: an empty text leaves the old one.
std::string folderNameAfterEdit(const std::string& oldName, const std::string& typed);

// Each column keeps its own sort direction toggle; each start begins ascending.
class ColumnSortToggles {
public:
    // True when this click sorts descending; flips that column's toggle.
    bool click(int column);

private:
    int mTags[2] = {2, 4}; // bit 0: the next click sorts descending
};

enum class DblClickAction { openProjectFolder, playGame, editIn2000, nothing, unknown };
// "何もしない" (3) does nothing; values no choice offers are Unknown.
DblClickAction dblClickAction(int dblClick);

} // namespace tavrin
