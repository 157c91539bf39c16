#pragma once

#include "search/FolderScan.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QLabel;

namespace tavrin {

class Catalogue;
class FileSystem;

// The folder walk on a thread of its own. Created suspended: the first Resume() starts it.
// Found projects are recognised on the walk's thread and appended to the catalogue's selected
// folder on the user-interface thread, gathered at the screen's pace: a list repainted for
// every row would cost more than the walk.
// Once the walk has ended, OnTerminate is emitted on the user-interface thread and the object
// frees itself.
class TSearchClass : public QThread, private ScanHost {
    Q_OBJECT
public:
    // The marker names are read until OnTerminate; their owner keeps them alive until then.
    TSearchClass(Catalogue& catalogue, FileSystem& fs, bool dupChk,
                 const std::vector<std::string>& markerNames, std::string startFolder,
                 QLabel& reportLabel);
    ~TSearchClass() override;

    // Starts the walk, or lets a paused one go on.
    void Resume();
    // The walk halts at its next gate; a step already handed over still runs.
    void Suspend();
    bool suspended() const;
    // The walk stops when it next tries to enter a folder.
    void Terminate();
    // The worker stands at the gate, waiting for Resume().
    bool halted() const { return mHalted; }

signals:
    void OnTerminate();
    // How many projects have reached the list so far.
    void foundSoFar(int count);

protected:
    void run() override;

private:
    bool terminated() override { return mTerminated; }
    void gate() override;
    void ShowSearchedFolder(const std::string& folder) override;
    void AddFoundProject(const std::string& folder, const std::string& marker) override;

    // Runs the step on the user-interface thread and waits; what it throws is thrown here.
    void Synchronize(const std::function<void()>& step);
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
};

} // namespace tavrin
