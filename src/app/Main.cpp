#include "app/Main.h"

#include "app/CommandGuard.h"
#include "app/ControlBar.h"
#include "app/MainBars.h"
#include "app/MenuState.h"
#include "app/Settings.h"
#include "app/WindowLayout.h"
#include "catalogue/CatalogueActions.h"
#include "catalogue/FolderTreeModel.h"
#include "catalogue/FolderTreeView.h"
#include "catalogue/ListAppearance.h"
#include "catalogue/ProjectListModel.h"
#include "catalogue/ProjectListView.h"
#include "catalogue/TreeSelectionDebounce.h"
#include "dialogs/F_customize.h"
#include "dialogs/F_setting.h"
#include "dialogs/F_version.h"
#include "launch/CodePageChoices.h"
#include "launch/DetailsPane.h"
#include "launch/PlayLog.h"
#include "launch/Tavrinutils.h"
#include "platform/AppError.h"
#include "platform/Clipboard.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/InstanceMarker.h"
#include "platform/ProfileFile.h"
#include "platform/linux/AppIcons.h"
#include "platform/linux/FileDrop.h"
#include "platform/linux/QtText.h"
#include "search/SearchCommand.h"
#include "ui_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
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
// The tree's width as designed, also for a [TreeView] that does not say.
constexpr int kDesignedTreeWidth = 165;
int sane(std::int32_t value, int low, int high) {
    return std::clamp<std::int32_t>(value, low, high);
}

} // namespace

TMainForm::TMainForm(Services services, std::string appFolder, QWidget* parent,
                     CatalogueReadAhead* readAhead)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()), mServices(services),
      mLaunch(services, mSettings, [this] { return focusedItem(); }),
      mAppFolder(std::move(appFolder)) {
    buildWindow();
    FormCreate(readAhead);
}

