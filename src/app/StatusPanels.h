#pragma once

#include "catalogue/CatalogueListener.h"

#include <QObject>

class QLabel;
class QStatusBar;

namespace tavrin {

class Catalogue;
class ProjectListModel;

// The status bar's two panels: the selected folder's project count (StatusPanel0) and the
// focused project's title (StatusPanel1). The count follows the rows whoever adds or takes
// them: a search's hand-over, a paste, a drop. While the list shows what a find gave, the count
// is of the rows found.
class StatusPanels : public QObject, private CatalogueListener {
public:
    // Added after the catalogue's views, so they have caught up before the panels read it.
    StatusPanels(QStatusBar* bar, Catalogue& catalogue, const ProjectListModel* list);
    ~StatusPanels() override;

    void showCount();
    // Row -1: no row.
    void showTitle(int row);

private:
    void selectionAboutToChange(TreeNode* old) override;
    void selectionChanged(TreeNode* now) override;
    void itemsInserted() override { showCount(); }
    void itemsRemoved() override { showCount(); }
    void itemsReset() override { showCount(); }

    Catalogue& mCatalogue;
    const ProjectListModel* mList;
    bool mShowedFound = false;
    QLabel* mCount;
    QLabel* mTitle;
};

} // namespace tavrin
