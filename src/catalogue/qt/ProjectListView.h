#pragma once

#include <QTableView>
#include <QTimer>

namespace tavrin {

// The report-style list of the selected folder's projects: rows move by dragging inside the
// list, the look follows the list settings, and hot tracking selects a row the pointer rests on.
class ProjectListView : public QTableView {
    Q_OBJECT
public:
    static const char* const kDragFormat;

    explicit ProjectListView(QWidget* parent = nullptr);

    // Selection is always by row; without whole-row selection only the path column shows it.
    void setRowSelect(bool on);
    bool rowSelect() const { return mRowSelect; }
    void setHotTrack(bool on);
    bool hotTrack() const { return mHotTrack; }
    int hotRow() const { return mHotRow; }

    // The focused row (Qt's current index), or -1.
    int focusedRow() const;
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    // Row under a point of the viewport, or -1 below the last row.
    int rowAt(const QPoint& viewportPos) const;

    // What a drag of the selected rows carries. The rows themselves stay in the catalogue: a
    // drop reads the selection, so only a drag that this list started may drop.
    QMimeData* dragData() const;
    // Whether a drag from `source` (the drop event's source: the widget that started the drag in
    // this program, else none) may drop at this viewport point.
    bool acceptsDragAt(const QObject* source, const QMimeData* data, const QPoint& pos) const;

signals:
    // Selected rows dropped before targetRow (-1: below the last row).
    void rowsDropped(int targetRow);

protected:
    // Home and End go to the first and the last row, as in a Windows list view.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHotRow(int row);

    bool mRowSelect = true;
    bool mHotTrack = false;
    int mHotRow = -1;
    QTimer mHoverTimer;
};

} // namespace tavrin
