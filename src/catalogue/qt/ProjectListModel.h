#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFind.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QIcon>
#include <QString>

#include <array>
#include <memory>
#include <unordered_map>

namespace tavrin {

// The selected folder's items as the list's rows, read by index on demand; no row is copied.
// Or a find's answer: the items found in every folder, with each one's folder in a third column.
class ProjectListModel : public QAbstractTableModel, private CatalogueListener {
    Q_OBJECT
public:
    enum Column { PathColumn = 0, TitleColumn = 1, ColumnCount, FolderColumn = ColumnCount };

    explicit ProjectListModel(Catalogue& catalogue, QObject* parent = nullptr);
    ~ProjectListModel() override;

    // Icons by kind: 0 generic, 1 RPG Tsukuru 2000, 2 RPG Tsukuru 95.
    void setIcons(const std::array<QIcon, 3>& icons);
    // While the tree's selection is changing the list shows no rows.
    void setHidden(bool hidden);
    bool isHidden() const { return mHidden; }
    // Shows what a find gave in place of the folder's rows; nullptr: the folder again. Rows
    // found are no rows of the catalogue: they cannot be dragged, and the catalogue's notices
    // leave them be.
    void showFound(std::shared_ptr<const FoundItems> found);
    bool showsFound() const { return mFound != nullptr; }
    // The rest of a find whose first rows are shown: they stay as they are, with their
    // selection, and the others follow them.
    void extendFound(std::shared_ptr<const FoundItems> found);
    // The item of a row, of the folder or of the find; nullptr out of range.
    const ProjectItem* item(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows are dragged by the view itself; the flag lets a drag start on them.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

private:
    void itemsAboutToBeInserted(int first, int last) override;
    void itemsInserted() override;
    void itemsAboutToBeRemoved(int first, int last) override;
    void itemsRemoved() override;
    void itemsAboutToReset() override;
    void itemsReset() override;
    void itemsChanged(int first, int last) override;

    // The row's texts for display, converted once: a repaint or a hover converts nothing.
    const std::array<QString, 3>& texts(int row, const ProjectItem& item) const;
    void forgetTexts() const { mTexts.clear(); }
    bool showsCatalogue() const { return !mHidden && !mFound; }

    Catalogue& mCatalogue;
    std::array<QIcon, 3> mIcons;
    bool mHidden = false;
    mutable QCache<int, std::array<QString, 3>> mTexts{2048};
    std::shared_ptr<const FoundItems> mFound;
    // The items of found rows asked for, made once: the commands keep a row's item while they run.
    mutable std::unordered_map<int, ProjectItem> mFoundItems;
};

} // namespace tavrin
