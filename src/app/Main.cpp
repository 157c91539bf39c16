#include "app/Main.h"

#include "app/ControlBar.h"
#include "app/MainBars.h"
#include "app/StatusPanels.h"
#include "app/core/CommandGuard.h"
#include "app/core/MenuState.h"
#include "app/core/SettingsFile.h"
#include "app/core/WindowLayout.h"
#include "app/core/Workspace.h"
#include "catalogue/qt/CatalogueActions.h"
#include "catalogue/qt/FindBar.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ListAppearance.h"
#include "catalogue/qt/ProjectListModel.h"
#include "catalogue/qt/ProjectListView.h"
#include "catalogue/qt/TreeSelectionDebounce.h"
#include "dialogs/qt/DialogCommands.h"
#include "launch/StartHelpers.h"
#include "launch/qt/DetailsPane.h"
#include "platform/Clipboard.h"
#include "platform/Help.h"
#include "platform/Registry.h"
#include "platform/qt/AppIcons.h"
#include "platform/qt/QtText.h"
#include "search/qt/FolderDropSearch.h"
#include "search/qt/SearchCommand.h"
#include "ui_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>

#include <algorithm>

namespace tavrin {

namespace {

// A hand-edited settings file may hold any number; sizes beyond these help nobody.
constexpr int kMaxExtent = 32767;
int sane(std::int32_t value, int low, int high) {
    return std::clamp<std::int32_t>(value, low, high);
}

} // namespace

TMainForm::TMainForm(Workspace& workspace, Services services, QString hostFolder, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()), mWorkspace(workspace),
      mCatalogue(workspace.catalogue()), mSettings(workspace.settings()),
      mLaunch(workspace.launch()), mServices(services), mHostFolder(std::move(hostFolder)) {
    buildWindow();
}

TMainForm::~TMainForm() {
    // The workspace outlives the window.
    mLaunch.follow({});
}

void TMainForm::buildWindow() {
    ui->setupUi(this);
    setWindowIcon(appicons::application());
    setFont(designedFont(12));
    mOuterBounds = QRect(0, 0, width(), height());

    mTreeModel = new FolderTreeModel(mCatalogue, this);
    mTreeModel->setIcons(appicons::treeIcons());
    mListModel = new ProjectListModel(mCatalogue, this);
    mListModel->setIcons(appicons::defaultListIcons());
    ui->TreeView->setModel(mTreeModel);
    ProjectListView* list = ui->ProjectList;
    list->setModel(mListModel);
    list->setFont(designedFont(13));
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setColumnWidth(ProjectListModel::PathColumn, 360);
    list->setColumnWidth(ProjectListModel::TitleColumn, 150);
    mLaunch.follow([this] { return focusedItem(); });
    // The details pane shares the list's side of the window, below it.
    auto* column = new QSplitter(Qt::Vertical, ui->Splitter);
    column->setObjectName(QStringLiteral("DetailsSplitter"));
    column->setHandleWidth(4);
    column->setChildrenCollapsible(false);
    ui->Splitter->insertWidget(1, column);
    mFind = new FindBar(mCatalogue, mListModel, list, ui->TreeView, column);
    column->addWidget(mFind);
    mDetails = new DetailsPane(mServices.fs, mServices.registry, mWorkspace.playLog(),
                               mWorkspace.codePages(), column);
    column->addWidget(mDetails);
    column->setStretchFactor(0, 1);
    column->setStretchFactor(1, 0);
    mDetails->follow(list, [this] { return focusedItem(); });
    ui->Splitter->setStretchFactor(0, 0);
    ui->Splitter->setStretchFactor(1, 1);
    ui->Splitter->setSizes({kDesignedTreeWidth, width() - kDesignedTreeWidth - 4});

    // After the models, so they have caught up before the handlers and the window react.
    mTreeChange = new TreeSelectionDebounce(mCatalogue, mTreeModel, ui->TreeView, mListModel, this);
    mCatalogueActions = new CatalogueActions(mCatalogue, mTreeModel, ui->TreeView, list,
                                             mServices.clipboard, mServices.dialogs, this);
    mAppearance = std::make_unique<ListAppearance>(list, ui->TreeView, mListModel, mServices.fs);
    mStatus = new StatusPanels(ui->StatusBar1, mCatalogue, mListModel);

    mBars = new MainBars(ui->ControlBar1,
                         {ui->ToolButton_OpenProjectFolder, ui->ToolButton_RpgSearch,
                          ui->ToolButton_GameStart, ui->ToolButton_TestPlay,
                          ui->ToolButton_ThukuruExecute, ui->ToolButton_DeleteListItem},
                         {ui->MenuItem_NmlBar, ui->MenuItem_AplBar, ui->MenuItem_GazBar});
    connect(mBars, &MainBars::aplClicked, this,
            [this](int i) { command([this, i] { mLaunch.startAppButton(i); }); });
    connect(mBars, &MainBars::gazClicked, this,
            [this](int i) { command([this, i] { mLaunch.startGazButton(i); }); });
    bindMenus();
    bindViews();
    new FolderDropSearch(this, mServices.dialogs, mServices.fs, mSettings.search, mCatalogue,
                         [this](const std::function<void()>& search) { command(search); });
}

void TMainForm::command(const std::function<void()>& handler) {
    runGuarded(mServices.dialogs, [&] {
        mTreeChange->flush();
        handler();
    });
}

void TMainForm::bind(QAction* action, std::function<void()> handler) {
    connect(action, &QAction::triggered, this,
            [this, handler = std::move(handler)] { command(handler); });
}

void TMainForm::bindEntry(QMenu* menu, QAction* action, std::function<void()> handler) {
    connect(action, &QAction::triggered, this, [this, menu, action, handler = std::move(handler)] {
        command([&] {
            if (menu == ui->MainMenu_Edit) {
                updateEditMenu();
            } else {
                updateStartMenu();
            }
            const bool enabled = action->isEnabled();
            // Reached by its shortcut: the menu stays closed and its entries must stay
            // reachable for the next key.
            if (!menu->isVisible()) {
                for (QAction* a : menu->actions()) {
                    a->setEnabled(true);
                }
            }
            if (enabled) {
                handler();
            }
        });
    });
}

void TMainForm::bindMenus() {
    CatalogueActions* items = mCatalogueActions;
    LaunchActions* run = &mLaunch;
    QMenu* edit = ui->MainMenu_Edit;
    QMenu* start = ui->MainMenu_Start;
    bind(ui->MainMenu_Exit, [this] { close(); });
    bindEntry(edit, ui->MainMenu_OpenProjectFolder, [run] { run->openProjectFolder(); });
    bindEntry(edit, ui->MainMenu_Cut, [items] { items->cutItems(); });
    bindEntry(edit, ui->MainMenu_Copy, [items] { items->copyItems(); });
    bindEntry(edit, ui->MainMenu_Paste, [items] { items->pasteItems(); });
    bindEntry(edit, ui->MainMenu_Delete, [items] { items->deleteItems(); });
    bindEntry(edit, ui->MainMenu_SelectAll, [items] { items->selectAllItems(); });
    bind(ui->MainMenu_FindInCatalogue, [this] { mFind->open(); });
    bind(ui->MainMenu_Setting, [this] { changeSettings(); });
    const auto search = [this] {
        searchForProjects(this, {mServices.dialogs, mServices.help, mServices.registry},
                          mServices.fs, mWorkspace.helpFile(), mSettings.search, mCatalogue);
    };
    bind(ui->MainMenu_RPG2000Search, search);
    for (QAction* a : {ui->MenuItem_NmlBar, ui->MenuItem_AplBar, ui->MenuItem_GazBar}) {
        bind(a, [this, a] { mBars->toggle(a); });
    }
    bind(ui->MenuItem_Customize, [this] { customizeBars(); });
    bind(ui->MenuItem_Details, [this] { mDetails->setShown(ui->MenuItem_Details->isChecked()); });
    bindEntry(start, ui->MainMenu_GameStart, [run] { run->playGame(); });
    bindEntry(start, ui->MainMenu_TestPlay, [run] { run->testPlay(); });
    bindEntry(start, ui->MainMenu_ThukuruExecute, [run] { run->openIn2000Editor(); });
    bind(ui->MainMenu_OpenHelp, [this] { mServices.help.showContents(mWorkspace.helpFile()); });
    bind(ui->MainMenu_About, [this] { showAbout(this, mServices.shell, mHostFolder); });

    connect(edit, &QMenu::aboutToShow, this, &TMainForm::updateEditMenu);
    connect(start, &QMenu::aboutToShow, this, &TMainForm::updateStartMenu);
    // Shortcuts must reach their handlers, which apply the rules afresh: a closed menu leaves
    // its entries enabled.
    for (QMenu* menu : {edit, start}) {
        connect(menu, &QMenu::aboutToHide, this, [menu] {
            for (QAction* a : menu->actions()) {
                a->setEnabled(true);
            }
        });
    }

    // The list pop-up shows its shortcuts; the main menu's entries serve them.
    bind(ui->ListPop_OpenProjectFolder, [run] { run->openProjectFolder(); });
    bind(ui->ListPop_GameStart, [run] { run->playGame(); });
    bind(ui->ListPop_TestPlay, [run] { run->testPlay(); });
    bind(ui->ListPop_Thukuru2000Execute, [run] { run->openIn2000Editor(); });
    bind(ui->ListPop_Thukuru2003Execute, [run] { run->openIn2003Editor(); });
    bind(ui->ListPop_Cut, [items] { items->cutItems(); });
    bind(ui->ListPop_Copy, [items] { items->copyItems(); });
    bind(ui->ListPop_Paste, [items] { items->pasteItems(); });
    bind(ui->ListPop_Delete, [items] { items->deleteItems(); });
    bind(ui->R1, [run] { run->showProjectProperties(); });
    // The edit menu's N2 bears the same caption and is bound to nothing: in the program this
    // one reproduces, that entry did nothing, and users know the pop-up's entry as the one
    // that shows the properties.
    ui->ListView_PopupMenu->setDefaultAction(ui->ListPop_OpenProjectFolder);

    bind(ui->TreePop_New, [items] { items->newFolder(); });
    bind(ui->TreePop_Delete, [items] { items->deleteChosenFolder(); });
    bind(ui->TreePop_Rename, [items] { items->renameChosenFolder(); });

    bind(ui->ToolButton_OpenProjectFolder, [run] { run->openProjectFolder(); });
    bind(ui->ToolButton_RpgSearch, search);
    bind(ui->ToolButton_GameStart, [run] { run->playGame(); });
    bind(ui->ToolButton_TestPlay, [run] { run->testPlay(); });
    bind(ui->ToolButton_ThukuruExecute, [run] { run->openIn2000Editor(); });
    // The menu's rules first: found rows are not deleted.
    bind(ui->ToolButton_DeleteListItem, [this] { ui->MainMenu_Delete->trigger(); });
}

void TMainForm::bindViews() {
    FolderTreeView* tree = ui->TreeView;
    ProjectListView* list = ui->ProjectList;
    CatalogueActions* items = mCatalogueActions;
    connect(list, &QAbstractItemView::clicked, this,
            [this, list] { command([&] { mStatus->showTitle(list->focusedRow()); }); });
    connect(list, &QAbstractItemView::doubleClicked, this,
            [this] { command([this] { mLaunch.runDoubleClickAction(); }); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, items](int column) { command([&] { items->sortByColumn(column); }); });
    connect(list, &ProjectListView::rowsDropped, this,
            [this, items](int target) { command([&] { items->dropOnRow(target); }); });
    connect(items, &CatalogueActions::countChanged, this, [this] { mStatus->showCount(); });
    connect(items, &CatalogueActions::focusChanged, this,
            [this, list] { mStatus->showTitle(list->focusedRow()); });
    connect(mTreeChange, &TreeSelectionDebounce::listLeft, this,
            [this] { mStatus->showTitle(-1); });
    connect(mTreeChange, &TreeSelectionDebounce::listBack, this, [this] { mStatus->showCount(); });

    tree->setDropRule([this, list](const QObject* source, const QModelIndex* index) {
        const bool fromList = source == list;
        return fromList && (!index || treeAcceptsDrop(fromList, mTreeModel->node(*index),
                                                      mCatalogue.selected()));
    });
    connect(tree, &FolderTreeView::rowsDroppedOn, this, [this, items](const QModelIndex& index) {
        command([&] { items->dropOnFolder(mTreeModel->node(index)); });
    });
    auto* rename =
        new QShortcut(QKeySequence(Qt::Key_F2), tree, nullptr, nullptr, Qt::WidgetShortcut);
    connect(rename, &QShortcut::activated, this, [this, items] {
        command([this, items] {
            updateTreePopup();
            if (ui->TreePop_Rename->isEnabled()) {
                items->renameChosenFolder();
            }
        });
    });
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& pos) {
        // The right button selects the folder under it before the menu opens.
        const QModelIndex index = tree->indexAt(pos);
        if (index.isValid()) {
            tree->setCurrentIndex(index);
        }
        mTreeChange->flush();
        updateTreePopup();
        ui->TreeView_PopupMenu->exec(tree->viewport()->mapToGlobal(pos));
    });
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        mTreeChange->flush();
        updateListPopup();
        ui->ListView_PopupMenu->exec(list->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::showOpenedWorkspace() {
    runGuarded(mServices.dialogs, [this] { applySettings(); });
    // Once the window is up, the catalogue's records are copied out of the mapped file.
    auto* settling = new QTimer(this);
    connect(settling, &QTimer::timeout, this, [this, settling] {
        if (mWorkspace.settle()) {
            settling->deleteLater();
        }
    });
    settling->start(20);
}

void TMainForm::applySettings() {
    applyLayout(mWorkspace.storedLayout());
    mAppearance->apply(mSettings.list);
    markDoubleClickEntry(mSettings.basic.dblClick);
    mAppearance->loadIcons(mSettings.list.listIconPath);
    mBars->apply(mSettings.bars, mServices.fs, mServices.icons);
    // Asking may wait for Wine, which the window does not.
    const QPointer<QAction> entry = ui->ListPop_Thukuru2003Execute;
    mServices.registry.later({}, [entry](Registry& registry) -> Registry::Then {
        if (is2003EditorInstalled(registry)) {
            return {};
        }
        return [entry] {
            if (entry) {
                entry->setVisible(false);
            }
        };
    });
}

bool TMainForm::closeWorkspace() {
    return runGuarded(mServices.dialogs,
                      [this] { mWorkspace.close(currentLayout(), mAppearance->background()); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (closeWorkspace()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Sizes, designed or stored, are the outer ones; once the frame is known, take it off.
    if (mOuterBounds) {
        const QRect outer = *mOuterBounds;
        mOuterBounds.reset();
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        resize(std::max(0, outer.width() - frameExtra.width()),
               std::max(0, outer.height() - frameExtra.height()));
    }
}

// ---- status bar and menu rules --------------------------------------------------------------

const ProjectItem* TMainForm::focusedItem() const {
    const int row = ui->ProjectList->focusedRow();
    return row < 0 ? nullptr : mListModel->item(row);
}

static ListState listState(const ProjectListView* list, Clipboard& clipboard) {
    const auto* rows = qobject_cast<const ProjectListModel*>(list->model());
    return {list->focusedRow() >= 0, !list->selectedRows().empty(), clipboard.hasItemData(),
            rows && rows->showsFound()};
}

void TMainForm::updateEditMenu() {
    const EditMenuState s = editMenuState(listState(ui->ProjectList, mServices.clipboard));
    ui->MainMenu_OpenProjectFolder->setEnabled(s.openProjectFolder);
    ui->MainMenu_Cut->setEnabled(s.cut);
    ui->MainMenu_Copy->setEnabled(s.copy);
    ui->MainMenu_Paste->setEnabled(s.paste);
    ui->MainMenu_Delete->setEnabled(s.del);
}

void TMainForm::updateStartMenu() {
    const StartMenuState s = startMenuState(listState(ui->ProjectList, mServices.clipboard));
    ui->MainMenu_GameStart->setEnabled(s.gameStart);
    ui->MainMenu_TestPlay->setEnabled(s.testPlay);
    ui->MainMenu_ThukuruExecute->setEnabled(s.editIn2000);
}

void TMainForm::updateListPopup() {
    const ListPopupState s = listPopupState(listState(ui->ProjectList, mServices.clipboard));
    ui->ListPop_Cut->setEnabled(s.cut);
    ui->ListPop_Copy->setEnabled(s.copy);
    ui->ListPop_Paste->setEnabled(s.paste);
    ui->ListPop_Delete->setEnabled(s.del);
    mStatus->showTitle(ui->ProjectList->focusedRow());
}

void TMainForm::updateTreePopup() {
    TreeNode* node = mCatalogue.selected();
    const TreePopupState s = treePopupState(node != nullptr, mCatalogue.tree().isRoot(node));
    ui->TreePop_Delete->setEnabled(s.del);
    ui->TreePop_Rename->setEnabled(s.rename);
    mCatalogueActions->treePopupOpened();
}

// ---- the window's own commands --------------------------------------------------------------

void TMainForm::changeSettings() {
    if (editSettings(this, {mServices.dialogs, mServices.fs, mServices.help, mServices.icons},
                     mWorkspace.helpFile(), mSettings, *mAppearance)) {
        markDoubleClickEntry(mSettings.basic.dblClick);
    }
}

void TMainForm::customizeBars() {
    // The View menu's toggles may have changed the bars since they were built.
    mBars->readVisibility(mSettings.bars);
    if (editBars(this, {mServices.dialogs, mServices.fs, mServices.help}, mWorkspace.helpFile(),
                 mSettings.bars)) {
        mBars->apply(mSettings.bars, mServices.fs, mServices.icons);
    }
}

// The list pop-up's bold entry is what a double click does.
void TMainForm::markDoubleClickEntry(int dblClick) {
    const DblClickAction action = dblClickAction(dblClick);
    ui->ListView_PopupMenu->setDefaultAction(
        action == DblClickAction::openProjectFolder ? ui->ListPop_OpenProjectFolder
        : action == DblClickAction::playGame        ? ui->ListPop_GameStart
        : action == DblClickAction::editIn2000      ? ui->ListPop_Thukuru2000Execute
                                                    : nullptr);
}

// ---- layout ---------------------------------------------------------------------------------

int TMainForm::treeWidth() const {
    // Before the window is first laid out the splitter holds its sizes but the tree has none.
    const int width = ui->Splitter->sizes().value(0);
    return width > 0 ? width : kDesignedTreeWidth;
}

WindowLayout TMainForm::currentLayout() const {
    WindowLayout layout;
    const QRect outer = frameGeometry();
    layout.position =
        WindowLayout::Position{outer.top(), outer.left(), outer.width(), outer.height()};
    layout.columns =
        WindowLayout::Columns{ui->ProjectList->columnWidth(0), ui->ProjectList->columnWidth(1)};
    const std::vector<BandPlace> bars = ui->ControlBar1->places(); // nml, apl, gaz
    const auto barPos = [&bars](std::size_t i) {
        return WindowLayout::BarPos{bars[i].left, bars[i].top};
    };
    layout.toolBarPos = WindowLayout::ToolBarPos{barPos(0), barPos(1), barPos(2)};
    const FontChoice font = mAppearance->font();
    layout.listFont = WindowLayout::ListFont{font.name, font.colour, font.size};
    layout.tree = WindowLayout::Tree{treeWidth(),
                                     std::max(0, mCatalogue.tree().indexOf(mCatalogue.selected()))};
    layout.details = WindowLayout::Details{mDetails->shown(), mDetails->paneSize()};
    return layout;
}

void TMainForm::applyLayout(const WindowLayout& layout) {
    if (layout.position) {
        std::vector<ScreenRect> screens;
        for (const QScreen* sc : QGuiApplication::screens()) {
            const QRect r = sc->availableGeometry();
            screens.push_back({r.x(), r.y(), r.width(), r.height()});
        }
        const ScreenRect at = placeOnScreen(*layout.position, screens);
        mOuterBounds = QRect(at.left, at.top, at.width, at.height);
        move(at.left, at.top);
        resize(at.width, at.height);
    }
    ProjectListView* list = ui->ProjectList;
    if (layout.columns) {
        list->setColumnWidth(0, sane(layout.columns->titleWidth, 0, kMaxExtent));
        list->setColumnWidth(1, sane(layout.columns->pathWidth, 0, kMaxExtent));
    }
    if (layout.toolBarPos) {
        const auto& t = *layout.toolBarPos;
        ui->ControlBar1->setPlaces({{t.nml.x, t.nml.y}, {t.apl.x, t.apl.y}, {t.gaz.x, t.gaz.y}});
    }
    if (layout.listFont) {
        FontChoice font;
        font.name = layout.listFont->name;
        font.size = layout.listFont->size;
        font.colour = layout.listFont->color;
        mAppearance->setFont(font);
    }
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(list->font()).height() + 5);
    if (layout.details) {
        mDetails->setPaneSize(layout.details->size);
        ui->MenuItem_Details->setChecked(layout.details->visible);
        mDetails->setShown(layout.details->visible);
    }
    if (layout.tree) {
        const QList<int> sizes = ui->Splitter->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        const int width = sane(layout.tree->width, 0, kMaxExtent);
        ui->Splitter->setSizes({width, std::max(0, total - width)});
        const int index = layout.tree->index;
        if (index > 0 && index < mCatalogue.tree().nodeCount()) {
            TreeNode* node = mCatalogue.tree().nodeAt(index);
            mCatalogue.selectFolder(node);
            mTreeChange->reveal(mTreeModel->indexOf(node));
        }
    }
}

} // namespace tavrin
