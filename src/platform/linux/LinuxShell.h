#pragma once

#include "platform/Shell.h"

namespace tavrin {

class LinuxFileSystem;

// The shell of a Linux desktop: Windows programs through Wine, everything else through
// xdg-open, native programs directly; the properties through the desktop's file manager.
class LinuxShell : public Shell {
public:
    explicit LinuxShell(LinuxFileSystem& fs);

    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory) override;
    void showProperties(const std::string& path) override;

private:
    LinuxFileSystem& mFs;
};

} // namespace tavrin