TMainForm::~TMainForm() {
    mCatalogue.removeListener(this);
    // The handlers, views and models read the catalogue, a member that dies before the
    // children the base class destroys: they go first.
    delete mCatalogueActions;
    delete mTreeChange;
    delete takeCentralWidget();
    delete mTreeModel;
    delete mListModel;
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
    // The details pane shares the list's side of the window, below it.
    mPlayLog = std::make_unique<PlayLog>(mServices.ownFiles, mAppFolder + "Tavrin.played");
    mLaunch.recordStartsIn(mPlayLog.get());
    mCodePages =
        std::make_unique<CodePageChoices>(mServices.ownFiles, mAppFolder + "Tavrin.codepage");
    mLaunch.takeCodePagesFrom(mCodePages.get());
    auto* column = new QSplitter(Qt::Vertical, ui->Splitter);
    column->setObjectName(QStringLiteral("DetailsSplitter"));
    column->setHandleWidth(4);
    column->setChildrenCollapsible(false);
    ui->Splitter->insertWidget(1, column);
    column->addWidget(list);
    mDetails = new DetailsPane(mServices.fs, mServices.registry, *mPlayLog, *mCodePages, column);
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
    mCatalogue.addListener(this);
    mAppearance = std::make_unique<ListAppearance>(list, ui->TreeView, mListModel, mServices.fs);

    mCount = new QLabel(this);
    mTitle = new QLabel(this);
    mCount->setObjectName(QStringLiteral("StatusPanel0"));
    mTitle->setObjectName(QStringLiteral("StatusPanel1"));
    // 100 wide, or wider where the font needs it: a cut count helps nobody. A long title is cut
    // at the window's edge instead of pushing the count aside.
    mCount->setMinimumWidth(100);
    mTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {mCount, mTitle}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    ui->StatusBar1->addWidget(mCount);
    ui->StatusBar1->addWidget(mTitle, 1);

    mBars = new MainBars(ui->ControlBar1,
                         {ui->ToolButton_OpenProjectFolder, ui->ToolButton_RpgSearch,
                          ui->ToolButton_GameStart, ui->ToolButton_TestPlay,
                          ui->ToolButton_ThukuruExecute, ui->ToolButton_DeleteListItem},
                         {ui->MenuItem_NmlBar, ui->MenuItem_AplBar, ui->MenuItem_GazBar});
    connect(mBars, &MainBars::aplClicked, this,
            [this](int i) { command([this, i] { mLaunch.AplButtonClick(i); }); });
    connect(mBars, &MainBars::gazClicked, this,
            [this](int i) { command([this, i] { mLaunch.GazButtonClick(i); }); });
    bindMenus();
    bindViews();
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
                MainMenu_EditClick();
            } else {
                MainMenu_StartClick();
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
    bindEntry(edit, ui->MainMenu_OpenProjectFolder, [run] { run->OpenProjectFolder(); });
    bindEntry(edit, ui->MainMenu_Cut, [items] { items->ListView_Cut(); });
    bindEntry(edit, ui->MainMenu_Copy, [items] { items->ListView_Copy(); });
    bindEntry(edit, ui->MainMenu_Paste, [items] { items->ListView_Paste(); });
    bindEntry(edit, ui->MainMenu_Delete, [items] { items->ListView_Delete(); });
    bindEntry(edit, ui->MainMenu_SelectAll, [items] { items->ListView_SelectAll(); });
    bind(ui->MainMenu_Setting, [this] { MainMenu_SettingClick(); });
    const auto search = [this] {
        RPG2000Search(this, mServices, mHelpFile, mSettings.search, mCatalogue);
    };
    bind(ui->MainMenu_RPG2000Search, search);
    for (QAction* a : {ui->MenuItem_NmlBar, ui->MenuItem_AplBar, ui->MenuItem_GazBar}) {
        bind(a, [this, a] { mBars->toggle(a); });
    }
    bind(ui->MenuItem_Customize, [this] { MainMenu_Customize(); });
    bind(ui->MenuItem_Details, [this] { mDetails->setShown(ui->MenuItem_Details->isChecked()); });
    bindEntry(start, ui->MainMenu_GameStart, [run] { run->GameStart(); });
    bindEntry(start, ui->MainMenu_TestPlay, [run] { run->TestPlay(); });
    bindEntry(start, ui->MainMenu_ThukuruExecute, [run] { run->TukuruExecute(); });
    bind(ui->MainMenu_OpenHelp, [this] { mServices.help.showContents(mHelpFile); });
    bind(ui->MainMenu_About, [this] { AboutSoftware(); });

    connect(edit, &QMenu::aboutToShow, this, &TMainForm::MainMenu_EditClick);
    connect(start, &QMenu::aboutToShow, this, &TMainForm::MainMenu_StartClick);
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
    bind(ui->ListPop_OpenProjectFolder, [run] { run->OpenProjectFolder(); });
    bind(ui->ListPop_GameStart, [run] { run->GameStart(); });
    bind(ui->ListPop_TestPlay, [run] { run->TestPlay(); });
    bind(ui->ListPop_Thukuru2000Execute, [run] { run->TukuruExecute(); });
    bind(ui->ListPop_Thukuru2003Execute, [run] { run->Tukuru2003Execute(); });
    bind(ui->ListPop_Cut, [items] { items->ListView_Cut(); });
    bind(ui->ListPop_Copy, [items] { items->ListView_Copy(); });
    bind(ui->ListPop_Paste, [items] { items->ListView_Paste(); });
    bind(ui->ListPop_Delete, [items] { items->ListView_Delete(); });
    bind(ui->R1, [run] { run->R1Click(); });
    // The edit menu's N2 bears the same caption and is bound to nothing: in the program this
    // one reproduces, that entry did nothing, and users know the pop-up's entry as the one
    // that shows the properties.
    ui->ListView_PopupMenu->setDefaultAction(ui->ListPop_OpenProjectFolder);

    bind(ui->TreePop_New, [items] { items->TreePop_NewClick(); });
    bind(ui->TreePop_Delete, [items] { items->TreePop_DeleteClick(); });
    bind(ui->TreePop_Rename, [items] { items->TreePop_RenameClick(); });

    bind(ui->ToolButton_OpenProjectFolder, [run] { run->OpenProjectFolder(); });
    bind(ui->ToolButton_RpgSearch, search);
    bind(ui->ToolButton_GameStart, [run] { run->GameStart(); });
    bind(ui->ToolButton_TestPlay, [run] { run->TestPlay(); });
    bind(ui->ToolButton_ThukuruExecute, [run] { run->TukuruExecute(); });
    bind(ui->ToolButton_DeleteListItem, [items] { items->ListView_Delete(); });
}

