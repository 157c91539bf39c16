#pragma once

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace tavrin::test {

// A drag that enters a view, moves to a point and drops there, as a person's would; false when
// the view refused it. Offscreen, QDrag::exec returns at once, so tests send the events.
inline bool dropAt(QAbstractItemView* view, const QMimeData* data, const QPoint& pos) {
    QDragEnterEvent enter(pos, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(view->viewport(), &leave);
        return false;
    }
    QDropEvent drop(QPointF(pos), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drop);
    return drop.isAccepted();
}

} // namespace tavrin::test
