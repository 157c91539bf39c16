#pragma once

#include "platform/Help.h"

#include <string>
#include <utility>

namespace tavrin {

class Dialogs;
class LinuxFileSystem;

// Opens the help file with the desktop's handler; a missing file is reported as a help viewer
// would report it.
class DesktopHelp : public Help {
public:
    // manualFolder: the host folder of the program's HTML manual.
    DesktopHelp(LinuxFileSystem& fs, Dialogs& dialogs, std::string manualFolder)
        : mFs(fs), mDialogs(dialogs), mManualFolder(std::move(manualFolder)) {}

    void showContents(const std::string& helpFile) override;
    void showContext(const std::string& helpFile, int context) override;

private:
    LinuxFileSystem& mFs;
    Dialogs& mDialogs;
    std::string mManualFolder;
};

// The manual's host folder for a program whose executable lies in exeFolder (host path).
std::string manualFolderFor(const std::string& exeFolder);

} // namespace tavrin
