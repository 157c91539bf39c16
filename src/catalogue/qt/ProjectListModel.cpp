#include "catalogue/qt/ProjectListModel.h"

#include "platform/qt/QtText.h"

#include <algorithm>
#include <climits>

namespace tavrin {

ProjectListModel::ProjectListModel(Catalogue& catalogue, QObject* parent)
    : QAbstractTableModel(parent), mCatalogue(catalogue) {
    mCatalogue.addListener(this);
}

ProjectListModel::~ProjectListModel() {
    mCatalogue.removeListener(this);
}

void ProjectListModel::setIcons(const std::array<QIcon, 3>& icons) {
    mIcons = icons;
    if (rowCount() > 0) {
        emit dataChanged(index(0, PathColumn), index(rowCount() - 1, PathColumn),
                         {Qt::DecorationRole});
    }
}

void ProjectListModel::setHidden(bool hidden) {
    if (hidden == mHidden) {
        return;
    }
    beginResetModel();
    mHidden = hidden;
    endResetModel();
}

void ProjectListModel::showFound(std::shared_ptr<const FoundItems> found) {
    if (!found && !mFound) {
        return;
    }
    beginResetModel();
    mFound = std::move(found);
    mFoundItems.clear();
    forgetTexts();
    endResetModel();
}

void ProjectListModel::extendFound(std::shared_ptr<const FoundItems> found) {
    const int shown = rowCount();
    const int all = static_cast<int>(std::min<std::size_t>(found->entries.size(), INT_MAX));
    if (!mFound || mHidden || all < shown) {
        showFound(std::move(found));
        return;
    }
    if (all == shown) {
        mFound = std::move(found);
        return;
    }
    beginInsertRows({}, shown, all - 1);
    mFound = std::move(found);
    endInsertRows();
}

const ProjectItem* ProjectListModel::item(int row) const {
    if (!mFound) {
        return mCatalogue.row(row);
    }
    if (row < 0 || static_cast<std::size_t>(row) >= mFound->entries.size()) {
        return nullptr;
    }
    auto at = mFoundItems.find(row);
    if (at == mFoundItems.end()) {
        const auto entry = mFound->entries[static_cast<std::size_t>(row)];
        at = mFoundItems.emplace(row, mFound->index->item(entry)).first;
    }
    return &at->second;
}

int ProjectListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || mHidden) {
        return 0;
    }
    return mFound ? static_cast<int>(std::min<std::size_t>(mFound->entries.size(), INT_MAX))
                  : mCatalogue.rowCount();
}

int ProjectListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : mFound ? ColumnCount + 1 : ColumnCount;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const {
    const ProjectItem* item = mHidden ? nullptr : this->item(index.row());
    if (!item || index.column() < 0 || index.column() >= columnCount()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return texts(index.row(), *item)[static_cast<std::size_t>(index.column())];
    case Qt::DecorationRole:
        // A kind outside 0 to 2 draws no icon.
        if (index.column() == PathColumn && item->kind >= 0 && item->kind <= 2) {
            return mIcons[static_cast<std::size_t>(item->kind)];
        }
        return {};
    default:
        return {};
    }
}

const std::array<QString, 3>& ProjectListModel::texts(int row, const ProjectItem& item) const {
    if (const auto* cached = mTexts.object(row)) {
        return *cached;
    }
    const QString folder =
        mFound ? qsShown(mFound->index->folderPath(mFound->entries[static_cast<std::size_t>(row)]))
               : QString();
    auto* texts = new std::array<QString, 3>{qsShown(item.path), qsShown(item.title), folder};
    mTexts.insert(row, texts);
    return *texts;
}

Qt::ItemFlags ProjectListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !mFound) {
        f |= Qt::ItemIsDragEnabled;
    }
    return f;
}

QVariant ProjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case PathColumn:
        return QStringLiteral("プロジェクトパス");
    case TitleColumn:
        return QStringLiteral("タイトル");
    case FolderColumn:
        return mFound ? QStringLiteral("フォルダ") : QVariant();
    default:
        return {};
    }
}

// While hidden the rows are not shown; the reset that ends hiding brings them. Found rows are no
// rows of the folder.
void ProjectListModel::itemsAboutToBeInserted(int first, int last) {
    if (showsCatalogue()) {
        beginInsertRows({}, first, last);
    }
}

void ProjectListModel::itemsInserted() {
    forgetTexts();
    if (showsCatalogue()) {
        endInsertRows();
    }
}

void ProjectListModel::itemsAboutToBeRemoved(int first, int last) {
    if (showsCatalogue()) {
        beginRemoveRows({}, first, last);
    }
}

void ProjectListModel::itemsRemoved() {
    forgetTexts();
    if (showsCatalogue()) {
        endRemoveRows();
    }
}

void ProjectListModel::itemsAboutToReset() {
    beginResetModel();
}

void ProjectListModel::itemsReset() {
    forgetTexts();
    endResetModel();
}

void ProjectListModel::itemsChanged(int first, int last) {
    forgetTexts();
    if (showsCatalogue()) {
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    }
}

} // namespace tavrin