void TMainForm::bindViews() {
    FolderTreeView* tree = ui->TreeView;
    ProjectListView* list = ui->ProjectList;
    CatalogueActions* items = mCatalogueActions;
    connect(list, &QAbstractItemView::clicked, this,
            [this, list] { command([&] { ShowFocusedTitle(list->focusedRow()); }); });
    connect(list, &QAbstractItemView::doubleClicked, this,
            [this] { command([this] { mLaunch.ProjectListDblClick(); }); });
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, items](int column) { command([&] { items->ProjectListColumnClick(column); }); });
    connect(list, &ProjectListView::rowsDropped, this,
            [this, items](int target) { command([&] { items->ProjectListDragDrop(target); }); });
    connect(items, &CatalogueActions::countChanged, this,
            [this] { ShowProjectCount(mCatalogue.rowCount()); });
    connect(items, &CatalogueActions::focusChanged, this,
            [this, list] { ShowFocusedTitle(list->focusedRow()); });
    connect(mTreeChange, &TreeSelectionDebounce::listLeft, this, [this] { ShowFocusedTitle(-1); });
    connect(mTreeChange, &TreeSelectionDebounce::listBack, this,
            [this] { ShowProjectCount(mCatalogue.rowCount()); });

    tree->setDropRule([this, list](const QObject* source, const QModelIndex* index) {
        const bool fromList = source == list;
        return fromList && (!index || treeAcceptsDrop(fromList, mTreeModel->node(*index),
                                                      mCatalogue.selected()));
    });
    connect(tree, &FolderTreeView::rowsDroppedOn, this, [this, items](const QModelIndex& index) {
        command([&] { items->TreeViewDragDrop(mTreeModel->node(index)); });
    });
    auto* rename =
        new QShortcut(QKeySequence(Qt::Key_F2), tree, nullptr, nullptr, Qt::WidgetShortcut);
    connect(rename, &QShortcut::activated, this, [this, items] {
        command([this, items] {
            TreeView_PopupMenuPopup();
            if (ui->TreePop_Rename->isEnabled()) {
                items->TreePop_RenameClick();
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
        TreeView_PopupMenuPopup();
        ui->TreeView_PopupMenu->exec(tree->viewport()->mapToGlobal(pos));
    });
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        mTreeChange->flush();
        ListView_PopupMenuPopup();
        ui->ListView_PopupMenu->exec(list->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::FormCreate(CatalogueReadAhead* readAhead) {
    Dialogs& dialogs = mServices.dialogs;
    runGuarded(dialogs, [this, &dialogs, readAhead] {
        // A second copy says so, then runs the rest of start-up and ends as soon as the event
        // loop starts, writing nothing. So does a copy that cannot take the marker: it cannot
        // know that it is alone.
        if (mServices.instanceMarker.heldElsewhere()) {
            dialogs.message(sj("既に起動しています。"), "Tavrin");
            mSecondInstance = true;
        } else if (!mServices.instanceMarker.acquire()) {
            dialogs.message(sj("データを置くフォルダに、ほかの Tavrin と同時に使わないための目印を"
                               "作成できません。終了します。"),
                            "Tavrin", MsgIcon::Warning);
            mSecondInstance = true;
        }
        if (mSecondInstance) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        mHelpFile = mAppFolder + "Tavrin.hlp";
        mSettingsPath = mAppFolder + "Tavrin.ini";
        mCatalogueFile =
            std::make_unique<CatalogueFile>(mServices.ownFiles, dialogs, mAppFolder + "data.ixo");
        // Under the marker no other copy writes these files, so what a write cut short left
        // beside them is nobody's.
        if (!mSecondInstance) {
            mServices.ownFiles.removeInterruptedWrites(mCatalogueFile->path());
            mServices.ownFiles.removeInterruptedWrites(mSettingsPath);
            mServices.ownFiles.removeInterruptedWrites(mAppFolder + "Tavrin.played");
            mServices.ownFiles.removeInterruptedWrites(mAppFolder + "Tavrin.codepage");
        }
        mCatalogueFile->LoadCatalogue(mCatalogue, readAhead);
        mCatalogueLoaded = true;

        // Settings that cannot be read start from the defaults, and their file is left as it
        // is: written at the close, it would lose every value the user set.
        ProfileFile ini;
        try {
            ini = readProfile(mServices.ownFiles, mSettingsPath);
            mSettingsLoaded = true;
        } catch (const AppError& e) {
            dialogs.message(e.what() + std::string("\n") +
                                sj("設定は既定の値で始めます。このファイルは書き換えません。"),
                            "Tavrin", MsgIcon::Warning);
        }
        LoadSettings(ini, mSettings);
        applyLayout(LoadWindowLayout(ini, kDesignedTreeWidth));

        mAppearance->apply(mSettings.list);
        ApplyDblClickDefault(mSettings.basic.dblClick);
        mAppearance->loadIcons(mSettings.list.listIconPath);
        mBars->apply(mSettings.bars, mServices.fs, mServices.icons);
        // Asking may wait for Wine, which the window does not.
        const QPointer<QAction> entry = ui->ListPop_Thukuru2003Execute;
        mServices.registry.later({}, [entry](Registry& registry) -> Registry::Then {
            if (IsTukuru2003Installed(registry)) {
                return {};
            }
            return [entry] {
                if (entry) {
                    entry->setVisible(false);
                }
            };
        });
    });
}

bool TMainForm::FormClose() {
    if (mSecondInstance) {
        return true;
    }
    return runGuarded(mServices.dialogs, [this] {
        // Only what was read is written back: a start-up cut short by a failure must not
        // replace a file with an empty catalogue or default settings.
        if (mCatalogueFile && mCatalogueLoaded) {
            mCatalogueFile->WriteCatalogueFile(mCatalogue);
        }
        if (mSettingsLoaded) {
            ProfileFile ini = readProfile(mServices.ownFiles, mSettingsPath);
            SaveSettings(ini, mSettings);
            SaveWindowLayout(ini, currentLayout(), mSettings, mAppearance->background());
            writeProfile(mServices.ownFiles, mSettingsPath, ini);
        }
        mServices.instanceMarker.release();
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
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

void TMainForm::ShowProjectCount(int count) {
    mCount->setText(count < 0 ? QString()
                              : QString::number(count) + QStringLiteral("個のプロジェクト"));
}

void TMainForm::ShowFocusedTitle(int row) {
    const ProjectItem* item = row < 0 ? nullptr : mCatalogue.row(row);
    mTitle->setText(item ? qsShown(item->Title) : QString());
}

const ProjectItem* TMainForm::focusedItem() const {
    const int row = ui->ProjectList->focusedRow();
    return row < 0 ? nullptr : mCatalogue.row(row);
}

static ListState listState(const ProjectListView* list, Clipboard& clipboard) {
    return {list->focusedRow() >= 0, !list->selectedRows().empty(), clipboard.hasItemData()};
}

void TMainForm::MainMenu_EditClick() {
    const EditMenuState s = editMenuState(listState(ui->ProjectList, mServices.clipboard));
    ui->MainMenu_OpenProjectFolder->setEnabled(s.openProjectFolder);
    ui->MainMenu_Cut->setEnabled(s.cut);
    ui->MainMenu_Copy->setEnabled(s.copy);
    ui->MainMenu_Paste->setEnabled(s.paste);
    ui->MainMenu_Delete->setEnabled(s.del);
}

void TMainForm::MainMenu_StartClick() {
    const StartMenuState s = startMenuState(listState(ui->ProjectList, mServices.clipboard));
    ui->MainMenu_GameStart->setEnabled(s.gameStart);
    ui->MainMenu_TestPlay->setEnabled(s.testPlay);
    ui->MainMenu_ThukuruExecute->setEnabled(s.tukuruExecute);
}

void TMainForm::ListView_PopupMenuPopup() {
    const ListPopupState s = listPopupState(listState(ui->ProjectList, mServices.clipboard));
    ui->ListPop_Cut->setEnabled(s.cut);
    ui->ListPop_Copy->setEnabled(s.copy);
    ui->ListPop_Paste->setEnabled(s.paste);
    ui->ListPop_Delete->setEnabled(s.del);
    ShowFocusedTitle(ui->ProjectList->focusedRow());
}

void TMainForm::TreeView_PopupMenuPopup() {
    TreeNode* node = mCatalogue.selected();
    const TreePopupState s = treePopupState(node != nullptr, mCatalogue.tree().isRoot(node));
    ui->TreePop_Delete->setEnabled(s.del);
    ui->TreePop_Rename->setEnabled(s.rename);
    mCatalogueActions->treePopupOpened();
}

// ---- files dropped from other programs ------------------------------------------------------

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    // Files and folders from another program; the list's own drags carry none.
    if (!event->source() && event->mimeData()->hasUrls()) {
        acceptFileDrop(event);
    }
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->source() && event->mimeData()->hasUrls()) {
        acceptFileDrop(event);
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    const std::vector<std::string> items = searchableDrops(*event->mimeData(), mServices.fs);
    // Nothing this program can search is no drop at all: the source keeps its files.
    if (items.empty()) {
        event->ignore();
        return;
    }
    if (!acceptFileDrop(event)) {
        return;
    }
    // The drop ends before the searches run, so the program it came from is not kept waiting.
    QTimer::singleShot(0, this, [this, items] {
        command([&] { SearchDroppedItems(this, mServices, mSettings.search, mCatalogue, items); });
    });
}

// ---- the window's own commands --------------------------------------------------------------

void TMainForm::MainMenu_SettingClick() {
    mAppearance->readInto(mSettings.list);
    FontChoice font = mAppearance->font();
    TSettingForm form(mServices, mHelpFile, this);
    if (form.EditSettings(mSettings, font)) {
        mAppearance->setFont(font);
        mAppearance->apply(mSettings.list);
        ApplyDblClickDefault(mSettings.basic.dblClick);
        mAppearance->loadIcons(mSettings.list.listIconPath);
    }
}

void TMainForm::MainMenu_Customize() {
    // The View menu's toggles may have changed the bars since they were built.
    mBars->readVisibility(mSettings.bars);
    TCustomizeForm form(mServices, mHelpFile, this);
    if (form.EditBarSettings(mSettings.bars)) {
        mBars->apply(mSettings.bars, mServices.fs, mServices.icons);
    }
}

void TMainForm::AboutSoftware() {
    QApplication::beep();
    TVersionForm box(mServices.shell, mHostFolder.isEmpty() ? qs(mAppFolder) : mHostFolder, this);
    box.exec();
}

// The list pop-up's bold entry is what a double click does.
void TMainForm::ApplyDblClickDefault(int dblClick) {
    const DblClickAction action = dblClickAction(dblClick);
    ui->ListView_PopupMenu->setDefaultAction(
        action == DblClickAction::OpenProjectFolder ? ui->ListPop_OpenProjectFolder
        : action == DblClickAction::GameStart       ? ui->ListPop_GameStart
        : action == DblClickAction::EditIn2000      ? ui->ListPop_Thukuru2000Execute
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
        list->setColumnWidth(0, sane(layout.columns->colum1, 0, kMaxExtent));
        list->setColumnWidth(1, sane(layout.columns->colum2, 0, kMaxExtent));
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

// ---- catalogue notices ----------------------------------------------------------------------

void TMainForm::selectionAboutToChange(TreeNode*) {
    ShowFocusedTitle(-1);
}

void TMainForm::selectionChanged(TreeNode* now) {
    if (now) {
        ShowProjectCount(mCatalogue.rowCount());
    }
}

// The count follows the rows whoever adds or takes them: a search's hand-over, a paste, a drop.
void TMainForm::itemsInserted() {
    ShowProjectCount(mCatalogue.rowCount());
}

void TMainForm::itemsRemoved() {
    ShowProjectCount(mCatalogue.rowCount());
}

void TMainForm::itemsReset() {
    ShowProjectCount(mCatalogue.rowCount());
}

} // namespace tavrin
