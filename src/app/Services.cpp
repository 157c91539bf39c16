#include "app/LinuxServices.h"

#include "platform/PathText.h"

namespace tavrin {

LinuxServices::LinuxServices() : mFs(LinuxFileSystem::driveTableFromEnvironment()) {}

std::string LinuxServices::windowsFolder(const std::string& hostFolder) const {
    auto windows = mFs.toWindowsPath(hostFolder);
    // Wine always has drive Z: at "/", so only a prefix without it lands here.
    if (!windows) {
        windows = DriveTable::rootOnly().toWindows(hostFolder);
    }
    return pathtext::withTrailingBackslash(windows.value_or(std::string()));
}

} // namespace tavrin
