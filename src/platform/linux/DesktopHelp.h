#pragma once

#include "platform/Help.h"

namespace tavrin {

class Dialogs;
class LinuxFileSystem;

// Opens the help file with the desktop's handler; a missing file is reported as a help viewer
// would report it.
class DesktopHelp : public Help {
public:
    DesktopHelp(LinuxFileSystem& fs, Dialogs& dialogs) : mFs(fs), mDialogs(dialogs) {}

    void showContents(const std::string& helpFile) override;
    void showContext(const std::string& helpFile, int context) override;

private:
    LinuxFileSystem& mFs;
    Dialogs& mDialogs;
};

} // namespace tavrin
