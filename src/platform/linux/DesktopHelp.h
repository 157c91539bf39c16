#pragma once

#include "platform/Help.h"

#include <string>
#include <utility>

namespace tavrin {

class Dialogs;
class LinuxFileSystem;

// Opens the program's HTML manual in the desktop's browser, at its contents or at the anchor of
// a context number; a missing page is reported as a help viewer would report it.
class DesktopHelp : public Help {
public:
    // manualFolder: the host folder of the manual. The manual is reached by host paths alone,
    // so the file system goes unused; the parameter keeps the services' wiring as it is.
    DesktopHelp(LinuxFileSystem& /*fs*/, Dialogs& dialogs, std::string manualFolder)
        : mDialogs(dialogs), mManualFolder(std::move(manualFolder)) {}

    // helpFile, the Windows help file the windows name, is not read: the manual's place was
    // settled when the program started.
    void showContents(const std::string& helpFile) override;
    void showContext(const std::string& helpFile, int context) override;

private:
    // Opens `page` of the manual, at `anchor` when it is not empty.
    void open(const char* page, const std::string& anchor);

    Dialogs& mDialogs;
    std::string mManualFolder;
};

// The manual's host folder for a program whose executable lies in exeFolder (host path): its
// "help" folder when that holds the contents page (a portable copy, a build folder), otherwise
// where an installation puts it, <prefix>/share/tavrin/help.
std::string manualFolderFor(const std::string& exeFolder);

} // namespace tavrin
