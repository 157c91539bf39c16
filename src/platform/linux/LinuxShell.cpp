#include "platform/linux/LinuxShell.h"

#include "platform/linux/LinuxFileSystem.h"

namespace tavrin {

LinuxShell::LinuxShell(LinuxFileSystem& fs) : mFs(fs) {}

int LinuxShell::execute(const std::string&, const std::string&, const std::string&) {
    return kNoAssociation;
}

void LinuxShell::showProperties(const std::string&) {}

} // namespace tavrin
