#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace tavrin {

// Message boxes owned by the window concerned (the active window when none is set).
class QtDialogs : public Dialogs {
public:
    void setOwner(QWidget* owner) { mOwner = owner; }

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override;

private:
    QPointer<QWidget> mOwner;
};

} // namespace tavrin
