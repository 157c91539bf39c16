#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace tavrin {

class Catalogue;
class Dialogs;
class FileSystem;
struct SearchSettings;

// Searches the files and folders another program drops on the window, with the search settings
// as they stand, into the selected catalogue folder.
class FolderDropSearch : public QObject {
public:
    // `command` runs each search as the window runs its commands.
    using Command = std::function<void(const std::function<void()>&)>;
    FolderDropSearch(QWidget* window, Dialogs& dialogs, FileSystem& fs,
                     const SearchSettings& search, Catalogue& catalogue, Command command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* mWindow;
    Dialogs& mDialogs;
    FileSystem& mFs;
    const SearchSettings& mSearch;
    Catalogue& mCatalogue;
    Command mCommand;
};

} // namespace tavrin
