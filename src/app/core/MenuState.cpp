#include "app/core/MenuState.h"

namespace tavrin {

EditMenuState editMenuState(const ListState& s) {
    const bool rows = s.hasSelectedRow && !s.showsFound;
    return {s.hasFocusedRow, rows, s.hasSelectedRow, s.clipboardHasItems && !s.showsFound, rows};
}

StartMenuState startMenuState(const ListState& s) {
    return {s.hasFocusedRow, s.hasFocusedRow, s.hasFocusedRow};
}

ListPopupState listPopupState(const ListState& s) {
    const EditMenuState e = editMenuState(s);
    return {e.cut, e.copy, e.paste, e.del};
}

TreePopupState treePopupState(bool hasNode, bool nodeIsRoot) {
    const bool allowed = hasNode && !nodeIsRoot;
    return {allowed, allowed};
}

bool toggledBarVisible(bool visible, int width) {
    return !visible && width > 0;
}

} // namespace tavrin
