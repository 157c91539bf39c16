#pragma once

#include "platform/Shell.h"

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tavrin {

// Hears, for ten seconds after its start (a first start of Wine takes several), how a Windows
// program ends: Wine's failures come at once, and a program still running by then has run. Tells
// `ended` once; then, for a program that ran, `finished` when it ends, if given; then goes.
class ProgramWatch : public QObject {
public:
    // How long a start is watched.
    static constexpr int kWatchMs = 10000;

    // `statusFd`: where the watcher writes the wait status; `outputFd`: the file the program's
    // output goes to, or -1. Both are the watch's from now on. `watchMs`: how long, 0 until the
    // program ends.
    ProgramWatch(int statusFd, int outputFd, int watchMs,
                 std::function<void(const Shell::Outcome&)> ended, QObject* parent,
                 std::function<void()> finished = {});
    ~ProgramWatch() override;
    ProgramWatch(const ProgramWatch&) = delete;
    ProgramWatch& operator=(const ProgramWatch&) = delete;

private:
    void statusReady();
    void finish(const Shell::Outcome& outcome, bool stillRunning);

    int mStatusFd;
    int mOutputFd;
    std::function<void(const Shell::Outcome&)> mEnded;
    std::function<void()> mFinished;
    QSocketNotifier* mNotifier = nullptr;
};

} // namespace tavrin
