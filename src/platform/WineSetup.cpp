#include "platform/WineSetup.h"

#include <cstdint>

namespace tavrin::winesetup {

namespace {

std::uint32_t le(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

} // namespace

Machine peMachine(std::string_view head) {
    if (head.size() < 0x40 || head.substr(0, 2) != "MZ") {
        return Machine::unknown;
    }
    const std::size_t pe = le(head, 0x3C, 4);
    if (pe > head.size() || head.size() - pe < 6 ||
        head.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return Machine::unknown;
    }
    switch (le(head, pe + 4, 2)) {
    case 0x14C:
        return Machine::i386;
    case 0x8664:
        return Machine::amd64;
    default:
        return Machine::unknown;
    }
}

WineInstall::Launcher launcherKind(std::string_view head) {
    if (head.size() >= 5 && head.substr(0, 4) == "\x7f"
                                                 "ELF") {
        switch (head[4]) {
        case 1:
            return WineInstall::Launcher::elf32;
        case 2:
            return WineInstall::Launcher::elf64;
        default:
            return WineInstall::Launcher::other;
        }
    }
    if (head.starts_with("#!")) {
        return WineInstall::Launcher::script;
    }
    return WineInstall::Launcher::other;
}

bool runs32Bit(const WineInstall& wine) {
    switch (wine.launcher) {
    case WineInstall::Launcher::elf32:
        return true;
    case WineInstall::Launcher::elf64:
        return wine.i386Windows || wine.libLoader32;
    case WineInstall::Launcher::script:
        // Debian's script runs ../lib/wine/wine, and falls back to wine64 without it.
        return wine.libLoader32 || !wine.libLoader64;
    case WineInstall::Launcher::other:
        break;
    }
    return true;
}

bool prefixLacks32Bit(std::string_view systemRegHead, bool syswow64Kernel32) {
    return systemRegHead.find("#arch=win64") != std::string_view::npos && !syswow64Kernel32;
}

} // namespace tavrin::winesetup
