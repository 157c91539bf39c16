#pragma once

#include "app/Services.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QLabel;
class QSplitter;
class QTableView;
class QTreeView;
class QMenu;
class QAction;

namespace tavrin {

class FolderTreeModel;
class ProjectListModel;

// The main window: the folder tree at the left, the selected folder's projects at the right.
class TMainForm : public QMainWindow, private CatalogueListener {
    Q_OBJECT
public:
    // appFolder: the program's folder as a Windows path with a trailing backslash; both
    // persistent files live there.
    TMainForm(Services services, std::string appFolder, QWidget* parent = nullptr);
    ~TMainForm() override;

    Catalogue& catalogue() { return mCatalogue; }
    const std::string& appFolder() const { return mAppFolder; }
    const std::string& helpFile() const { return mHelpFile; }
    bool isSecondInstance() const { return mSecondInstance; }

    QTreeView* TreeView = nullptr;
    QSplitter* Splitter = nullptr;
    QTableView* ProjectList = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;

    QMenu* MainMenu_File = nullptr;
    QAction* MainMenu_Exit = nullptr;

    void ShowProjectCount(int count);
    // Row -1: no row.
    void ShowFocusedTitle(int row);

    // The shutdown sequence; false when a step failed and the window must stay open.
    bool FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void FormCreate();
    void syncTreeSelection(TreeNode* node);
    void applyExpansion();

    void selectionAboutToChange(TreeNode* old) override;
    void selectionChanged(TreeNode* now) override;
    void treeReset() override;
    void folderChanged(TreeNode* node) override;

    Services mServices;
    Catalogue mCatalogue;
    std::unique_ptr<CatalogueFile> mCatalogueFile;
    FolderTreeModel* mTreeModel = nullptr;
    ProjectListModel* mListModel = nullptr;
    std::string mAppFolder;
    std::string mHelpFile;
    bool mSecondInstance = false;
    bool mSyncingSelection = false;
};

} // namespace tavrin
