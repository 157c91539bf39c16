#pragma once

#include "platform/Services.h"
#include "platform/linux/FlockInstanceMarker.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/WineRegistry.h"
#include "platform/qt/DesktopHelp.h"
#include "platform/qt/DesktopIcons.h"
#include "platform/qt/LinuxShell.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QueuedRegistry.h"

#include <string>

namespace tavrin {

// The real services of the running program.
class LinuxServices {
public:
    // `dataFolder`: the host folder of the program's own files.
    explicit LinuxServices(const std::string& dataFolder);

    Services services() {
        return {mFs, mDialogs, mMarker, mClipboard, mHelp, mShell, mRegistry, mIcons, mOwnFiles};
    }
    // The program's own files are host files in their folder: a prefix's drive table, missing
    // or looping, has no say in them.
    static DriveTable ownDrive(const std::string& dataFolder) {
        return DriveTable({{kOwnFolder[0], dataFolder}});
    }
    QtDialogs& dialogs() { return mDialogs; }
    // The Windows path of a host folder, with a trailing backslash.
    std::string windowsFolder(const std::string& hostFolder) const {
        return windowsFolder(mFs, hostFolder);
    }
    static std::string windowsFolder(const LinuxFileSystem& fs, const std::string& hostFolder);
    // The Windows path of a host path; nothing when no drive holds it.
    std::optional<std::string> windowsPath(const std::string& hostPath) const {
        return windowsPath(mFs, hostPath);
    }
    static std::optional<std::string> windowsPath(const LinuxFileSystem& fs,
                                                  const std::string& hostPath);

private:
    // The executable's host folder.
    static std::string exeFolder();

    LinuxFileSystem mFs;
    // File and folder dialogs answer in Windows paths, through the same drive table as the files.
    QtDialogs mDialogs{[this](const std::string& host) { return windowsPath(host); },
                       [this](const std::string& windows) { return mFs.toHostPath(windows); }};
    LinuxFileSystem mOwnFiles;
    FlockInstanceMarker mMarker;
    QtClipboard mClipboard;
    DesktopHelp mHelp{mFs, mDialogs, manualFolderFor(exeFolder())};
    LinuxShell mShell{mFs, mDialogs};
    WineRegistry mWineRegistry{LinuxFileSystem::winePrefix()};
    // The windows' registry work waits for Wine off their thread.
    QueuedRegistry mRegistry{mWineRegistry, mDialogs};
    DesktopIcons mIcons{mFs};
};

} // namespace tavrin
