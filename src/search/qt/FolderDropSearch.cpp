#include "search/qt/FolderDropSearch.h"

#include "platform/qt/FileDrop.h"
#include "search/qt/SearchCommand.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

namespace tavrin {

FolderDropSearch::FolderDropSearch(QWidget* window, Dialogs& dialogs, FileSystem& fs,
                                   const SearchSettings& search, Catalogue& catalogue,
                                   Command command)
    : QObject(window), mWindow(window), mDialogs(dialogs), mFs(fs), mSearch(search),
      mCatalogue(catalogue), mCommand(std::move(command)) {
    window->installEventFilter(this);
}

bool FolderDropSearch::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != mWindow ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    // Files and folders from another program; the list's own drags carry none.
    if (drop->source() || !drop->mimeData()->hasUrls()) {
        return false;
    }
    if (type != QEvent::Drop) {
        acceptFileDrop(drop);
        return true;
    }
    const std::vector<std::string> items = searchableDrops(*drop->mimeData(), mFs);
    // Nothing this program can search is no drop at all: the source keeps its files.
    if (items.empty()) {
        drop->ignore();
        return true;
    }
    if (!acceptFileDrop(drop)) {
        return true;
    }
    // The drop ends before the searches run, so the program it came from is not kept waiting.
    QTimer::singleShot(0, this, [this, items] {
        mCommand([&] { searchDroppedFolders(mWindow, mDialogs, mFs, mSearch, mCatalogue, items); });
    });
    return true;
}

} // namespace tavrin
