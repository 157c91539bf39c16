#include "catalogue/qt/FolderTreeView.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <utility>
#include <vector>

namespace tavrin {

FolderTreeView::FolderTreeView(QWidget* parent) : QTreeView(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(true);
    // A collapsed folder opens when a drag rests on it, so any folder can be reached.
    setAutoExpandDelay(700);
    connect(this, &QTreeView::expanded, this, [this] { mNamesWidth = -1; });
    connect(this, &QTreeView::collapsed, this, [this] { mNamesWidth = -1; });
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
    if (mNamesWidth < 0) {
        // Room too for the rename editor's frame and margins around the longest name.
        mNamesWidth = longestRowWidth() + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                      fontMetrics().averageCharWidth();
    }
    if (header()->minimumSectionSize() != mNamesWidth) {
        header()->setMinimumSectionSize(mNamesWidth);
    }
    QTreeView::updateGeometries();
}

int FolderTreeView::longestRowWidth() const {
    if (!model()) {
        return 0;
    }
    // Every open folder's row is weighed by its indent and its characters' advances, which
    // thousands of rows afford; only the widest is laid out as the row draws it.
    const QFontMetrics metrics = fontMetrics();
    QHash<char16_t, int> advances;
    const auto advance = [&](const QString& name) {
        int width = 0;
        for (const QChar c : name) {
            if (c.isSurrogate()) {
                return metrics.horizontalAdvance(name);
            }
            auto it = advances.constFind(c.unicode());
            if (it == advances.constEnd()) {
                it = advances.insert(c.unicode(), metrics.horizontalAdvance(c));
            }
            width += *it;
        }
        return width;
    };
    const int indent = indentation();
    const int rootIndent = rootIsDecorated() ? indent : 0;
    QModelIndex widest;
    int widestWeight = -1;
    int widestLevel = 0;
    std::vector<std::pair<QModelIndex, int>> open{{rootIndex(), 0}};
    while (!open.empty()) {
        const auto [parent, level] = open.back();
        open.pop_back();
        for (int row = 0, rows = model()->rowCount(parent); row < rows; ++row) {
            const QModelIndex index = model()->index(row, 0, parent);
            const int weight = level * indent + advance(index.data(Qt::DisplayRole).toString());
            if (weight > widestWeight) {
                widest = index;
                widestWeight = weight;
                widestLevel = level;
            }
            if (isExpanded(index)) {
                open.emplace_back(index, level + 1);
            }
        }
    }
    if (!widest.isValid()) {
        return 0;
    }
    return sizeHintForIndex(widest).width() + widestLevel * indent + rootIndent;
}

void FolderTreeView::doItemsLayout() {
    mNamesWidth = -1;
    QTreeView::doItemsLayout();
}

void FolderTreeView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                 const QList<int>& roles) {
    mNamesWidth = -1;
    QTreeView::dataChanged(topLeft, bottomRight, roles);
}

void FolderTreeView::rowsInserted(const QModelIndex& parent, int start, int end) {
    mNamesWidth = -1;
    QTreeView::rowsInserted(parent, start, end);
}

void FolderTreeView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    mNamesWidth = -1;
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void FolderTreeView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        mNamesWidth = -1;
    }
    QTreeView::changeEvent(event);
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
