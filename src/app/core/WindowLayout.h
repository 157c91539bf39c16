#pragma once

#include "platform/UserSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

class ProfileFile;

// The window-layout values that pass straight between "Tavrin.ini" and the controls. A block
// is present only when its section exists in the file.
struct WindowLayout {
    struct Position {
        std::int32_t top = 0, left = 0, width = 0, height = 0;
    };
    struct Columns {
        std::int32_t titleWidth = 350, pathWidth = 150;
    };
    struct BarPos {
        std::int32_t x = 0, y = 0;
    };
    struct ToolBarPos {
        BarPos nml, apl, gaz;
    };
    struct ListFont {
        std::string name; // CP932
        Colour color = kWindowTextColour;
        std::int32_t size = 9; // points
    };
    struct Tree {
        std::int32_t width = 0;
        std::int32_t index = 0; // pre-order position of the selected folder
    };

    // The details pane under the list; hidden unless the file says otherwise.
    struct Details {
        bool visible = false;
        std::int32_t size = 140; // its height in pixels
    };

    std::optional<Position> position;
    std::optional<Columns> columns;
    std::optional<ToolBarPos> toolBarPos;
    std::optional<ListFont> listFont;
    std::optional<Tree> tree;
    std::optional<Details> details;
};

// A rectangle of the desktop: a screen's work area, or a window's outer bounds.
struct ScreenRect {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};

// Where a window restored with these outer bounds stands. No window is larger than the desktop.
// One whose caption cannot be reached on any screen comes onto the screen nearest to it, as
// Windows brings back a window restored outside every monitor; any other stays where it was.
ScreenRect placeOnScreen(const WindowLayout::Position& stored,
                         const std::vector<ScreenRect>& screens);

// The tree's width as designed, also for a [TreeView] that does not say.
inline constexpr std::int32_t kDesignedTreeWidth = 165;

// Reads the blocks whose sections exist. currentTreeWidth is the default of [TreeView] Width.
WindowLayout readWindowLayout(const ProfileFile& file, std::int32_t currentTreeWidth);

// Writes in the file's order: [Position] (or erases it when position is off), [Columns],
// [ToolBarPos], [ListView] BGColor (bgColor when bgColorOn, else 0xFFFFFF) and the font,
// [TreeView] Index then Width. Every block of `now` but [DetailsPane] must be present; that
// one, which older copies neither read nor write, is written when present.
void writeWindowLayout(ProfileFile& file, const WindowLayout& now, const UserSettings& record,
                       Colour listColour);

} // namespace tavrin
