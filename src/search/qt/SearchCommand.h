#pragma once

#include "search/qt/SearchOptionsDialog.h"

#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace tavrin {

class Catalogue;
class Dialogs;
class FileSystem;
struct SearchSettings;

// The search command: the options dialog on the search settings, then, when a search was asked
// for, the progress dialog over the start folder into the selected catalogue folder.
void searchForProjects(QWidget* owner, SearchOptionsDialog::Uses options, FileSystem& fs,
                       const std::string& helpFile, SearchSettings& search, Catalogue& catalogue);

// Items dropped onto the main window (Windows paths, in the drop's order): each searched with
// the current settings, the last first, without the options dialog.
void searchDroppedFolders(QWidget* owner, Dialogs& dialogs, FileSystem& fs,
                          const SearchSettings& search, Catalogue& catalogue,
                          const std::vector<std::string>& items);

// The dropped files and folders as Windows paths, in the drop's order; what has none is left out.
std::vector<std::string> searchableDrops(const QMimeData& data, FileSystem& fs);

} // namespace tavrin
