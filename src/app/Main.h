#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "launch/LaunchActions.h"
#include "platform/Services.h"
#include "platform/UserSettings.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;

namespace Ui {
class TMainForm;
}

namespace tavrin {

class CatalogueActions;
class CodePageChoices;
class DetailsPane;
class FolderTreeModel;
class ListAppearance;
class MainBars;
class PlayLog;
class ProjectListModel;
class TreeSelectionDebounce;
struct WindowLayout;

// The main window: the folder tree at the left, the selected folder's projects at the right,
// the tool bars above and the status bar below. Its controls and menus come from Main.ui and go
// by their object names; each subsystem's commands live in its own handler.
class TMainForm : public QMainWindow, private CatalogueListener {
    Q_OBJECT
public:
    // appFolder: the program's folder as a Windows path with a trailing backslash; both
    // persistent files live there. readAhead: the catalogue's bytes, when already being read.
    TMainForm(Services services, std::string appFolder, QWidget* parent = nullptr,
              CatalogueReadAhead* readAhead = nullptr);
    ~TMainForm() override;

    Catalogue& catalogue() { return mCatalogue; }
    UserSettings& settings() { return mSettings; }
    const std::string& appFolder() const { return mAppFolder; }
    // The same folder as the user's file manager names it, for the about box.
    void setHostFolder(QString folder) { mHostFolder = std::move(folder); }
    const std::string& helpFile() const { return mHelpFile; }
    bool isSecondInstance() const { return mSecondInstance; }

    CatalogueActions& catalogueActions() { return *mCatalogueActions; }
    LaunchActions& launchActions() { return mLaunch; }
    // The list follows the tree's selection after a short delay; a command first completes a
    // change still waiting.
    TreeSelectionDebounce& treeChange() { return *mTreeChange; }

    // Menu opening rules.
    void MainMenu_EditClick();
    void MainMenu_StartClick();
    void ListView_PopupMenuPopup();
    void TreeView_PopupMenuPopup();

    // The shutdown sequence; false when a step failed and the window must stay open.
    bool FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Folders dropped from a file manager are searched.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildWindow();
    void bindMenus();
    void bindViews();
    void FormCreate(CatalogueReadAhead* readAhead);
    // Every command runs here: a waiting tree change completes first, and a failure is shown.
    void command(const std::function<void()>& handler);
    void bind(QAction* action, std::function<void()> handler);
    // A main-menu entry: its menu's opening rules first, then the handler if still enabled.
    void bindEntry(QMenu* menu, QAction* action, std::function<void()> handler);
    const ProjectItem* focusedItem() const;

    void ShowProjectCount(int count);
    // Row -1: no row.
    void ShowFocusedTitle(int row);

    void MainMenu_SettingClick();
    void MainMenu_Customize();
    void AboutSoftware();
    void ApplyDblClickDefault(int dblClick);

    WindowLayout currentLayout() const;
    void applyLayout(const WindowLayout& layout);
    int treeWidth() const;

    void selectionAboutToChange(TreeNode* old) override;
    void selectionChanged(TreeNode* now) override;
    void itemsInserted() override;
    void itemsRemoved() override;
    void itemsReset() override;

    std::unique_ptr<Ui::TMainForm> ui;
    Services mServices;
    Catalogue mCatalogue;
    UserSettings mSettings;
    LaunchActions mLaunch;
    std::unique_ptr<CatalogueFile> mCatalogueFile;
    std::unique_ptr<ListAppearance> mAppearance;
    FolderTreeModel* mTreeModel = nullptr;
    ProjectListModel* mListModel = nullptr;
    TreeSelectionDebounce* mTreeChange = nullptr;
    CatalogueActions* mCatalogueActions = nullptr;
    MainBars* mBars = nullptr;
    // When each project was last started, beside the settings; the pane under the list.
    std::unique_ptr<PlayLog> mPlayLog;
    std::unique_ptr<CodePageChoices> mCodePages;
    DetailsPane* mDetails = nullptr;
    QLabel* mCount = nullptr; // StatusPanel0
    QLabel* mTitle = nullptr; // StatusPanel1
    std::string mAppFolder;
    QString mHostFolder;
    std::string mHelpFile;
    std::string mSettingsPath;
    bool mSecondInstance = false;
    // Set once each file has been read: what was not read is not written back.
    bool mCatalogueLoaded = false;
    bool mSettingsLoaded = false;
    // The outer size, designed or restored, settled once the frame is known.
    std::optional<QRect> mOuterBounds;
};

} // namespace tavrin
