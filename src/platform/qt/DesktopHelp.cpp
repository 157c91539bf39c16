#include "platform/qt/DesktopHelp.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/linux/Spawn.h"
#include "platform/qt/ProgramWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace tavrin {

namespace {

const char kContents[] = "index.html";

// The manual's page of each context number the windows ask for; its anchor is "help-<n>".
struct Topic {
    int context;
    const char* page;
};
constexpr Topic kTopics[] = {
    {21, "search.html"},   {32, "settings.html"},  {33, "settings.html"},
    {60, "settings.html"}, {56, "customize.html"}, {58, "customize.html"},
};

constexpr char kNotFound[] = "ヘルプ ファイル %s が見つかりません。";
constexpr char kCannotOpen[] = "ヘルプ ファイル %s を開けません。";
constexpr char kNoOpener[] =
    "ヘルプ ファイル %s を開けません。\nxdg-open (xdg-utils) が見つかりません。";
constexpr char kNoHtmlProgram[] =
    "ヘルプ ファイル %s を開けません。\nHTML ファイルを開くアプリケーションがありません。";

// xdg-open's exit status when it finds nothing that opens the file.
constexpr int kNothingOpensHtml = 3;
constexpr int kWatchMs = 10000;

QString hostName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Writes, in `folder`, a page that sends the browser on to `target`, and returns its host path;
// empty when it cannot be written.
QString leadingPage(const std::string& folder, const std::string& anchor, const QUrl& target) {
    if (folder.empty() || !QDir().mkpath(hostName(folder))) {
        return {};
    }
    const QString address = target.toString(QUrl::FullyEncoded).toHtmlEscaped();
    const QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta http-equiv=\"refresh\" content=\"0; url=%1\">\n"
            "<title>ヘルプ</title>\n</head>\n<body><p><a href=\"%1\">ヘルプ</a></p></body>\n"
            "</html>\n")
            .arg(address);
    QSaveFile file(hostName(folder + "/" + anchor + ".html"));
    if (!file.open(QIODevice::WriteOnly) || file.write(html.toUtf8()) < 0 || !file.commit()) {
        return {};
    }
    return file.fileName();
}

} // namespace

DesktopHelp::DesktopHelp(LinuxFileSystem&, Dialogs& dialogs, std::string manualFolder,
                         std::string pageFolder)
    : mDialogs(dialogs), mManualFolder(std::move(manualFolder)), mPageFolder(std::move(pageFolder)),
      mWatches(std::make_unique<QObject>()) {}

DesktopHelp::~DesktopHelp() = default;

std::string DesktopHelp::topicPageFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty()
               ? std::string()
               : QFile::encodeName(cache + QStringLiteral("/Tavrin/help")).toStdString();
}

void DesktopHelp::showContents(const std::string&) {
    open(kContents, {});
}

void DesktopHelp::showContext(const std::string&, int context) {
    for (const Topic& t : kTopics) {
        if (t.context == context) {
            open(t.page, "help-" + std::to_string(context));
            return;
        }
    }
    // A topic the manual does not have: its contents at least.
    open(kContents, {});
}

void DesktopHelp::report(const char* pattern, const std::string& path) {
    mDialogs.messageBox(formatMessage(sj(pattern), cp932::fromHostName(path)), sj("ヘルプ"),
                        MsgIcon::warning, MsgButtons::ok, MsgResult::ok);
}

void DesktopHelp::open(const char* page, const std::string& anchor) {
    const std::string path = mManualFolder + "/" + page;
    const QFileInfo file(hostName(path));
    if (mManualFolder.empty() || !file.isFile()) {
        report(kNotFound, path);
        return;
    }
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (!anchor.empty()) {
        url.setFragment(QString::fromStdString(anchor));
        // xdg-open hands a file to the desktop's HTML program as a path, without its anchor.
        // A page of our own that leads on to the anchor keeps it.
        if (const QString lead = leadingPage(mPageFolder, anchor, url); !lead.isEmpty()) {
            url = QUrl::fromLocalFile(lead);
        }
    }
    const std::optional<std::string> opener = findOnPath("xdg-open");
    if (!opener) {
        report(kNoOpener, path);
        return;
    }
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        report(kCannotOpen, path);
        return;
    }
    // One argument, beginning with "file:": never taken for an option.
    ProgramStart launch;
    launch.argv = {*opener, url.toString(QUrl::FullyEncoded).toStdString()};
    launch.env = currentEnvironment();
    launch.watchFd = status[1];
    const Started started = startDetached(launch);
    ::close(status[1]);
    if (started != Started::yes) {
        ::close(status[0]);
        report(kCannotOpen, path);
        return;
    }
    // Without an event loop nothing could hear the status. xdg-open may wait for the browser it
    // started: once the manual has had time to open, how that browser ends is no concern of
    // the help.
    if (!QCoreApplication::instance()) {
        ::close(status[0]);
        return;
    }
    new ProgramWatch(
        status[0], -1, kWatchMs,
        [this, path](const Shell::Outcome& outcome) {
            if (outcome.ran) {
                return;
            }
            report(outcome.exitStatus == kNothingOpensHtml ? kNoHtmlProgram : kCannotOpen, path);
        },
        mWatches.get());
}

std::string manualFolderFor(const std::string& exeFolder) {
    std::string beside = exeFolder + "/help";
    if (QFileInfo(hostName(beside + "/" + kContents)).isFile()) {
        return beside;
    }
    return QFile::encodeName(QDir::cleanPath(hostName(exeFolder + "/../share/tavrin/help")))
        .toStdString();
}

} // namespace tavrin
