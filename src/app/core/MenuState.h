#pragma once

namespace tavrin {

// What the enabling rules of the menus look at.
struct ListState {
    bool hasFocusedRow = false;
    bool hasSelectedRow = false;
    bool clipboardHasItems = false;
    // The list shows what a find gave, rows of many folders: they are copied, but neither cut,
    // deleted nor pasted among.
    bool showsFound = false;
};

struct EditMenuState {
    bool openProjectFolder, cut, copy, paste, del;
};
EditMenuState editMenuState(const ListState& s);

struct StartMenuState {
    bool gameStart, testPlay, editIn2000;
};
StartMenuState startMenuState(const ListState& s);

struct ListPopupState {
    bool cut, copy, paste, del;
};
ListPopupState listPopupState(const ListState& s);

struct TreePopupState {
    bool del, rename;
};
// A folder may be deleted or renamed when one is selected and it is not the root.
TreePopupState treePopupState(bool hasNode, bool nodeIsRoot);

// The tool bar toggle: true when the bar is to be shown (and its entry checked). A bar with no
// shown buttons stays hidden.
bool toggledBarVisible(bool visible, int width);

} // namespace tavrin
