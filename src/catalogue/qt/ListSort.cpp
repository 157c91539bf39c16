#include "catalogue/qt/ListSort.h"

#include "catalogue/Catalogue.h"

#include <QApplication>
#include <QCursor>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

namespace tavrin {

struct ListSort::Job {
    TreeNode* folder = nullptr; // none once the folder is gone
    bool descending = false;
    std::vector<std::string> paths; // the rows as they stood when the sort began
    std::vector<std::size_t> order;
    std::atomic<bool> cancelled = false;
    std::thread thread;
};

ListSort::ListSort(Catalogue& catalogue, QObject* parent) : QObject(parent), mCatalogue(catalogue) {
    mCatalogue.addListener(this);
}

ListSort::~ListSort() {
    mCatalogue.removeListener(this);
    for (const auto& job : mJobs) {
        job->cancelled = true;
    }
    for (const auto& job : mJobs) {
        job->thread.join();
    }
    if (mLatest) {
        QApplication::restoreOverrideCursor();
    }
}

void ListSort::sortShown(bool descending) {
    TreeNode* folder = mCatalogue.selected();
    if (!folder || folder->folder.items.size() < mBackgroundFrom) {
        if (descending) {
            mCatalogue.sortDescending(localeSortKey);
        } else {
            mCatalogue.sortAscending(localeSortKey);
        }
        // An earlier click's sort still running would put its order over this one.
        settle();
        emit sorted();
        return;
    }
    start(folder, descending);
}

void ListSort::start(TreeNode* folder, bool descending) {
    if (!mLatest) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        mLatest->cancelled = true;
    }
    auto job = std::make_shared<Job>();
    job->folder = folder;
    job->descending = descending;
    job->paths.reserve(folder->folder.items.size());
    for (const ProjectItem& item : folder->folder.items.items()) {
        job->paths.push_back(item.path);
    }
    mLatest = job;
    mJobs.push_back(job);
    // The thread owns nothing of the catalogue: it sorts its own copy of the paths. This
    // object outlives it, since the destructor joins every thread.
    job->thread = std::thread([this, job] {
        std::vector<const std::string*> paths;
        paths.reserve(job->paths.size());
        for (const std::string& path : job->paths) {
            paths.push_back(&path);
        }
        job->order = sortedOrder(paths, localeSortKey, job->descending, &job->cancelled);
        QMetaObject::invokeMethod(
            this, [this, job] { finish(job); }, Qt::QueuedConnection);
    });
}

void ListSort::finish(const std::shared_ptr<Job>& job) {
    job->thread.join();
    std::erase(mJobs, job);
    if (job != mLatest) {
        return;
    }
    TreeNode* folder = job->folder;
    if (!folder) {
        settle();
        return;
    }
    // The order is that of the rows it was made for: rows that changed meanwhile sort again.
    const auto& items = folder->folder.items.items();
    const bool same = items.size() == job->paths.size() &&
                      std::equal(items.begin(), items.end(), job->paths.begin(),
                                 [](const ProjectItem& item, const std::string& path) {
                                     return item.path == path;
                                 });
    if (!same) {
        mLatest.reset();
        QApplication::restoreOverrideCursor();
        start(folder, job->descending);
        return;
    }
    mCatalogue.applyOrder(folder, job->order);
    settle();
    emit sorted();
}

// No sort counts any more: a thread still running ends unheard.
void ListSort::settle() {
    if (!mLatest) {
        return;
    }
    mLatest->cancelled = true;
    mLatest.reset();
    QApplication::restoreOverrideCursor();
}

void ListSort::folderAboutToBeRemoved(TreeNode* node) {
    if (mLatest && mLatest->folder &&
        (mLatest->folder == node || node->isAncestorOf(mLatest->folder))) {
        mLatest->folder = nullptr;
    }
}

void ListSort::treeAboutToReset() {
    if (mLatest) {
        mLatest->folder = nullptr;
    }
}

} // namespace tavrin
