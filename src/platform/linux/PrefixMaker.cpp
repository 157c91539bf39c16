#include "platform/linux/PrefixMaker.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QProcess>
#include <QProgressDialog>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>

namespace tavrin {

namespace {

bool made(const std::string& prefix) {
    struct stat st {};
    return ::stat((prefix + "/system.reg").c_str(), &st) == 0;
}

} // namespace

PrefixMaker::PrefixMaker(Dialogs& dialogs, std::function<void()> made)
    : mDialogs(dialogs), mMade(std::move(made)) {
    mTimer.setInterval(200);
    connect(&mTimer, &QTimer::timeout, this, &PrefixMaker::poll);
}

PrefixMaker::~PrefixMaker() {
    delete mProgress;
}

void PrefixMaker::whenMade(const std::string& prefix, std::function<void()> then,
                           const std::string& key) {
    if (mPid == 0 && made(prefix)) {
        then();
        return;
    }
    const auto same = std::find_if(mWaiting.begin(), mWaiting.end(), [&](const auto& waiting) {
        return !key.empty() && waiting.first == key;
    });
    if (same != mWaiting.end())
        same->second = std::move(then);
    else
        mWaiting.emplace_back(key, std::move(then));
    if (mPid != 0) {
        showProgress();
        return;
    }
    mPrefix = prefix;

    // Detached, so closing the window never cuts the prefix short; the server is waited for,
    // as it writes the registry files when it ends.
    QProcess boot;
    boot.setProgram(QStringLiteral("/bin/sh"));
    boot.setArguments(
        {QStringLiteral("-c"), QStringLiteral("wine wineboot -i >/dev/null 2>&1; wineserver -w")});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), QString::fromLocal8Bit(prefix.c_str()));
    boot.setProcessEnvironment(env);
    boot.setStandardOutputFile(QProcess::nullDevice());
    boot.setStandardErrorFile(QProcess::nullDevice());
    if (!boot.startDetached(&mPid) || mPid <= 0) {
        mPid = 0;
        finish();
        return;
    }
    showProgress();
    mTimer.start();
}

void PrefixMaker::showProgress() {
    if (mProgress) {
        // A dialog cancelled once must take a new cancel.
        if (mProgress->wasCanceled())
            mProgress->reset();
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

void PrefixMaker::poll() {
    if (mPid != 0 && ::kill(static_cast<pid_t>(mPid), 0) == 0)
        return;
    mPid = 0;
    mTimer.stop();
    finish();
}

void PrefixMaker::finish() {
    if (mProgress) {
        mProgress->hide();
        mProgress->deleteLater();
    }
    std::vector<std::pair<std::string, std::function<void()>>> waiting;
    waiting.swap(mWaiting);
    if (made(mPrefix) && mMade)
        mMade();
    if (!made(mPrefix)) {
        if (!waiting.empty())
            mDialogs.messageBox(formatMessage(sj("Wine の環境 %s を作成できませんでした。"),
                                              cp932::fromHostName(mPrefix)),
                                "Tavrin", MsgIcon::Warning, MsgButtons::Ok, MsgResult::Ok);
        return;
    }
    for (auto& [key, then] : waiting)
        then();
}

} // namespace tavrin
