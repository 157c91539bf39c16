#include "platform/linux/DesktopHelp.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace tavrin {

void DesktopHelp::showContents(const std::string& helpFile) {
    if (helpFile.empty() || !mFs.fileExists(helpFile)) {
        mDialogs.messageBox(formatMessage(sj("ヘルプ ファイル %s が見つかりません。"), helpFile),
                            sj("ヘルプ"), MsgIcon::Warning, MsgButtons::Ok, MsgResult::Ok);
        return;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const QString host = QFile::decodeName(QByteArray::fromStdString(mFs.toHostPath(helpFile)));
    if (opener.isEmpty() || !QProcess::startDetached(opener, {host})) {
        mDialogs.messageBox(formatMessage(sj("ヘルプ ファイル %s を開けません。"), helpFile),
                            sj("ヘルプ"), MsgIcon::Warning, MsgButtons::Ok, MsgResult::Ok);
    }
}

void DesktopHelp::showContext(const std::string& helpFile, int) {
    // A desktop handler has no topic numbers; the file opens at its start.
    showContents(helpFile);
}

std::string manualFolderFor(const std::string& exeFolder) {
    return exeFolder + "/help";
}

} // namespace tavrin
