#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace tavrin {

// Message boxes owned by the window concerned: an open modal dialog, else the owner set, else the
// program's main window.
class QtDialogs : public Dialogs {
public:
    void setOwner(QWidget* owner) { mOwner = owner; }

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> mOwner;
};

} // namespace tavrin
