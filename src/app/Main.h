#pragma once

#include "app/MenuState.h"
#include "app/UserBar.h"
#include "app/WindowLayout.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListCommands.h"
#include "launch/Launch.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/SettingsRecord.h"

#include <QMainWindow>
#include <QPalette>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;

namespace tavrin {

class ControlBar;
class FolderTreeModel;
class FolderTreeView;
class ProjectListModel;
class ProjectListView;
class TreeNode;

// The main window: the folder tree at the left, the selected folder's projects at the right,
// the tool bars above and the status bar below.
class TMainForm : public QMainWindow, private CatalogueListener {
    Q_OBJECT
public:
    // appFolder: the program's folder as a Windows path with a trailing backslash; both
    // persistent files live there. readAhead: the catalogue's bytes, when already being read.
    TMainForm(Services services, std::string appFolder, QWidget* parent = nullptr,
              CatalogueReadAhead* readAhead = nullptr);
    ~TMainForm() override;

    Catalogue& catalogue() { return mCatalogue; }
    SettingsRecord& settings() { return mSettings; }
    const std::string& appFolder() const { return mAppFolder; }
    // The same folder as the user's file manager names it, for the about box.
    void setHostFolder(QString folder) { mHostFolder = std::move(folder); }
    const std::string& helpFile() const { return mHelpFile; }
    bool isSecondInstance() const { return mSecondInstance; }

    // Controls.
    FolderTreeView* TreeView = nullptr;
    QSplitter* Splitter = nullptr;
    ProjectListView* ProjectList = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QToolBar* NmlBar = nullptr;
    UserBar* AplBar = nullptr;         // AplButton1..8
    UserBar* GazBar = nullptr;         // Bt_actview, Bt_ccclip, Bt_lukey, Bt_mywin
    ControlBar* ControlBar1 = nullptr; // holds the three bars, above the splitter

    // Main menu.
    QMenu* MainMenu_File = nullptr;
    QAction* MainMenu_Exit = nullptr;
    QMenu* MainMenu_Edit = nullptr;
    QAction* MainMenu_OpenProjectFolder = nullptr;
    QAction* N2 = nullptr;
    QAction* MainMenu_Cut = nullptr;
    QAction* MainMenu_Copy = nullptr;
    QAction* MainMenu_Paste = nullptr;
    QAction* MainMenu_Delete = nullptr;
    QAction* MainMenu_SelectAll = nullptr;
    QAction* MainMenu_Setting = nullptr;
    QMenu* MainMenu_Find = nullptr;
    QAction* MainMenu_RPG2000Search = nullptr;
    QMenu* MainMenu_Visual = nullptr;
    QMenu* MenuItem_ToolBar = nullptr;
    QAction* MenuItem_NmlBar = nullptr;
    QAction* MenuItem_AplBar = nullptr;
    QAction* MenuItem_GazBar = nullptr;
    QAction* MenuItem_Customize = nullptr;
    QMenu* MainMenu_Start = nullptr;
    QAction* MainMenu_GameStart = nullptr;
    QAction* MainMenu_TestPlay = nullptr;
    QAction* MainMenu_ThukuruExecute = nullptr;
    QMenu* MainMenu_Help = nullptr;
    QAction* MainMenu_OpenHelp = nullptr;
    QAction* MainMenu_About = nullptr;

    // List pop-up menu.
    QMenu* ListView_PopupMenu = nullptr;
    QAction* ListPop_OpenProjectFolder = nullptr;
    QAction* ListPop_GameStart = nullptr;
    QAction* ListPop_TestPlay = nullptr;
    QAction* ListPop_Thukuru2000Execute = nullptr;
    QAction* ListPop_Thukuru2003Execute = nullptr;
    QAction* ListPop_Cut = nullptr;
    QAction* ListPop_Copy = nullptr;
    QAction* ListPop_Paste = nullptr;
    QAction* ListPop_Delete = nullptr;
    QAction* R1 = nullptr;

    // Tree pop-up menu.
    QMenu* TreeView_PopupMenu = nullptr;
    QAction* TreePop_New = nullptr;
    QAction* TreePop_Delete = nullptr;
    QAction* TreePop_Rename = nullptr;

    // Standard tool bar.
    QAction* ToolButton_OpenProjectFolder = nullptr;
    QAction* ToolButton_RpgSearch = nullptr;
    QAction* ToolButton_GameStart = nullptr;
    QAction* ToolButton_TestPlay = nullptr;
    QAction* ToolButton_ThukuruExecute = nullptr;
    QAction* ToolButton_DeleteListItem = nullptr;

