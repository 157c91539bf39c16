#include "launch/qt/CodePageBox.h"

#include <QWheelEvent>

namespace tavrin {

void CodePageBox::wheelEvent(QWheelEvent* event) {
    if (hasFocus()) {
        QComboBox::wheelEvent(event);
    } else {
        event->ignore();
    }
}

} // namespace tavrin
