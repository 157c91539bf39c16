#include "platform/qt/ProgramWatch.h"

#include "platform/WineOutput.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrin {

namespace {

// Only the end of a long output is read.
constexpr off_t kOutputTail = off_t{64} * 1024;

std::string readTail(int fd) {
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end <= 0) {
        return {};
    }
    const off_t from = end > kOutputTail ? end - kOutputTail : 0;
    std::string bytes(static_cast<std::size_t>(end - from), '\0');
    ssize_t n;
    do {
        n = ::pread(fd, bytes.data(), bytes.size(), from);
    } while (n < 0 && errno == EINTR);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}

} // namespace

ProgramWatch::ProgramWatch(int statusFd, int outputFd, int watchMs,
                           std::function<void(const Shell::Outcome&)> ended, QObject* parent,
                           std::function<void()> finished)
    : QObject(parent), mStatusFd(statusFd), mOutputFd(outputFd), mEnded(std::move(ended)),
      mFinished(std::move(finished)) {
    mNotifier = new QSocketNotifier(mStatusFd, QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &ProgramWatch::statusReady);
    if (watchMs > 0) {
        QTimer::singleShot(watchMs, this, [this] { finish(Shell::Outcome{}, true); });
    }
}

ProgramWatch::~ProgramWatch() {
    delete mNotifier;
    ::close(mStatusFd);
    if (mOutputFd >= 0) {
        ::close(mOutputFd);
    }
}

void ProgramWatch::statusReady() {
    int status = 0;
    ssize_t n;
    do {
        n = ::read(mStatusFd, &status, sizeof status);
    } while (n < 0 && errno == EINTR);
    // The watch was over: the program that ran has ended now, or its watcher went.
    if (!mEnded) {
        mNotifier->setEnabled(false);
        std::function<void()> finished = std::move(mFinished);
        mFinished = nullptr;
        deleteLater();
        if (finished) {
            finished();
        }
        return;
    }
    Shell::Outcome outcome;
    if (n != static_cast<ssize_t>(sizeof status)) {
        // The watcher itself went: nothing is known of the program.
        finish(outcome, false);
        return;
    }
    outcome.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (!outcome.ran && mOutputFd >= 0) {
        outcome.said = lastOutputLines(readTail(mOutputFd));
    }
    finish(outcome, false);
}

void ProgramWatch::finish(const Shell::Outcome& outcome, bool stillRunning) {
    if (!mEnded) {
        return;
    }
    std::function<void(const Shell::Outcome&)> ended = std::move(mEnded);
    mEnded = nullptr;
    std::function<void()> finished;
    // A program still running is heard on until it ends, when its end is wanted.
    if (!stillRunning || !mFinished) {
        mNotifier->setEnabled(false);
        if (outcome.ran) {
            finished = std::move(mFinished);
        }
        mFinished = nullptr;
        deleteLater();
    }
    ended(outcome);
    if (finished) {
        finished();
    }
}

} // namespace tavrin
