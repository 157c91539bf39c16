#include "search/qt/SearchCommand.h"

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/UserSettings.h"
#include "search/qt/SearchOptionsDialog.h"
#include "search/qt/SearchProgressDialog.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace tavrin {

void searchForProjects(QWidget* owner, SearchOptionsDialog::Uses options, FileSystem& fs,
                       const std::string& helpFile, SearchSettings& search, Catalogue& catalogue) {
    int result = 0;
    {
        SearchOptionsDialog form(options, helpFile, owner);
        result = form.editSearch(search);
    }
    if (result != 2) {
        return;
    }
    if (!search.insert) {
        catalogue.clearSelectedFolder();
    }
    SearchProgressDialog progress(options.dialogs, owner);
    progress.run(catalogue, fs, static_cast<int>(search.matchKinds), search.dupChk,
                 search.searchFolder);
}

void searchDroppedFolders(QWidget* owner, Dialogs& dialogs, FileSystem& fs,
                          const SearchSettings& search, Catalogue& catalogue,
                          const std::vector<std::string>& items) {
    if (items.empty()) {
        return;
    }
    owner->raise();
    owner->activateWindow();
    // Emptied once: what an earlier item finds stays and counts for the later ones' check.
    if (!search.insert) {
        catalogue.clearSelectedFolder();
    }
    SearchProgressDialog progress(dialogs, owner);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        progress.run(catalogue, fs, static_cast<int>(search.matchKinds), search.dupChk, *it);
    }
}

std::vector<std::string> searchableDrops(const QMimeData& data, FileSystem& fs) {
    std::vector<std::string> items;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            const std::string host = QFile::encodeName(url.toLocalFile()).toStdString();
            if (auto windows = fs.windowsPathOf(host)) {
                items.push_back(*windows);
            }
        }
    }
    return items;
}

} // namespace tavrin
