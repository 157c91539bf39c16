#pragma once

#include <string_view>

namespace tavrin::winesetup {

// The processor a Windows program is built for, from its first bytes (a few kilobytes).
enum class Machine { unknown, i386, amd64 };
Machine peMachine(std::string_view head);

// What the host holds of the Wine that the `wine` on PATH starts. Paths are relative to the
// folder `wine` lies in, after links are followed.
struct WineInstall {
    enum class Launcher { elf32, elf64, script, other };
    Launcher launcher = Launcher::other;
    bool libLoader32 = false; // ../lib/wine/wine, Debian's 32-bit loader
    bool libLoader64 = false; // ../lib/wine/wine64
    bool i386Windows = false; // ../lib/wine/i386-windows, a WoW64 build's 32-bit half
};
WineInstall::Launcher launcherKind(std::string_view head);

// False only when the install plainly lacks its 32-bit half; a layout we do not know gets the
// benefit of the doubt, since Wine will then say so itself.
bool runs32Bit(const WineInstall& wine);

// A prefix made while only 64-bit Wine was installed: its system.reg says win64 and its 32-bit
// system folder lacks kernel32.dll. `systemRegHead`: the first lines of system.reg.
bool prefixLacks32Bit(std::string_view systemRegHead, bool syswow64Kernel32);

} // namespace tavrin::winesetup
