#pragma once

#include <QTreeView>

#include <functional>

namespace tavrin {

// The folder tree: rows dragged from the list drop onto a folder.
class FolderTreeView : public QTreeView {
    Q_OBJECT
public:
    // Whether a drag from `source` (the widget of this program that started it, else none) may
    // drop on the folder at that index (nullptr: the drag only enters).
    using DropRule = std::function<bool(const QObject* source, const QModelIndex*)>;

    explicit FolderTreeView(QWidget* parent = nullptr);

    void setDropRule(DropRule rule) { mDropRule = std::move(rule); }
    // Whether a drag from `source` may drop at this viewport point.
    bool acceptsDragAt(const QObject* source, const QPoint& pos) const;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void rowsDroppedOn(const QModelIndex& folder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A click below the last folder leaves the selected one selected: the list still shows it
    // and the folder commands still act on it.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    bool viewportEvent(QEvent* event) override;
    void updateGeometries() override;
    // What may change the longest name's width.
    void doItemsLayout() override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void changeEvent(QEvent* event) override;

private:
    // The widest open folder's row, its indent included.
    int longestRowWidth() const;

    DropRule mDropRule;
    // The column's least width, measured once per change: measuring a thousand names takes
    // milliseconds, and geometries are updated at every resize.
    int mNamesWidth = -1;
};

} // namespace tavrin
