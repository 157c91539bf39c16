#include "catalogue/qt/ProjectListView.h"

#include "catalogue/ListCommands.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tavrin {

const char* const ProjectListView::kDragFormat = "application/x-tavrin-list-rows";

namespace {

class ListDelegate : public QStyledItemDelegate {
public:
    explicit ListDelegate(ProjectListView* view) : QStyledItemDelegate(view), mView(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!mView->rowSelect() && index.column() != 0 && (option.state & QStyle::State_Selected)) {
            // The view has already drawn the row's highlight; this cell shows none.
            painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
        }
        QStyledItemDelegate::paint(painter, option, index);
    }

    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!mView->rowSelect() && index.column() != 0) {
            option->state &= ~QStyle::State_Selected;
        }
        if (mView->hotTrack() && index.row() == mView->hotRow()) {
            option->font.setUnderline(true);
            if (!(option->state & QStyle::State_Selected)) {
                option->palette.setColor(QPalette::Text, QColor(0, 0, 255));
            }
        }
    }

private:
    ProjectListView* mView;
};

// Windows' default hover time.
constexpr int kHoverMs = 400;

} // namespace

ProjectListView::ProjectListView(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new ListDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setDefaultDropAction(Qt::MoveAction);
    setMouseTracking(true);
    mHoverTimer.setSingleShot(true);
    mHoverTimer.setInterval(kHoverMs);
    connect(&mHoverTimer, &QTimer::timeout, this, [this] {
        if (mHotTrack && mHotRow >= 0) {
            selectRows({mHotRow});
            selectionModel()->setCurrentIndex(model()->index(mHotRow, 0),
                                              QItemSelectionModel::NoUpdate);
        }
    });
}

void ProjectListView::setRowSelect(bool on) {
    mRowSelect = on;
    viewport()->update();
}

void ProjectListView::setHotTrack(bool on) {
    mHotTrack = on;
    if (!on) {
        setHotRow(-1);
    }
}

int ProjectListView::focusedRow() const {
    QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::vector<int> ProjectListView::selectedRows() const {
    std::vector<int> rows;
    if (!selectionModel()) {
        return rows;
    }
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            rows.push_back(r);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ProjectListView::selectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    const int lastColumn = model()->columnCount() - 1;
    for (int r : rows) {
        selection.select(model()->index(r, 0), model()->index(r, lastColumn));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

int ProjectListView::rowAt(const QPoint& viewportPos) const {
    QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

QMimeData* ProjectListView::dragData() const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kDragFormat), QByteArrayLiteral("rows"));
    return data;
}

bool ProjectListView::acceptsDragAt(const QObject* source, const QMimeData* data,
                                    const QPoint& pos) const {
    // Another program can offer the same format, but only a drag of this list has a source.
    const bool fromList =
        source == this && data && data->hasFormat(QString::fromLatin1(kDragFormat));
    const int row = rowAt(pos);
    return listAcceptsDrop(fromList, row, row >= 0 && selectionModel()->isRowSelected(row, {}));
}

QModelIndex ProjectListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // A table view would take Home and End along the row, which here has no cells to visit.
    if ((action == MoveHome || action == MoveEnd) && model() && model()->rowCount() > 0) {
        const int row = action == MoveHome ? 0 : model()->rowCount() - 1;
        return model()->index(row, std::max(currentIndex().column(), 0));
    }
    return QTableView::moveCursor(action, modifiers);
}

void ProjectListView::startDrag(Qt::DropActions) {
    if (selectedRows().empty()) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData());
    QModelIndex current = currentIndex();
    if (current.isValid()) {
        drag->setPixmap(model()
                            ->index(current.row(), 0)
                            .data(Qt::DecorationRole)
                            .value<QIcon>()
                            .pixmap(16, 16));
    }
    drag->exec(Qt::MoveAction);
}

void ProjectListView::dragEnterEvent(QDragEnterEvent* event) {
    // The list's own drags enter, so that the move events decide row by row.
    if (event->source() == this) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ProjectListView::dragMoveEvent(QDragMoveEvent* event) {
    QTableView::dragMoveEvent(event); // scrolls near the edges
    if (acceptsDragAt(event->source(), event->mimeData(), event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectListView::dropEvent(QDropEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!acceptsDragAt(event->source(), event->mimeData(), pos)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    emit rowsDropped(rowAt(pos));
}

void ProjectListView::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    if (mHotTrack && event->buttons() == Qt::NoButton) {
        setHotRow(rowAt(event->position().toPoint()));
    }
}

void ProjectListView::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    setHotRow(-1);
}

void ProjectListView::setHotRow(int row) {
    if (row == mHotRow) {
        return;
    }
    mHotRow = row;
    mHoverTimer.stop();
    if (row >= 0) {
        mHoverTimer.start();
    }
    viewport()->update();
}

} // namespace tavrin
