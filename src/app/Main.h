#pragma once

#include "platform/Services.h"
#include "platform/UserSettings.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;

namespace Ui {
class TMainForm;
}

namespace tavrin {

class Catalogue;
class CatalogueActions;
class DetailsPane;
class FindBar;
class FolderTreeModel;
class LaunchActions;
class ListAppearance;
class MainBars;
class ProjectListModel;
class StatusPanels;
class TreeNode;
class TreeSelectionDebounce;
class Workspace;
struct ProjectItem;
struct WindowLayout;

// The main window: the folder tree at the left, the selected folder's projects at the right,
// the tool bars above and the status bar below. Its controls and menus come from Main.ui and go
// by their object names; each subsystem's commands live in its own handler. It shows a workspace,
// which outlives it.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // hostFolder: the program's folder as the user's file manager names it, for the about box.
    TMainForm(Workspace& workspace, Services services, QString hostFolder = {},
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Applies the layout and the settings the workspace read when it was opened. Built first,
    // the window owns the messages the opening shows.
    void showOpenedWorkspace();

    CatalogueActions& catalogueActions() { return *mCatalogueActions; }
    // The list follows the tree's selection after a short delay; a command first completes a
    // change still waiting.
    TreeSelectionDebounce& treeChange() { return *mTreeChange; }

    // Menu opening rules.
    void updateEditMenu();
    void updateStartMenu();
    void updateListPopup();
    void updateTreePopup();

    // Writes the workspace back; false when a step failed and the window must stay open.
    bool closeWorkspace();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void bindMenus();
    void bindViews();
    // The stored layout and settings, applied to the window.
    void applySettings();
    // Every command runs here: a waiting tree change completes first, and a failure is shown.
    void command(const std::function<void()>& handler);
    void bind(QAction* action, std::function<void()> handler);
    // A main-menu entry: its menu's opening rules first, then the handler if still enabled.
    void bindEntry(QMenu* menu, QAction* action, std::function<void()> handler);
    const ProjectItem* focusedItem() const;

    void changeSettings();
    void customizeBars();
    void markDoubleClickEntry(int dblClick);

    WindowLayout currentLayout() const;
    void applyLayout(const WindowLayout& layout);
    int treeWidth() const;

    std::unique_ptr<Ui::TMainForm> ui;
    Workspace& mWorkspace;
    Catalogue& mCatalogue;
    UserSettings& mSettings;
    LaunchActions& mLaunch;
    Services mServices;
    std::unique_ptr<ListAppearance> mAppearance;
    FolderTreeModel* mTreeModel = nullptr;
    ProjectListModel* mListModel = nullptr;
    TreeSelectionDebounce* mTreeChange = nullptr;
    CatalogueActions* mCatalogueActions = nullptr;
    MainBars* mBars = nullptr;
    DetailsPane* mDetails = nullptr;
    FindBar* mFind = nullptr;
    StatusPanels* mStatus = nullptr;
    QString mHostFolder;
    // The outer size, designed or restored, settled once the frame is known.
    std::optional<QRect> mOuterBounds;
};

} // namespace tavrin
