#pragma once

#include "platform/Icons.h"

namespace tavrin {

class LinuxFileSystem;

// Program icons read from the files themselves; the rest from the desktop's icon theme, else
// the style's own pictures.
class DesktopIcons : public Icons {
public:
    explicit DesktopIcons(LinuxFileSystem& fs) : mFs(fs) {}

    std::optional<std::string> fileIcon(const std::string& path) override;
    std::optional<std::string> desktopIcon(Desktop kind, const std::string& path) override;
    std::string fallbackIcon() override;

private:
    LinuxFileSystem& mFs;
};

} // namespace tavrin
