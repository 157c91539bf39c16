#pragma once

#include <QTreeView>

#include <functional>

namespace tavrin {

// The folder tree: rows dragged from the list drop onto a folder.
class FolderTreeView : public QTreeView {
    Q_OBJECT
public:
    // Whether a drag carrying this data may drop on the folder at that index (invalid: the
    // drag only enters).
    using DropRule = std::function<bool(const QMimeData*, const QModelIndex*)>;

    explicit FolderTreeView(QWidget* parent = nullptr);

    void setDropRule(DropRule rule) { mDropRule = std::move(rule); }

signals:
    void rowsDroppedOn(const QModelIndex& folder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepts(const QMimeData* data, const QPoint& pos) const;

    DropRule mDropRule;
};

} // namespace tavrin