    void ShowProjectCount(int count);
    // Row -1: no row.
    void ShowFocusedTitle(int row);

    // Menu opening rules.
    void MainMenu_EditClick();
    void MainMenu_StartClick();
    void ListView_PopupMenuPopup();
    void TreeView_PopupMenuPopup();
    // The folder the tree pop-up's commands act on.
    TreeNode* treePopupNode() const { return mTreePopupNode; }

    // Commands of the tree.
    void TreePop_NewClick();
    void TreePop_DeleteClick();
    void TreePop_RenameClick();
    void TreeViewDragDrop(TreeNode* target);
    // The list follows the tree's selection 50 ms after its last change; a command first
    // completes a change still waiting.
    void flushTreeChange();
    void cancelTreeChange();
    bool treeChangePending() const { return mChangePending; }

    // Clipboard commands.
    void ListView_Copy();
    void ListView_Cut();
    void ListView_Paste();

    // Commands of the list.
    void ListView_Delete();
    void ListView_SelectAll();
    void ProjectListClick();
    void ProjectListDblClick();
    void ProjectListColumnClick(int column);
    void ProjectListDragDrop(int targetRow);

    // Launch commands, on the list's focused row.
    void GameStart();
    void TestPlay();
    void OpenProjectFolder();
    void R1Click();
    void TukuruExecute();
    void ListPop_Thukuru2003ExecuteClick();

    // The customisation dialog, and the bars built again when it was confirmed.
    void MainMenu_Customize();
    // The application and Gaz soft bars' buttons (index from 0, in bar order).
    void AplButtonClick(int index);
    void Bt_actviewClick();
    void GazToolClick(int tool);

    // Search.
    void MainMenu_RPG2000SearchClick();

    // Commands of the shell.
    void MainMenu_ToolBar_Click(QAction* sender);
    void MainMenu_SettingClick();
    void AboutSoftware();
    void MainMenu_ExitClick();
    void OpenHelp();

    // Settings applied to the window.
    void ApplyListSettings();
    void ApplyDblClickDefault(int dblClick);
    void LoadListIcons(const std::array<std::string, 2>& listIconPath);
    void ApplyBarSettings(const BarSettings& bars);

    // The list's font; the tree always shows it too.
    FontChoice listFont() const;
    void setListFont(const FontChoice& font);

    // The layout values of the controls, and back.
    WindowLayout currentLayout() const;
    void applyLayout(const WindowLayout& layout);

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
    void buildControls();
    void buildMenus();
    void buildToolBars();
    void connectList();
    void FormCreate(CatalogueReadAhead* readAhead);
    ListState listState();
    LaunchContext launchContext();
    const ProjectItem* focusedItem() const;
    // Every command runs here: a waiting tree change completes first, and a failure is shown.
    void command(const std::function<void()>& handler);
    // Copies the selected rows; false when nothing was stored.
    bool copySelectedRows();
    // A main-menu entry: its menu's opening rules first, then the handler if still enabled.
    QAction* addEntry(QMenu* menu, const char* caption, const QKeySequence& shortcut,
                      std::function<void()> openRules, std::function<void()> handler);
    void syncTreeSelection(TreeNode* node);
    void revealInTree(const QModelIndex& index);
    void applyExpansion();
    QColor colour(Colour c, QPalette::ColorRole fallback) const;
    int treeWidth() const;

    void selectionAboutToChange(TreeNode* old) override;
    void selectionChanged(TreeNode* now) override;
    void treeAboutToReset() override;
    void treeReset() override;
    void folderAboutToBeRemoved(TreeNode* node) override;
    void folderChanged(TreeNode* node) override;

    Services mServices;
    Catalogue mCatalogue;
    SettingsRecord mSettings;
    std::unique_ptr<CatalogueFile> mCatalogueFile;
    FolderTreeModel* mTreeModel = nullptr;
    ProjectListModel* mListModel = nullptr;
    ColumnSortToggles mSortToggles;
    std::string mAppFolder;
    QString mHostFolder;
    std::string mHelpFile;
    std::string mSettingsPath;
    bool mSecondInstance = false;
    // Set once each file has been read: what was not read is not written back.
    bool mCatalogueLoaded = false;
    bool mSettingsLoaded = false;
    bool mSyncingSelection = false;
    TreeNode* mTreePopupNode = nullptr;
    QTimer* mChangeTimer = nullptr;
    TreeNode* mPendingNode = nullptr;
    bool mChangePending = false;
    Colour mListColour = clWindow;
    Colour mListFontColour = clWindowText;
    // The outer size, designed or restored, settled once the frame is known.
    std::optional<QRect> mOuterBounds;
};

} // namespace tavrin
