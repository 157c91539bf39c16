#include "catalogue/qt/ProjectListModel.h"

#include "platform/qt/QtText.h"

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

int ProjectListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || mHidden ? 0 : mCatalogue.rowCount();
}

int ProjectListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const {
    const ProjectItem* item = mHidden ? nullptr : mCatalogue.row(index.row());
    if (!item || index.column() < 0 || index.column() >= ColumnCount) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return texts(index.row(), *item)[static_cast<std::size_t>(index.column())];
    case Qt::DecorationRole:
        // A kind outside 0 to 2 draws no icon.
        if (index.column() == PathColumn && item->Kind >= 0 && item->Kind <= 2) {
            return mIcons[static_cast<std::size_t>(item->Kind)];
        }
        return {};
    default:
        return {};
    }
}

const std::array<QString, 2>& ProjectListModel::texts(int row, const ProjectItem& item) const {
    if (const auto* cached = mTexts.object(row)) {
        return *cached;
    }
    auto* texts = new std::array<QString, 2>{qsShown(item.Path), qsShown(item.Title)};
    mTexts.insert(row, texts);
    return *texts;
}

Qt::ItemFlags ProjectListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid()) {
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
    default:
        return {};
    }
}

// While hidden the rows are not shown; the reset that ends hiding brings them.
void ProjectListModel::itemsAboutToBeInserted(int first, int last) {
    if (!mHidden) {
        beginInsertRows({}, first, last);
    }
}

void ProjectListModel::itemsInserted() {
    forgetTexts();
    if (!mHidden) {
        endInsertRows();
    }
}

void ProjectListModel::itemsAboutToBeRemoved(int first, int last) {
    if (!mHidden) {
        beginRemoveRows({}, first, last);
    }
}

void ProjectListModel::itemsRemoved() {
    forgetTexts();
    if (!mHidden) {
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
    if (!mHidden) {
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    }
}

} // namespace tavrin
