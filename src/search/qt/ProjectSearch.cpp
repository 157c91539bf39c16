#include "search/qt/ProjectSearch.h"

#include "catalogue/Catalogue.h"
#include "platform/qt/QtText.h"

#include <QLabel>
#include <QTimer>

namespace tavrin {

namespace {
// About two frames.
constexpr int kPaceMs = 30;
} // namespace

ProjectSearch::ProjectSearch(Catalogue& catalogue, FileSystem& fs, bool dupChk,
                             const std::vector<std::string>& markerNames, std::string startFolder,
                             QLabel& reportLabel)
    : mCatalogue(catalogue), mFs(fs), mReportLabel(reportLabel), mMarkerNames(markerNames),
      mStartFolder(std::move(startFolder)), mDupChk(dupChk) {}

ProjectSearch::~ProjectSearch() {
    if (!mWorker.joinable()) {
        return;
    }
    stop();
    resume();
    mWorker.join();
}

void ProjectSearch::resume() {
    if (!mStarted) {
        mStarted = true;
        mWalking = true;
        mWorker = std::thread([this] { run(); });
        return;
    }
    {
        std::lock_guard lock(mGateMutex);
        mPaused = false;
    }
    mGateOpen.notify_all();
}

void ProjectSearch::pause() {
    std::lock_guard lock(mGateMutex);
    mPaused = true;
}

bool ProjectSearch::paused() const {
    std::lock_guard lock(mGateMutex);
    return !mStarted || mPaused;
}

void ProjectSearch::stop() {
    mTerminated = true;
}

void ProjectSearch::gate() {
    std::unique_lock lock(mGateMutex);
    if (!mPaused) {
        return;
    }
    mHalted = true;
    mGateOpen.wait(lock, [this] { return !mPaused; });
    mHalted = false;
}

void ProjectSearch::run() {
    try {
        runOnWindowThread([this] {
            if (mDupChk) {
                mDuplicates.emplace(mCatalogue);
            }
        });
        walkFolders(mFs, mStartFolder, mMarkerNames, *this);
    } catch (...) {
        // A failed step ends the walk without a message; the dialog closes as after any end.
    }
    mWalking = false;
    // The rest on the user-interface thread, after the walk has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            mWorker.join();
            showLatestFolder();
            addFoundSoFar();
            emit ended();
        },
        Qt::QueuedConnection);
}

void ProjectSearch::runOnWindowThread(const std::function<void()>& step) {
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        this,
        [&] {
            try {
                step();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void ProjectSearch::showSearchedFolder(const std::string& folder) {
    // A blocking hand-over per folder would cost more than the walk itself, and a repaint per
    // folder would take the walk's core: the label shows the latest folder at the screen's pace.
    {
        std::lock_guard lock(mShownMutex);
        mLatestFolder = folder;
        if (mShowPending) {
            return;
        }
        mShowPending = true;
    }
    QMetaObject::invokeMethod(
        this, [this] { QTimer::singleShot(kPaceMs, this, [this] { showLatestFolder(); }); },
        Qt::QueuedConnection);
}

void ProjectSearch::showLatestFolder() {
    std::string folder;
    {
        std::lock_guard lock(mShownMutex);
        if (!mShowPending) {
            return;
        }
        folder.swap(mLatestFolder);
        mShowPending = false;
    }
    mReportLabel.setText(qs(folder));
}

void ProjectSearch::addFoundProject(const std::string& folder, const std::string& marker) {
    auto item = recognizeProject(mFs, folder, marker, mDuplicates ? &*mDuplicates : nullptr);
    if (!item) {
        return;
    }
    if (mDuplicates) {
        mDuplicates->add(item->path);
    }
    {
        std::lock_guard lock(mFoundMutex);
        mFound.push_back(std::move(*item));
        if (mFoundPending) {
            return;
        }
        mFoundPending = true;
    }
    // Rows found meanwhile join the same hand-over and the same repaint.
    QMetaObject::invokeMethod(
        this, [this] { QTimer::singleShot(kPaceMs, this, [this] { addFoundSoFar(); }); },
        Qt::QueuedConnection);
}

void ProjectSearch::addFoundSoFar() {
    std::vector<ProjectItem> found;
    {
        std::lock_guard lock(mFoundMutex);
        found.swap(mFound);
        mFoundPending = false;
    }
    if (found.empty()) {
        return;
    }
    mCatalogue.appendItems(mCatalogue.selected(), found);
    mHandedOver += static_cast<int>(found.size());
    emit foundSoFar(mHandedOver);
}

} // namespace tavrin
