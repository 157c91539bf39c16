#include "platform/qt/PrefixMaker.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"

#include "platform/linux/Spawn.h"
#include "platform/qt/ProgramWatch.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

bool made(const std::string& prefix) {
    struct stat st {};
    return ::stat((prefix + "/system.reg").c_str(), &st) == 0;
}

} // namespace

PrefixMaker::PrefixMaker(Dialogs& dialogs, std::function<void()> made)
    : mDialogs(dialogs), mMade(std::move(made)) {}

PrefixMaker::~PrefixMaker() {
    delete mProgress;
}

void PrefixMaker::whenMade(const std::string& prefix, std::function<void()> then,
                           const std::string& key) {
    if (!mMaking && made(prefix)) {
        then();
        return;
    }
    const auto same = std::find_if(mWaiting.begin(), mWaiting.end(), [&](const auto& waiting) {
        return !key.empty() && waiting.first == key;
    });
    if (same != mWaiting.end()) {
        same->second = std::move(then);
    } else {
        mWaiting.emplace_back(key, std::move(then));
    }
    if (mMaking) {
        showProgress();
        return;
    }
    mPrefix = prefix;
    mMaking = true;
    // Detached, so closing the window never cuts the prefix short; the server is waited for,
    // as it writes the registry files when it ends.
    const std::optional<std::string> wine = findOnPath("wine");
    const std::optional<std::string> server = findOnPath("wineserver");
    const bool started = wine && server && runStep({*wine, "wineboot", "-i"}, [this, server] {
                             if (!runStep({*server, "-w"}, [this] { finish(); })) {
                                 finish();
                             }
                         });
    if (!started) {
        finish();
        return;
    }
    showProgress();
}

bool PrefixMaker::runStep(std::vector<std::string> argv, std::function<void()> then) {
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        return false;
    }
    ProgramStart step;
    step.argv = std::move(argv);
    for (std::string& entry : currentEnvironment()) {
        if (!entry.starts_with("WINEPREFIX=")) {
            step.env.push_back(std::move(entry));
        }
    }
    step.env.push_back("WINEPREFIX=" + mPrefix);
    step.outputFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    step.watchFd = status[1];
    const Started started = startDetached(step);
    ::close(status[1]);
    if (step.outputFd >= 0) {
        ::close(step.outputFd);
    }
    if (started != Started::yes) {
        ::close(status[0]);
        return false;
    }
    new ProgramWatch(
        status[0], -1, 0, [then = std::move(then)](const Shell::Outcome&) { then(); }, this);
    return true;
}

void PrefixMaker::showProgress() {
    if (mProgress) {
        // A dialog cancelled once must take a new cancel.
        if (mProgress->wasCanceled()) {
            mProgress->reset();
        }
        mProgress->show();
        mProgress->raise();
        return;
    }
    mProgress = new QProgressDialog(
        QString::fromUtf8("Wine の環境を作成しています。初回は数十秒かかります。\n"
                          "作成が終わると起動します。"),
        QString::fromUtf8("キャンセル"), 0, 0, QApplication::activeWindow());
    mProgress->setWindowTitle(QStringLiteral("Tavrin"));
    mProgress->setWindowModality(Qt::NonModal);
    mProgress->setMinimumDuration(0);
    mProgress->setAutoClose(false);
    mProgress->setAutoReset(false);
    // A cancel drops the waiting starts; the prefix is still made, for the next one.
    connect(mProgress, &QProgressDialog::canceled, this, [this] {
        mWaiting.clear();
        mProgress->hide();
    });
    mProgress->show();
}

void PrefixMaker::finish() {
    mMaking = false;
    if (mProgress) {
        mProgress->hide();
        mProgress->deleteLater();
    }
    std::vector<std::pair<std::string, std::function<void()>>> waiting;
    waiting.swap(mWaiting);
    if (made(mPrefix) && mMade) {
        mMade();
    }
    if (!made(mPrefix)) {
        if (!waiting.empty()) {
            mDialogs.messageBox(formatMessage(sj("Wine の環境 %s を作成できませんでした。"),
                                              cp932::fromHostName(mPrefix)),
                                "Tavrin", MsgIcon::warning, MsgButtons::ok, MsgResult::ok);
        }
        return;
    }
    for (auto& [key, then] : waiting) {
        then();
    }
}

} // namespace tavrin
