#include "app/LinuxServices.h"

#include "platform/PathText.h"

#include <QCoreApplication>
#include <QFile>

namespace tavrin {

LinuxServices::LinuxServices(const std::string& dataFolder)
    : mFs(LinuxFileSystem::driveTableFromEnvironment()), mOwnFiles(ownDrive(dataFolder)),
      mMarker(dataFolder) {}

std::string LinuxServices::exeFolder() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

std::optional<std::string> LinuxServices::windowsPath(const LinuxFileSystem& fs,
                                                      const std::string& hostPath) {
    auto windows = fs.toWindowsPath(hostPath);
    // Wine always has drive Z: at "/", so only a prefix without it lands here.
    if (!windows) {
        windows = DriveTable::rootOnly().toWindows(hostPath);
    }
    return windows;
}

std::string LinuxServices::windowsFolder(const LinuxFileSystem& fs, const std::string& hostFolder) {
    return pathtext::withTrailingBackslash(windowsPath(fs, hostFolder).value_or(std::string()));
}

} // namespace tavrin
