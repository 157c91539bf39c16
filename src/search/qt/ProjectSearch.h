#pragma once

#include "search/FolderScan.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QLabel;

namespace tavrin {

class Catalogue;
class FileSystem;

// The folder walk on a thread of its own, which this object owns and joins. Created paused: the
// first resume() starts it.
// Found projects are recognised on the walk's thread and appended to the catalogue's selected
// folder on the user-interface thread, gathered at the screen's pace: a list repainted for
// every row would cost more than the walk.
// Once the walk has ended and its thread is joined, ended is emitted on the user-interface thread.
// Destroyed before that, it stops the walk and waits for it.
class ProjectSearch : public QObject, private ScanHost {
    Q_OBJECT
public:
    // The marker names are read until ended; their owner keeps them alive until then.
    ProjectSearch(Catalogue& catalogue, FileSystem& fs, bool dupChk,
                  const std::vector<std::string>& markerNames, std::string startFolder,
                  QLabel& reportLabel);
    ~ProjectSearch() override;

    // Starts the walk, or lets a paused one go on.
    void resume();
    // The walk halts at its next gate; a step already handed over still runs.
    void pause();
    bool paused() const;
    // The walk stops when it next tries to enter a folder.
    void stop();
    // Until the walk has returned.
    bool walking() const { return mWalking; }
    // The worker stands at the gate, waiting for resume().
    bool halted() const { return mHalted; }

signals:
    void ended();
    // How many projects have reached the list so far.
    void foundSoFar(int count);

private:
    void run();
    bool terminated() override { return mTerminated; }
    void gate() override;
    void showSearchedFolder(const std::string& folder) override;
    void addFoundProject(const std::string& folder, const std::string& marker) override;

    // Runs the step on the user-interface thread and waits; what it throws is thrown here.
    void runOnWindowThread(const std::function<void()>& step);
    // On the user-interface thread: the label takes the latest folder the walk has entered.
    void showLatestFolder();
    // On the user-interface thread: the projects found so far go into the list at once.
    void addFoundSoFar();

    Catalogue& mCatalogue;
    FileSystem& mFs;
    QLabel& mReportLabel;
    const std::vector<std::string>& mMarkerNames;
    const std::string mStartFolder;
    const bool mDupChk;
    // Made on the user-interface thread before the walk, then the walk's own.
    std::optional<DuplicateCheck> mDuplicates;

    std::atomic<bool> mTerminated{false};
    std::atomic<bool> mHalted{false};
    std::atomic<bool> mWalking{false};
    bool mStarted = false;
    mutable std::mutex mGateMutex;
    std::condition_variable mGateOpen;
    bool mPaused = false;

    // A folder shown is not waited for: the walk only leaves the latest one, and posts an
    // update when none is on its way.
    std::mutex mShownMutex;
    std::string mLatestFolder;
    bool mShowPending = false;

    // Found projects wait here for the next hand-over; one is on its way when pending.
    std::mutex mFoundMutex;
    std::vector<ProjectItem> mFound;
    bool mFoundPending = false;
    int mHandedOver = 0; // on the user-interface thread

    // Last: it is joined before anything it uses goes.
    std::thread mWorker;
};

} // namespace tavrin
