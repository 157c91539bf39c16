#include "platform/qt/FileDrop.h"

#include <QDropEvent>

namespace tavrin {

bool acceptFileDrop(QDropEvent* event) {
    for (Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace tavrin
