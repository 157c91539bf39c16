#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tavrin {

// Message boxes and the folder browser, owned by the window concerned: an open modal dialog, else
// the owner set, else the program's main window.
class QtDialogs : public Dialogs {
public:
    // The Windows path of a host folder (UTF-8). The program's follows Wine's drive table; without
    // one, drive Z: alone.
    using FolderMapper = std::function<std::optional<std::string>(const std::string& hostPath)>;

    QtDialogs() = default;
    explicit QtDialogs(FolderMapper mapFolder) : mMapFolder(std::move(mapFolder)) {}

    void setOwner(QWidget* owner) { mOwner = owner; }

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override;
    std::optional<std::string> browseForFolder(const std::string& prompt) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> mOwner;
    FolderMapper mMapFolder;
};

} // namespace tavrin
