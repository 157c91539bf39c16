#pragma once

#include "catalogue/ProjectItem.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// "Tavrin ItemData": Path 1C Title LF per item, then one zero byte. The kind is not carried.
std::string itemDataOf(const std::vector<ProjectItem>& items);
// Path CR LF per item, for other programs.
std::string plainTextOf(const std::vector<ProjectItem>& items);

struct PastedItem {
    std::string path;
    std::string title;
};
// Lines up to the first zero byte; each split at its last 1C (none: empty path, the line as
// title).
std::vector<PastedItem> parseItemData(std::string_view data);

} // namespace tavrin
