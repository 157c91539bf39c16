#include "platform/qt/AccessKeys.h"

#include <QAbstractButton>
#include <QShortcutEvent>
#include <QToolButton>

namespace tavrin {

bool ImmediateAccessKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Shortcut) {
        return false;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    // A tool button may open a menu on its press; it keeps Qt's way.
    if (!button || qobject_cast<QToolButton*>(button) || !button->isEnabled() ||
        static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        return false;
    }
    // As Qt does for a check box or a radio button taken by its key.
    if (button->isCheckable() && (button->focusPolicy() & Qt::ClickFocus)) {
        button->setFocus(Qt::ShortcutFocusReason);
    }
    button->click();
    return true;
}

} // namespace tavrin
