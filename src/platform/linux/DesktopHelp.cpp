#include "platform/linux/DesktopHelp.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

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

QString hostName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

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

void DesktopHelp::open(const char* page, const std::string& anchor) {
    const std::string path = mManualFolder + "/" + page;
    const auto report = [&](const char* pattern) {
        mDialogs.messageBox(formatMessage(sj(pattern), cp932::fromHostName(path)), sj("ヘルプ"),
                            MsgIcon::Warning, MsgButtons::Ok, MsgResult::Ok);
    };
    const QFileInfo file(hostName(path));
    if (mManualFolder.empty() || !file.isFile()) {
        report("ヘルプ ファイル %s が見つかりません。");
        return;
    }
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (!anchor.empty()) {
        url.setFragment(QString::fromStdString(anchor));
    }
    // One argument, beginning with "file:": never taken for an option.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)})) {
        report("ヘルプ ファイル %s を開けません。");
    }
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
