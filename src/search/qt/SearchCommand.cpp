#include "search/qt/SearchCommand.h"

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/SettingsRecord.h"
#include "search/qt/F_thukurusearch.h"
#include "search/qt/SearchDlg.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace tavrin {

void RPG2000Search(QWidget* owner, Services services, const std::string& helpFile,
                   SearchSettings& search, Catalogue& catalogue) {
    int result = 0;
    {
        TSearchForm form(services, helpFile, owner);
        result = form.EditSearchSettings(search);
    }
    if (result != 2) {
        return;
    }
    if (!search.insert) {
        catalogue.ClearSelectedFolder();
    }
    TSearchDlg progress(services.dialogs, owner);
    progress.RunSearch(catalogue, services.fs, static_cast<int>(search.matchKinds), search.dupChk,
                       search.searchFolder);
}

void SearchDroppedItems(QWidget* owner, Services services, const SearchSettings& search,
                        Catalogue& catalogue, const std::vector<std::string>& items) {
    if (items.empty()) {
        return;
    }
    owner->raise();
    owner->activateWindow();
    // Emptied once: what an earlier item finds stays and counts for the later ones' check.
    if (!search.insert) {
        catalogue.ClearSelectedFolder();
    }
    TSearchDlg progress(services.dialogs, owner);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        progress.RunSearch(catalogue, services.fs, static_cast<int>(search.matchKinds),
                           search.dupChk, *it);
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
