#pragma once

#include <QAbstractItemView>
#include <QChildEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QPointer>

namespace tavrin::test {

// A drag built by hand that enters a view, moves to a point and drops there; false when the view
// refused it. It has no source in this program, as a drag from another program has none.
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

// Catches the drag a widget starts. Offscreen, QDrag::exec returns at once and the drag object is
// deleted later, so it can be read right after the mouse event that started it.
class DragCatcher : public QObject {
public:
    explicit DragCatcher(QObject* source) { source->installEventFilter(this); }
    QDrag* drag() const {
        for (const QPointer<QObject>& child : mChildren) {
            if (auto* d = qobject_cast<QDrag*>(child.data())) {
                return d;
            }
        }
        return nullptr;
    }

protected:
    // The child is still being constructed here, so it is told apart later.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded) {
            mChildren.append(static_cast<QChildEvent*>(event)->child());
        }
        return false;
    }

private:
    QList<QPointer<QObject>> mChildren;
};

} // namespace tavrin::test
