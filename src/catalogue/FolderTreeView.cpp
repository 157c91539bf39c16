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

bool FolderTreeView::accepts(const QMimeData* data, const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return mDropRule && mDropRule(data, &index);
}

void FolderTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (mDropRule && mDropRule(event->mimeData(), nullptr)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void FolderTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event); // scrolling and opening folders on the way
    if (accepts(event->mimeData(), event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FolderTreeView::dropEvent(QDropEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!accepts(event->mimeData(), pos)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    emit rowsDroppedOn(indexAt(pos));
}

} // namespace tavrin
