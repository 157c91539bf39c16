#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tavrin {

// Message boxes and the file, folder and font dialogs, owned by the window concerned: an open modal
// dialog, else the owner set, else the program's main window.
class QtDialogs : public Dialogs {
public:
    // The Windows path of a host folder (UTF-8). The program's follows Wine's drive table; without
    // one, drive Z: alone.
    using FolderMapper = std::function<std::optional<std::string>(const std::string& hostPath)>;

    // The host path of a Windows path, empty when no drive holds it; without one, file dialogs
    // start where they like.
    using HostMapper = std::function<std::string(const std::string& windowsPath)>;

    QtDialogs() = default;
    explicit QtDialogs(FolderMapper mapFolder, HostMapper mapHost = {})
        : mMapFolder(std::move(mapFolder)), mMapHost(std::move(mapHost)) {}

    void setOwner(QWidget* owner) { mOwner = owner; }

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override;
    std::optional<std::string> browseForFolder(const std::string& prompt) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;

private:
    QWidget* owner() const;
    std::optional<std::string> windowsPath(const std::string& hostPath) const;

    QPointer<QWidget> mOwner;
    FolderMapper mMapFolder;
    HostMapper mMapHost;
};

} // namespace tavrin
