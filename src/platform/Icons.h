#pragma once

#include <optional>
#include <string>

namespace tavrin {

// Small pictures (16 x 16) for paths, each as the bytes of an image file (.ico or .png) that the
// windows load; paths are Windows paths in CP932.
class Icons {
public:
    enum class Desktop { webAddress, folder, document };

    virtual ~Icons() = default;
    // The first small icon of an .ico file or of a Windows program's icon resources; nothing when
    // the file cannot be read or holds no icon.
    virtual std::optional<std::string> fileIcon(const std::string& path) = 0;
    // The desktop's picture for a web address, a folder, or a document of this file's type.
    virtual std::optional<std::string> desktopIcon(Desktop kind, const std::string& path) = 0;
    // The picture when nothing better is found; always there.
    virtual std::string fallbackIcon() = 0;
};

} // namespace tavrin
