#include "platform/qt/FormDialog.h"

#include <QKeyEvent>
#include <QShowEvent>

namespace tavrin {

void FormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        setUpControls();
    }
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
    if (mEsc == Esc::ignored && event->key() == Qt::Key_Escape &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tavrin
