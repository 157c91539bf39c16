#include "catalogue/qt/FolderTreeView.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

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

// The column is as wide as the tree and never narrower than its names, so a deep folder is
// reached by scrolling sideways, as in the Windows tree view.
void FolderTreeView::updateGeometries() {
    // Room too for the rename editor's frame and margins around the longest name.
    const int names = sizeHintForColumn(0) +
                      2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                      fontMetrics().averageCharWidth();
    if (header()->minimumSectionSize() != names) {
        header()->setMinimumSectionSize(names);
    }
    QTreeView::updateGeometries();
}

// QTreeView scrolls sideways only from column to column; a folder deep in its only column is
// brought into view as a whole, from its icon.
void FolderTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTreeView::scrollTo(index, hint);
    if (!index.isValid()) {
        return;
    }
    const QRect item = visualRect(index);
    const int textWidth = iconSize().width() + 16 +
                          fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString());
    // Its parent's branch line stays in view on the left.
    const int left = item.left() - indentation();
    if (left < 0 || item.left() + textWidth > viewport()->width()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left);
    }
}

// A name the tree's width cuts short shows whole in a tip, as in the Windows tree view; one that
// fits shows none.
QItemSelectionModel::SelectionFlags FolderTreeView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    return QTreeView::selectionCommand(index, event);
}

bool FolderTreeView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QTreeView::viewportEvent(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString name = index.data(Qt::DisplayRole).toString();
    const QRect row = visualRect(index).intersected(viewport()->rect());
    // The icon, its gap and the text's margins stand before the text.
    const int needed = iconSize().width() + 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) +
                       8 + fontMetrics().horizontalAdvance(name);
    if (index.isValid() && needed > row.width()) {
        QToolTip::showText(help->globalPos(), name, viewport(), row);
    } else {
        QToolTip::hideText();
    }
    return true;
}

} // namespace tavrin
