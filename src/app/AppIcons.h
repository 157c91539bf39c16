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

} // namespace tavrin::appicons
