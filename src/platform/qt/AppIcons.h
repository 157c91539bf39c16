#pragma once

#include <QIcon>
#include <QPixmap>

#include <array>

namespace tavrin::appicons {

// The program's own icon.
QIcon application();
// The tree's icon set: program, closed folder, open folder (16 x 16).
std::array<QPixmap, 3> treeIcons();
// The built-in list icons: generic project, RPG Tsukuru 2000 project, RPG Tsukuru 95 project.
std::array<QIcon, 3> defaultListIcons();

// The standard tool bar's pictures (18 x 16): 0 cut, 1 copy, 2 paste, 3 search, 4 settings,
// 5 game start, 6 edit in the editor, 7 delete from the list, 8 open folder, 9 test play.
std::array<QIcon, 10> nmlBarImages();

} // namespace tavrin::appicons
