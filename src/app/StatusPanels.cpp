#include "app/StatusPanels.h"

#include "catalogue/Catalogue.h"
#include "catalogue/qt/ProjectListModel.h"
#include "platform/qt/QtText.h"

#include <QLabel>
#include <QStatusBar>

namespace tavrin {

StatusPanels::StatusPanels(QStatusBar* bar, Catalogue& catalogue, const ProjectListModel* list)
    : QObject(bar), mCatalogue(catalogue), mList(list), mCount(new QLabel(bar)),
      mTitle(new QLabel(bar)) {
    mCount->setObjectName(QStringLiteral("StatusPanel0"));
    mTitle->setObjectName(QStringLiteral("StatusPanel1"));
    // 100 wide, or wider where the font needs it: a cut count helps nobody. A long title is cut
    // at the window's edge instead of pushing the count aside.
    mCount->setMinimumWidth(100);
    mTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {mCount, mTitle}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    bar->addWidget(mCount);
    bar->addWidget(mTitle, 1);
    mCatalogue.addListener(this);
    // Found rows come and go without the catalogue.
    connect(mList, &QAbstractItemModel::modelReset, this, [this] {
        if (mList->showsFound() || mShowedFound) {
            mShowedFound = mList->showsFound();
            showCount();
            showTitle(-1);
        }
    });
    // The rest of a long find follows its first screen.
    connect(mList, &QAbstractItemModel::rowsInserted, this, [this] {
        if (mList->showsFound()) {
            showCount();
        }
    });
}

StatusPanels::~StatusPanels() {
    mCatalogue.removeListener(this);
}

void StatusPanels::showCount() {
    const int count = mList->showsFound() ? mList->rowCount() : mCatalogue.rowCount();
    mCount->setText(count < 0 ? QString()
                              : QString::number(count) + QStringLiteral("個のプロジェクト"));
}

void StatusPanels::showTitle(int row) {
    const ProjectItem* item = row < 0 ? nullptr : mList->item(row);
    mTitle->setText(item ? qsShown(item->title) : QString());
}

void StatusPanels::selectionAboutToChange(TreeNode*) {
    showTitle(-1);
}

void StatusPanels::selectionChanged(TreeNode* now) {
    if (now) {
        showCount();
    }
}

} // namespace tavrin
