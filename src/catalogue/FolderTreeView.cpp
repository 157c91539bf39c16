#include "catalogue/FolderTreeView.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace tavrin {

FolderTreeView::FolderTreeView(QWidget* parent) : QTreeView(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(true);
    // A collapsed folder opens when a drag rests on it, so any folder can be reached.
    setAutoExpandDelay(700);
}

bool FolderTreeView::acceptsDragAt(const QObject* source, const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return mDropRule && mDropRule(source, &index);
}

void FolderTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (mDropRule && mDropRule(event->source(), nullptr)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void FolderTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event); // scrolling and opening folders on the way
    if (acceptsDragAt(event->source(), event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FolderTreeView::dropEvent(QDropEvent* event) {
    if (!acceptsDragAt(event->source(), event->position().toPoint())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    emit rowsDroppedOn(indexAt(event->position().toPoint()));
}

} // namespace tavrin
