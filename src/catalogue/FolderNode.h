#pragma once

#include "catalogue/ProjectItem.h"

#include <deque>

namespace tavrin {

// The data of one folder: its projects in display order. Index access is constant time and
// both ends grow cheaply, which the virtual list and the scanner rely on.
struct FolderNode {
    std::deque<ProjectItem> Items;
};

} // namespace tavrin
