#include "app/core/MenuState.h"

namespace tavrin {

EditMenuState editMenuState(const ListState& s) {
    return {s.hasFocusedRow, s.hasSelectedRow, s.hasSelectedRow, s.clipboardHasItems,
            s.hasSelectedRow};
}

StartMenuState startMenuState(const ListState& s) {
    return {s.hasFocusedRow, s.hasFocusedRow, s.hasFocusedRow};
}

ListPopupState listPopupState(const ListState& s) {
    return {s.hasSelectedRow, s.hasSelectedRow, s.clipboardHasItems, s.hasSelectedRow};
}

TreePopupState treePopupState(bool hasNode, bool nodeIsRoot) {
    const bool allowed = hasNode && !nodeIsRoot;
    return {allowed, allowed};
}

bool toggledBarVisible(bool visible, int width) {
    return !visible && width > 0;
}

} // namespace tavrin
