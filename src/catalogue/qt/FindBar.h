#pragma once

#include "catalogue/CatalogueFind.h"
#include "catalogue/CatalogueListener.h"

#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class QAbstractItemView;
class QLineEdit;
class QShortcut;
class QTimer;

namespace tavrin {

class Catalogue;
class ProjectListModel;
class ProjectListView;

// The find box over the project list: as the user types, the list shows the items of every
// folder whose title or path holds the text, each with its folder. Esc in the box or the list,
// or a click in the tree, brings the tree's folder back.
//
// The catalogue is taken on the window's thread (kept records shared, made items copied); a
// worker of the bar's own folds it into an index and searches it. Only the latest text is
// searched: a search a newer text overtakes stops, and an answer for an older text is dropped.
// A search that finds more than a screen of rows shows that screen at once and the rest when it
// ends.
class FindBar : public QWidget, private CatalogueListener {
    Q_OBJECT
public:
    // Holds the list below its box; the box stays hidden until opened.
    FindBar(Catalogue& catalogue, ProjectListModel* model, ProjectListView* list,
            QAbstractItemView* tree, QWidget* parent);
    ~FindBar() override;
    FindBar(const FindBar&) = delete;
    FindBar& operator=(const FindBar&) = delete;

    // Shows the box with its text selected and the focus in it; the index is made meanwhile.
    void open();
    // Hides the box; the list shows the tree's folder again.
    void close();
    bool isOpen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The list shows the answer for the box's text.
    void answered();

private:
    struct Request {
        std::uint64_t id = 0;
        std::string text;
        std::shared_ptr<const FindSource> source; // a new catalogue to index first
    };

    void ask(const QString& text);
    void post(Request request);
    // `complete` false: the first rows of a long search, the rest to come.
    void show(std::uint64_t id, std::shared_ptr<const FoundItems> found, bool complete);
    void showFolder();
    void work();

    void treeReset() override { changed(); }
    void folderInserted(TreeNode*) override { changed(); }
    void folderRemoved() override { changed(); }
    void folderChanged(TreeNode*) override { changed(); }
    void itemsInserted() override { changed(); }
    void itemsRemoved() override { changed(); }
    void itemsReset() override;
    void selectionAboutToChange(TreeNode*) override { mSelecting = true; }
    void selectionChanged(TreeNode*) override { mSelecting = false; }
    void itemsChanged(int, int) override { changed(); }
    void changed();

    Catalogue& mCatalogue;
    ProjectListModel* mModel;
    ProjectListView* mList;
    QWidget* mBar;
    QLineEdit* mBox;
    QShortcut* mEscape;
    QTimer* mRefresh;
    bool mStale = true;
    bool mSelecting = false;
    std::uint64_t mAsked = 0;
    std::uint64_t mShownEarly = 0; // the text whose first rows alone are shown
    // How the list was before it showed found rows.
    bool mListDrags = false;
    bool mHeaderClicks = false;
    int mPathWidth = 0;

    std::mutex mMutex;
    std::condition_variable mWake;
    std::optional<Request> mRequest; // under mMutex
    std::atomic<bool> mQuit = false;
    std::atomic<bool> mOvertaken = false;
    std::thread mWorker;
};

} // namespace tavrin
