#include "app/Main.h"

#include "app/CommandGuard.h"
#include "app/ControlBar.h"
#include "app/Settings.h"
#include "app/UserBar.h"
#include "catalogue/FolderTreeModel.h"
#include "catalogue/FolderTreeView.h"
#include "catalogue/ItemClipboard.h"
#include "catalogue/ProjectListModel.h"
#include "catalogue/ProjectListView.h"
#include "dialogs/F_customize.h"
#include "dialogs/F_setting.h"
#include "dialogs/F_version.h"
#include "launch/AppBars.h"
#include "launch/Tavrinutils.h"
#include "platform/AppError.h"
#include "platform/Clipboard.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/IconExtract.h"
#include "platform/Icons.h"
#include "platform/InstanceMarker.h"
#include "platform/ProfileFile.h"
#include "platform/linux/AppIcons.h"
#include "platform/linux/FileDrop.h"
#include "platform/linux/QtLook.h"
#include "platform/linux/QtText.h"
#include "search/SearchCommand.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// Windows rounds font sizes with MulDiv: keep the same arithmetic, so a size read and written
// back never drifts.
int mulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

// A hand-edited settings file may hold any number; sizes beyond these help nobody.
constexpr int kMaxExtent = 32767;
// The tree's width as designed, also for a [TreeView] that does not say.
constexpr int kDesignedTreeWidth = 165;
int sane(std::int32_t value, int low, int high) {
    return std::clamp<std::int32_t>(value, low, high);
}

// A blank of 17 pixels between tool buttons, with a line for a divider.
QWidget* barGap(QWidget* parent, bool divider) {
    auto* gap = new QWidget(parent);
    gap->setFixedWidth(17);
    if (divider) {
        auto* layout = new QHBoxLayout(gap);
        layout->setContentsMargins(0, 3, 0, 3);
        auto* line = new QFrame(gap);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        layout->addWidget(line, 0, Qt::AlignHCenter);
    }
    return gap;
}

// The bar's width in the bar area; 0 for a bar without shown buttons.
int barWidth(const QToolBar* bar) {
    if (const auto* user = qobject_cast<const UserBar*>(bar)) {
        return user->buttonsWidth();
    }
    for (QAction* a : bar->actions()) {
        if (a->isVisible() && !a->isSeparator()) {
            return bar->sizeHint().width();
        }
    }
    return 0;
}

} // namespace

TMainForm::TMainForm(Services services, std::string appFolder, QWidget* parent,
                     CatalogueReadAhead* readAhead)
    : QMainWindow(parent), mServices(services), mAppFolder(std::move(appFolder)) {
    buildControls();
    FormCreate(readAhead);
}

TMainForm::~TMainForm() {
    mCatalogue.removeListener(this);
    // The views and models read the catalogue, a member that dies before the widgets the
    // base class destroys: they go first.
    delete takeCentralWidget();
    delete mTreeModel;
    delete mListModel;
}

void TMainForm::buildControls() {
    setWindowTitle(QStringLiteral("Tavrin"));
    setWindowIcon(appicons::application());
    setFont(designedFont(12));
    setAcceptDrops(true);
    resize(707, 369);
    mOuterBounds = QRect(0, 0, 707, 369);

    mTreeModel = new FolderTreeModel(mCatalogue, this);
    mTreeModel->setIcons(appicons::treeIcons());
    mListModel = new ProjectListModel(mCatalogue, this);
    mListModel->setIcons(appicons::defaultListIcons());
    // After the models, so they have caught up before the window reacts.
    mCatalogue.addListener(this);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setHandleWidth(4);
    Splitter->setChildrenCollapsible(false);

    TreeView = new FolderTreeView(Splitter);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setModel(mTreeModel);
    TreeView->setHeaderHidden(true);
    TreeView->setIndentation(20);
    TreeView->setRootIsDecorated(false);
    TreeView->setUniformRowHeights(true);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView->setContextMenuPolicy(Qt::CustomContextMenu);

    ProjectList = new ProjectListView(Splitter);
    ProjectList->setObjectName(QStringLiteral("ProjectList"));
    ProjectList->setModel(mListModel);
    ProjectList->setFont(designedFont(13));
    ProjectList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProjectList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProjectList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProjectList->setShowGrid(true);
    ProjectList->setWordWrap(false);
    ProjectList->setTabKeyNavigation(false);
    ProjectList->setIconSize(QSize(16, 16));
    ProjectList->setContextMenuPolicy(Qt::CustomContextMenu);
    ProjectList->verticalHeader()->hide();
    ProjectList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ProjectList->horizontalHeader()->setHighlightSections(false);
    ProjectList->horizontalHeader()->setSectionsClickable(true);
    ProjectList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ProjectList->horizontalHeader()->setStretchLastSection(false);
    ProjectList->setColumnWidth(ProjectListModel::PathColumn, 360);
    ProjectList->setColumnWidth(ProjectListModel::TitleColumn, 150);

    Splitter->addWidget(TreeView);
    Splitter->addWidget(ProjectList);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({kDesignedTreeWidth, 707 - kDesignedTreeWidth - 4});

    // The bar container stands above the splitter, so the bars keep free places in it.
    ControlBar1 = new ControlBar(this);
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ControlBar1);
    column->addWidget(Splitter);
    setCentralWidget(central);

    StatusPanel0 = new QLabel(this);
    // 100 wide, or wider where the font needs it: a cut count helps nobody.
    StatusPanel0->setMinimumWidth(100);
    StatusPanel1 = new QLabel(this);
    // A long title is cut at the window's edge instead of pushing the count aside.
    StatusPanel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    buildToolBars();
    buildMenus();
    connectList();

    mChangeTimer = new QTimer(this);
    mChangeTimer->setSingleShot(true);
    mChangeTimer->setInterval(50);
    connect(mChangeTimer, &QTimer::timeout, this, [this] { flushTreeChange(); });
    connect(TreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (mSyncingSelection) {
                    return;
                }
                // Leaving a folder empties the list at once; the new folder shows after
                // the delay, once for a quick run of changes.
                if (!mChangePending) {
                    mChangePending = true;
                    mListModel->setHidden(true);
                    ShowFocusedTitle(-1);
                }
                mPendingNode = mTreeModel->node(current);
                mChangeTimer->start();
            });
    TreeView->setDropRule([this](const QObject* source, const QModelIndex* index) {
        const bool fromList = source == ProjectList;
        return fromList && (!index || treeAcceptsDrop(fromList, mTreeModel->node(*index),
                                                      mCatalogue.selected()));
    });
    connect(TreeView, &FolderTreeView::rowsDroppedOn, this, [this](const QModelIndex& index) {
        command([&] { TreeViewDragDrop(mTreeModel->node(index)); });
    });
    auto* rename =
        new QShortcut(QKeySequence(Qt::Key_F2), TreeView, nullptr, nullptr, Qt::WidgetShortcut);
    connect(rename, &QShortcut::activated, this, [this] {
        command([this] {
            TreeView_PopupMenuPopup();
            if (TreePop_Rename->isEnabled()) {
                TreePop_RenameClick();
            }
        });
    });
    connect(TreeView, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        if (TreeNode* n = mTreeModel->node(i)) {
            n->expanded = true;
        }
    });
    connect(TreeView, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        if (TreeNode* n = mTreeModel->node(i)) {
            n->expanded = false;
        }
    });
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // The right button selects the folder under it before the menu opens.
        QModelIndex index = TreeView->indexAt(pos);
        if (index.isValid()) {
            TreeView->setCurrentIndex(index);
        }
        flushTreeChange();
        TreeView_PopupMenuPopup();
        TreeView_PopupMenu->exec(TreeView->viewport()->mapToGlobal(pos));
    });
    connect(ProjectList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        flushTreeChange();
        ListView_PopupMenuPopup();
        ListView_PopupMenu->exec(ProjectList->viewport()->mapToGlobal(pos));
    });
}

QAction* TMainForm::addEntry(QMenu* menu, const char* caption, const QKeySequence& shortcut,
                             std::function<void()> openRules, std::function<void()> handler) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, menu, action, openRules, handler] {
        command([&] {
            if (openRules) {
                openRules();
            }
            const bool enabled = action->isEnabled();
            // Reached by its shortcut: the menu stays closed and its entries must stay
            // reachable for the next key.
            if (!menu->isVisible()) {
                for (QAction* a : menu->actions()) {
                    a->setEnabled(true);
                }
            }
            if (enabled && handler) {
                handler();
            }
        });
    });
    return action;
}

void TMainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto edit = [this] { MainMenu_EditClick(); };
    const auto start = [this] { MainMenu_StartClick(); };

    MainMenu_File = bar->addMenu(QStringLiteral("ファイル(&F)"));
    MainMenu_Exit = addEntry(MainMenu_File, "終了(&X)", {}, {}, [this] { MainMenu_ExitClick(); });

    MainMenu_Edit = bar->addMenu(QStringLiteral("編集(&E)"));
    MainMenu_OpenProjectFolder = addEntry(MainMenu_Edit, "プロジェクトのフォルダを開く(&S)",
                                          Qt::Key_F9, edit, [this] { OpenProjectFolder(); });
    N2 = addEntry(MainMenu_Edit, "フォルダのプロパティ(&R)", {}, {}, {});
    MainMenu_Edit->addSeparator();
    MainMenu_Cut = addEntry(MainMenu_Edit, "アイテムを切り取り(&T)",
                            QKeySequence(Qt::CTRL | Qt::Key_X), edit, [this] { ListView_Cut(); });
    MainMenu_Copy = addEntry(MainMenu_Edit, "アイテムをコピー(&C)",
                             QKeySequence(Qt::CTRL | Qt::Key_C), edit, [this] { ListView_Copy(); });
    MainMenu_Paste =
        addEntry(MainMenu_Edit, "アイテムを貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V), edit,
                 [this] { ListView_Paste(); });
    MainMenu_Delete = addEntry(MainMenu_Edit, "アイテムを削除(&D)", Qt::Key_Delete, edit,
                               [this] { ListView_Delete(); });
    MainMenu_Edit->addSeparator();
    MainMenu_SelectAll =
        addEntry(MainMenu_Edit, "すべて選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), edit,
                 [this] { ListView_SelectAll(); });
    MainMenu_Edit->addSeparator();
    MainMenu_Setting =
        addEntry(MainMenu_Edit, "環境設定(&S)...", {}, {}, [this] { MainMenu_SettingClick(); });

    MainMenu_Find = bar->addMenu(QStringLiteral("検索(&R)"));
    MainMenu_RPG2000Search = addEntry(MainMenu_Find, "RPGツクール検索(&S)...", Qt::Key_F3, {},
                                      [this] { MainMenu_RPG2000SearchClick(); });

    MainMenu_Visual = bar->addMenu(QStringLiteral("表示(&V)"));
    MenuItem_ToolBar = MainMenu_Visual->addMenu(QStringLiteral("ツールバー(&R)"));
    MenuItem_NmlBar = MenuItem_ToolBar->addAction(QStringLiteral("標準"));
    MenuItem_AplBar = MenuItem_ToolBar->addAction(QStringLiteral("アプリケーション"));
    MenuItem_GazBar = MenuItem_ToolBar->addAction(QStringLiteral("Gaz Soft"));
    for (QAction* a : {MenuItem_NmlBar, MenuItem_AplBar, MenuItem_GazBar}) {
        a->setCheckable(true);
        connect(a, &QAction::triggered, this,
                [this, a] { command([&] { MainMenu_ToolBar_Click(a); }); });
    }
    MenuItem_NmlBar->setChecked(true);
    MenuItem_ToolBar->addSeparator();
    MenuItem_Customize =
        addEntry(MenuItem_ToolBar, "カスタマイズ(&C)...", {}, {}, [this] { MainMenu_Customize(); });

    MainMenu_Start = bar->addMenu(QStringLiteral("起動(&S)"));
    MainMenu_GameStart =
        addEntry(MainMenu_Start, "ゲーム実行(&G)", Qt::Key_F5, start, [this] { GameStart(); });
    MainMenu_TestPlay =
        addEntry(MainMenu_Start, "テストプレー(&T)", {}, start, [this] { TestPlay(); });
    MainMenu_ThukuruExecute =
        addEntry(MainMenu_Start, "RPGツクールで編集(&E)", {}, start, [this] { TukuruExecute(); });

    MainMenu_Help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    MainMenu_OpenHelp =
        addEntry(MainMenu_Help, "トピックの検索(&H)", Qt::Key_F1, {}, [this] { OpenHelp(); });
    MainMenu_Help->addSeparator();
    MainMenu_About =
        addEntry(MainMenu_Help, "バージョン情報(&A)...", {}, {}, [this] { AboutSoftware(); });

    connect(MainMenu_Edit, &QMenu::aboutToShow, this, [this] { MainMenu_EditClick(); });
    connect(MainMenu_Start, &QMenu::aboutToShow, this, [this] { MainMenu_StartClick(); });
    // Shortcuts must reach their handlers, which apply the rules afresh: a closed menu leaves
    // its entries enabled.
    for (QMenu* menu : {MainMenu_Edit, MainMenu_Start}) {
        connect(menu, &QMenu::aboutToHide, this, [menu] {
            for (QAction* a : menu->actions()) {
                a->setEnabled(true);
            }
        });
    }

    // The list pop-up: its shortcuts are shown, and the main menu's entries serve them.
    ListView_PopupMenu = new QMenu(this);
    const auto popupEntry = [this](const char* caption, const QKeySequence& shortcut,
                                   std::function<void()> handler) {
        QAction* a = ListView_PopupMenu->addAction(QString::fromUtf8(caption));
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WidgetShortcut);
        if (handler) {
            connect(a, &QAction::triggered, this, [this, handler] { command(handler); });
        }
        return a;
    };
    ListPop_OpenProjectFolder =
        popupEntry("プロジェクトのフォルダを開く(&F)", {}, [this] { OpenProjectFolder(); });
    ListView_PopupMenu->addSeparator();
    ListPop_GameStart = popupEntry("ゲーム実行(&G)", Qt::Key_F5, [this] { GameStart(); });
    ListPop_TestPlay = popupEntry("テストプレー(&T)", {}, [this] { TestPlay(); });
    ListPop_Thukuru2000Execute =
        popupEntry("RPGツクール2000で編集(&E)", {}, [this] { TukuruExecute(); });
    ListPop_Thukuru2003Execute =
        popupEntry("RPGツクール2003で編集(&F)", {}, [this] { ListPop_Thukuru2003ExecuteClick(); });
    ListView_PopupMenu->addSeparator();
    ListPop_Cut = popupEntry("アイテムを切り取り(&T)", QKeySequence(Qt::CTRL | Qt::Key_X),
                             [this] { ListView_Cut(); });
    ListPop_Copy = popupEntry("アイテムをコピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C),
                              [this] { ListView_Copy(); });
    ListPop_Paste = popupEntry("アイテムを貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V),
                               [this] { ListView_Paste(); });
    ListPop_Delete =
        popupEntry("アイテムを削除(&D)", Qt::Key_Delete, [this] { ListView_Delete(); });
    ListView_PopupMenu->addSeparator();
    R1 = popupEntry("フォルダのプロパティ(&R)", {}, [this] { R1Click(); });
    ListView_PopupMenu->setDefaultAction(ListPop_OpenProjectFolder);

    TreeView_PopupMenu = new QMenu(this);
    TreePop_New = TreeView_PopupMenu->addAction(QStringLiteral("新規フォルダ作成(&N)"));
    TreeView_PopupMenu->addSeparator();
    TreePop_Delete = TreeView_PopupMenu->addAction(QStringLiteral("削除(&D)"));
    TreePop_Rename = TreeView_PopupMenu->addAction(QStringLiteral("名前の変更(&M)"));
    TreePop_Rename->setShortcut(Qt::Key_F2);
    TreePop_Rename->setShortcutContext(Qt::WidgetShortcut);
    connect(TreePop_New, &QAction::triggered, this,
            [this] { command([this] { TreePop_NewClick(); }); });
    connect(TreePop_Delete, &QAction::triggered, this,
            [this] { command([this] { TreePop_DeleteClick(); }); });
    connect(TreePop_Rename, &QAction::triggered, this,
            [this] { command([this] { TreePop_RenameClick(); }); });
}

void TMainForm::buildToolBars() {
    const auto images = appicons::nmlBarImages();
    NmlBar = new QToolBar(QStringLiteral("標準ツールバー"), ControlBar1);
    NmlBar->setObjectName(QStringLiteral("NmlBar"));
    NmlBar->setIconSize(QSize(18, 16));
    NmlBar->setStyleSheet(QStringLiteral("QToolButton { min-width: 21px; min-height: 19px; }"));
    const auto button = [this, &images](const char* hint, int image,
                                        std::function<void()> handler) {
        QAction* a =
            NmlBar->addAction(images[static_cast<std::size_t>(image)], QString::fromUtf8(hint));
        a->setToolTip(QString::fromUtf8(hint));
        if (handler) {
            connect(a, &QAction::triggered, this, [this, handler] { command(handler); });
        }
        return a;
    };
    ToolButton_OpenProjectFolder =
        button("プロジェクトのフォルダを開く", 8, [this] { OpenProjectFolder(); });
    NmlBar->addWidget(barGap(NmlBar, false));
    ToolButton_RpgSearch =
        button("RPGツクール2000検索", 3, [this] { MainMenu_RPG2000SearchClick(); });
    NmlBar->addWidget(barGap(NmlBar, true));
    ToolButton_GameStart = button("ゲームスタート", 5, [this] { GameStart(); });
    ToolButton_TestPlay = button("テストプレー", 9, [this] { TestPlay(); });
    ToolButton_ThukuruExecute = button("ツクールで開く", 6, [this] { TukuruExecute(); });
    NmlBar->addWidget(barGap(NmlBar, false));
    ToolButton_DeleteListItem = button("リストから削除", 7, [this] { ListView_Delete(); });
    ControlBar1->addBar(NmlBar);

    QStringList aplNames;
    for (int i = 1; i <= 8; ++i) {
        aplNames << QStringLiteral("AplButton%1").arg(i);
    }
    AplBar = new UserBar(QStringLiteral("アプリケーションバー"), QStringLiteral("AplBar"), aplNames,
                         QStringList(), ControlBar1);
    GazBar = new UserBar(QStringLiteral("Gaz soft"), QStringLiteral("GazBar"),
                         {QStringLiteral("Bt_actview"), QStringLiteral("Bt_ccclip"),
                          QStringLiteral("Bt_lukey"), QStringLiteral("Bt_mywin")},
                         {QStringLiteral("Gaz_actview"), QStringLiteral("Gaz_ccclip"),
                          QStringLiteral("Gaz_lukey"), QStringLiteral("Gaz_mywin")},
                         ControlBar1);
    for (UserBar* b : {AplBar, GazBar}) {
        b->hide();
        ControlBar1->addBar(b);
    }
    connect(AplBar, &UserBar::buttonClicked, this,
            [this](int i) { command([this, i] { AplButtonClick(i); }); });
    connect(GazBar, &UserBar::buttonClicked, this, [this](int i) {
        command([this, i] { i == 0 ? Bt_actviewClick() : GazToolClick(i); });
    });
}

void TMainForm::connectList() {
    connect(ProjectList, &QAbstractItemView::clicked, this,
            [this] { command([this] { ProjectListClick(); }); });
    connect(ProjectList, &QAbstractItemView::doubleClicked, this,
            [this] { command([this] { ProjectListDblClick(); }); });
    connect(ProjectList->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { command([&] { ProjectListColumnClick(column); }); });
    connect(ProjectList, &ProjectListView::rowsDropped, this,
            [this](int target) { command([&] { ProjectListDragDrop(target); }); });
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

        ApplyListSettings();
        ApplyDblClickDefault(mSettings.basic.dblClick);
        LoadListIcons(mSettings.list.listIconPath);
        ApplyBarSettings(mSettings.bars);
        if (!IsTukuru2003Installed(mServices.registry)) {
            ListPop_Thukuru2003Execute->setVisible(false);
        }
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
            SaveWindowLayout(ini, currentLayout(), mSettings, mListColour);
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

// ---- status bar -----------------------------------------------------------------------------

void TMainForm::ShowProjectCount(int count) {
    StatusPanel0->setText(count < 0 ? QString()
                                    : QString::number(count) + QStringLiteral("個のプロジェクト"));
}

void TMainForm::ShowFocusedTitle(int row) {
    const ProjectItem* item = row < 0 ? nullptr : mCatalogue.row(row);
    StatusPanel1->setText(item ? qsShown(item->Title) : QString());
}

// ---- menu rules -----------------------------------------------------------------------------

ListState TMainForm::listState() {
    return {ProjectList->focusedRow() >= 0, !ProjectList->selectedRows().empty(),
            mServices.clipboard.hasItemData()};
}

void TMainForm::MainMenu_EditClick() {
    const EditMenuState s = editMenuState(listState());
    MainMenu_OpenProjectFolder->setEnabled(s.openProjectFolder);
    MainMenu_Cut->setEnabled(s.cut);
    MainMenu_Copy->setEnabled(s.copy);
    MainMenu_Paste->setEnabled(s.paste);
    MainMenu_Delete->setEnabled(s.del);
}

void TMainForm::MainMenu_StartClick() {
    const StartMenuState s = startMenuState(listState());
    MainMenu_GameStart->setEnabled(s.gameStart);
    MainMenu_TestPlay->setEnabled(s.testPlay);
    MainMenu_ThukuruExecute->setEnabled(s.tukuruExecute);
}

void TMainForm::ListView_PopupMenuPopup() {
    const ListPopupState s = listPopupState(listState());
    ListPop_Cut->setEnabled(s.cut);
    ListPop_Copy->setEnabled(s.copy);
    ListPop_Paste->setEnabled(s.paste);
    ListPop_Delete->setEnabled(s.del);
    ShowFocusedTitle(ProjectList->focusedRow());
}

void TMainForm::TreeView_PopupMenuPopup() {
    TreeNode* node = mCatalogue.selected();
    const TreePopupState s = treePopupState(node != nullptr, mCatalogue.tree().isRoot(node));
    TreePop_Delete->setEnabled(s.del);
    TreePop_Rename->setEnabled(s.rename);
    mTreePopupNode = node;
}

// ---- tree commands --------------------------------------------------------------------------

void TMainForm::command(const std::function<void()>& handler) {
    runGuarded(mServices.dialogs, [&] {
        flushTreeChange();
        handler();
    });
}

void TMainForm::flushTreeChange() {
    if (!mChangePending) {
        return;
    }
    mChangePending = false;
    mChangeTimer->stop();
    mListModel->setHidden(false);
    TreeNode* node = mPendingNode;
    mPendingNode = nullptr;
    if (node == mCatalogue.selected()) {
        // Back where it started: the list shows the same folder again.
        ShowProjectCount(mCatalogue.rowCount());
    } else {
        mCatalogue.selectFolder(node);
    }
}

void TMainForm::TreePop_NewClick() {
    TreeNode* parent = mTreePopupNode ? mTreePopupNode : mCatalogue.selected();
    TreeNode* node = mCatalogue.AddFolder(parent, sj("新しいフォルダ"));
    const QModelIndex index = mTreeModel->indexOf(node);
    if (parent) {
        TreeView->expand(mTreeModel->indexOf(parent));
    }
    TreeView->scrollTo(index);
    TreeView->edit(index);
}

void TMainForm::TreePop_DeleteClick() {
    TreeNode* node = mTreePopupNode;
    if (!node || mCatalogue.tree().isRoot(node)) {
        return;
    }
    if (mServices.dialogs.messageBox(deleteFolderQuestion(node->name), sj("確認"), MsgIcon::Warning,
                                     MsgButtons::YesNo, MsgResult::No) != MsgResult::Yes) {
        return;
    }
    mTreePopupNode = nullptr;
    if (node->childCount() > 0) {
        mCatalogue.DeleteFolderTree(node->child(0));
    }
    mCatalogue.deleteFolder(node);
    if (!mCatalogue.selected()) {
        mCatalogue.selectFolder(mCatalogue.tree().root());
    }
}

void TMainForm::TreePop_RenameClick() {
    TreeNode* node = mTreePopupNode;
    if (node && !mCatalogue.tree().isRoot(node)) {
        TreeView->edit(mTreeModel->indexOf(node));
    }
}

void TMainForm::TreeViewDragDrop(TreeNode* target) {
    if (!target) {
        return;
    }
    moveRowsToFolder(mCatalogue, ProjectList->selectedRows(), target);
    ProjectList->clearSelection();
}

// ---- clipboard ------------------------------------------------------------------------------

bool TMainForm::copySelectedRows() {
    const std::vector<ProjectItem> items = itemsOfRows(mCatalogue, ProjectList->selectedRows());
    if (items.empty()) {
        return false;
    }
    if (!mServices.clipboard.setItemData(itemDataOf(items), plainTextOf(items))) {
        mServices.dialogs.message("Clipboard Open Error", "ListView_Copy()");
        return false;
    }
    return true;
}

void TMainForm::ListView_Copy() {
    copySelectedRows();
}

void TMainForm::ListView_Cut() {
    if (!copySelectedRows()) {
        return;
    }
    mCatalogue.RemoveSelectedItems(ProjectList->selectedRows());
    ProjectList->clearSelection();
    ShowProjectCount(mCatalogue.rowCount());
}

void TMainForm::ListView_Paste() {
    if (!mServices.clipboard.hasItemData()) {
        return;
    }
    std::string data;
    switch (mServices.clipboard.itemData(data)) {
    case Clipboard::Read::absent:
        return;
    case Clipboard::Read::cannotOpen:
        mServices.dialogs.message(sj("クリップボードが開けません。\n暫く時間をおいてからもう一度同"
                                     "じ操作を行ってください。"),
                                  "Clipboard Open Error");
        return;
    case Clipboard::Read::ok:
        break;
    }
    // Every item goes to the same place, so the block ends in reverse order above that row.
    const int focused = ProjectList->focusedRow();
    for (PastedItem& item : parseItemData(data)) {
        mCatalogue.InsertPastedItem(std::move(item.Path), std::move(item.Title), focused);
    }
    ShowProjectCount(mCatalogue.rowCount());
}

// ---- list commands --------------------------------------------------------------------------

void TMainForm::ListView_Delete() {
    const std::vector<int> selected = ProjectList->selectedRows();
    const int n = static_cast<int>(selected.size());
    if (n == 0) {
        return;
    }
    const ProjectItem* first = mCatalogue.row(selected.front());
    const std::string question = deleteQuestion(n, first ? first->Title : std::string());
    if (mServices.dialogs.messageBox(question, sj("確認"), MsgIcon::Warning, MsgButtons::YesNo,
                                     MsgResult::Yes) != MsgResult::Yes) {
        return;
    }
    mCatalogue.RemoveSelectedItems(selected);
    ProjectList->clearSelection();
    ShowProjectCount(mCatalogue.rowCount());
    ShowFocusedTitle(ProjectList->focusedRow());
}

void TMainForm::ListView_SelectAll() {
    if (mCatalogue.rowCount() > 0) {
        ProjectList->selectAll();
    }
}

void TMainForm::ProjectListClick() {
    ShowFocusedTitle(ProjectList->focusedRow());
}

void TMainForm::ProjectListDblClick() {
    switch (dblClickAction(mSettings.basic.dblClick)) {
    case DblClickAction::OpenProjectFolder:
        OpenProjectFolder();
        break;
    case DblClickAction::GameStart:
        GameStart();
        break;
    case DblClickAction::EditIn2000:
        TukuruExecute();
        break;
    case DblClickAction::Nothing:
        break;
    case DblClickAction::Unknown:
        mServices.dialogs.message("Not found be specified action", "ProjectListDblClick()");
        break;
    }
}

void TMainForm::ProjectListColumnClick(int column) {
    if (mSortToggles.click(column)) {
        mCatalogue.SortDescending(localeSortKey);
    } else {
        mCatalogue.SortAscending(localeSortKey);
    }
}

void TMainForm::ProjectListDragDrop(int targetRow) {
    const std::vector<int> block =
        moveSelectedRows(mCatalogue, ProjectList->selectedRows(), targetRow);
    ProjectList->clearSelection();
    ProjectList->selectRows(block);
}

// ---- launch commands ------------------------------------------------------------------------

LaunchContext TMainForm::launchContext() {
    return {mServices.shell, mServices.dialogs, mServices.registry, mServices.fs,
            mSettings.basic.gdiRenderer};
}

const ProjectItem* TMainForm::focusedItem() const {
    const int row = ProjectList->focusedRow();
    return row < 0 ? nullptr : mCatalogue.row(row);
}

void TMainForm::GameStart() {
    LaunchContext ctx = launchContext();
    tavrin::GameStart(ctx, focusedItem(), mSettings.basic.startSize);
}

void TMainForm::TestPlay() {
    LaunchContext ctx = launchContext();
    tavrin::TestPlay(ctx, focusedItem(), mSettings.basic.startSize);
}

void TMainForm::OpenProjectFolder() {
    LaunchContext ctx = launchContext();
    tavrin::OpenProjectFolder(ctx, focusedItem());
}

void TMainForm::R1Click() {
    LaunchContext ctx = launchContext();
    tavrin::R1Click(ctx, focusedItem());
}

void TMainForm::TukuruExecute() {
    LaunchContext ctx = launchContext();
    tavrin::TukuruExecute(ctx, focusedItem(), mSettings.trial);
}

void TMainForm::ListPop_Thukuru2003ExecuteClick() {
    LaunchContext ctx = launchContext();
    tavrin::Tukuru2003Execute(ctx, focusedItem());
}

// ---- search ---------------------------------------------------------------------------------

void TMainForm::MainMenu_RPG2000SearchClick() {
    RPG2000Search(this, mServices, mHelpFile, mSettings.search, mCatalogue);
}

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
    std::vector<std::string> items;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            const std::string host = QFile::encodeName(url.toLocalFile()).toStdString();
            if (auto windows = mServices.fs.windowsPathOf(host)) {
                items.push_back(*windows);
            }
        }
    }
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

// ---- shell commands -------------------------------------------------------------------------

void TMainForm::MainMenu_ToolBar_Click(QAction* sender) {
    QToolBar* bar = sender == MenuItem_NmlBar   ? NmlBar
                    : sender == MenuItem_AplBar ? AplBar
                                                : GazBar;
    const bool show = toggledBarVisible(bar->isVisible(), barWidth(bar));
    bar->setVisible(show);
    sender->setChecked(show);
}

void TMainForm::MainMenu_SettingClick() {
    ListSettings& list = mSettings.list;
    list.rowSelect = ProjectList->rowSelect();
    list.gridLines = ProjectList->showGrid();
    list.hotTrack = ProjectList->hotTrack();
    list.bgColorOn = mListColour != clWindow;
    list.bgColor = mListColour == clWindow ? 0x7FFFFFFF : mListColour;
    FontChoice font = listFont();
    TSettingForm form(mServices, mHelpFile, this);
    if (form.EditSettings(mSettings, font)) {
        setListFont(font);
        ApplyListSettings();
        ApplyDblClickDefault(mSettings.basic.dblClick);
        LoadListIcons(mSettings.list.listIconPath);
    }
}

void TMainForm::AboutSoftware() {
    QApplication::beep();
    TVersionForm box(mServices, mHostFolder.isEmpty() ? qs(mAppFolder) : mHostFolder, this);
    box.exec();
}

void TMainForm::MainMenu_ExitClick() {
    close();
}

void TMainForm::OpenHelp() {
    mServices.help.showContents(mHelpFile);
}

// ---- settings applied -----------------------------------------------------------------------

QColor TMainForm::colour(Colour c, QPalette::ColorRole fallback) const {
    return toQColor(c, QApplication::palette(), fallback);
}

void TMainForm::ApplyListSettings() {
    const ListSettings& list = mSettings.list;
    ProjectList->setRowSelect(list.rowSelect);
    ProjectList->setShowGrid(list.gridLines);
    ProjectList->setHotTrack(list.hotTrack);

    mListColour = list.bgColorOn ? list.bgColor : clWindow;
    const QColor background = colour(mListColour, QPalette::Base);
    const QColor text = colour(mListFontColour, QPalette::Text);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(ProjectList),
                                    static_cast<QAbstractItemView*>(TreeView)}) {
        QPalette p = view->palette();
        p.setColor(QPalette::Base, background);
        p.setColor(QPalette::Text, text);
        view->setPalette(p);
    }
    // The tree always shows the list's font.
    TreeView->setFont(ProjectList->font());
}

void TMainForm::ApplyDblClickDefault(int dblClick) {
    switch (dblClick) {
    case 0:
        ListView_PopupMenu->setDefaultAction(ListPop_OpenProjectFolder);
        break;
    case 1:
        ListView_PopupMenu->setDefaultAction(ListPop_GameStart);
        break;
    case 2:
        ListView_PopupMenu->setDefaultAction(ListPop_Thukuru2000Execute);
        break;
    default:
        ListView_PopupMenu->setDefaultAction(nullptr);
        break;
    }
}

void TMainForm::LoadListIcons(const std::array<std::string, 2>& listIconPath) {
    auto icons = appicons::defaultListIcons();
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string& path = listIconPath[k];
        if (path.empty()) {
            continue;
        }
        std::optional<std::string> ico;
        try {
            const auto bytes = mServices.fs.readFile(path);
            ico = bytes ? firstSmallIconAsIco(*bytes) : std::nullopt;
        } catch (const AppError&) {
            // A special file or a huge one: the default icon stays.
        }
        QPixmap pm;
        if (ico && pm.loadFromData(reinterpret_cast<const uchar*>(ico->data()),
                                   static_cast<uint>(ico->size()), "ICO")) {
            icons[k + 1] = QIcon(pm.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    }
    mListModel->setIcons(icons);
}

void TMainForm::ApplyBarSettings(const BarSettings& bars) {
    BarsPlan plan = planBars(bars, mServices.fs, mServices.icons);
    // A picture the desktop gave but that cannot be read still leaves its button one.
    const auto readable = [this](BarButtonPlan& b) {
        if (smallPicture(b.icon).isNull()) {
            b.icon = mServices.icons.fallbackIcon();
        }
    };
    std::for_each(plan.apl.begin(), plan.apl.end(), readable);
    std::for_each(plan.gaz.begin(), plan.gaz.end(), readable);
    AplBar->setButtons(plan.apl.data(), plan.apl.size());
    GazBar->setButtons(plan.gaz.data(), plan.gaz.size());
    NmlBar->setVisible(plan.nmlVisible);
    AplBar->setVisible(plan.aplVisible);
    GazBar->setVisible(plan.gazVisible);
    MenuItem_NmlBar->setChecked(plan.nmlVisible);
    MenuItem_AplBar->setChecked(plan.aplVisible);
    MenuItem_GazBar->setChecked(plan.gazVisible);
}

void TMainForm::MainMenu_Customize() {
    // The View menu's toggles may have changed the bars since they were built.
    BarSettings& bars = mSettings.bars;
    bars.nmlBarVisible = !NmlBar->isHidden();
    bars.aplBarVisible = !AplBar->isHidden();
    bars.gazBarVisible = !GazBar->isHidden();
    TCustomizeForm form(mServices, mHelpFile, this);
    if (form.EditBarSettings(bars)) {
        ApplyBarSettings(bars);
    }
}

void TMainForm::AplButtonClick(int index) {
    LaunchContext ctx = launchContext();
    tavrin::AplButtonClick(ctx, mSettings.bars.aplButtons.at(static_cast<std::size_t>(index)).path);
}

void TMainForm::Bt_actviewClick() {
    LaunchContext ctx = launchContext();
    tavrin::Bt_actviewClick(ctx, mSettings.bars.gazToolPath[0], focusedItem());
}

void TMainForm::GazToolClick(int tool) {
    LaunchContext ctx = launchContext();
    const auto t = static_cast<std::size_t>(tool);
    tavrin::GazToolClick(ctx, t, mSettings.bars.gazToolPath.at(t));
}

// ---- layout ---------------------------------------------------------------------------------

FontChoice TMainForm::listFont() const {
    const QFont font = ProjectList->font();
    const int pixels = font.pixelSize() > 0
                           ? font.pixelSize()
                           : static_cast<int>(std::lround(font.pointSizeF() * logicalDpiY() / 72));
    FontChoice out;
    out.name = toCp932(font.families().value(0, font.family()));
    out.size = mulDiv(pixels, 72, logicalDpiY());
    out.colour = mListFontColour;
    out.bold = font.bold();
    out.italic = font.italic();
    out.underline = font.underline();
    out.strikeOut = font.strikeOut();
    return out;
}

void TMainForm::setListFont(const FontChoice& chosen) {
    const QFont font =
        toQFont(chosen, ProjectList->font(), mulDiv(sane(chosen.size, 1, 400), logicalDpiY(), 72));
    ProjectList->setFont(font);
    mListFontColour = chosen.colour;
    ProjectList->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 5);
}

int TMainForm::treeWidth() const {
    // Before the window is first laid out the splitter holds its sizes but the tree has none.
    const int width = Splitter->sizes().value(0);
    return width > 0 ? width : kDesignedTreeWidth;
}

WindowLayout TMainForm::currentLayout() const {
    WindowLayout layout;
    const QRect outer = frameGeometry();
    layout.position =
        WindowLayout::Position{outer.top(), outer.left(), outer.width(), outer.height()};
    layout.columns =
        WindowLayout::Columns{ProjectList->columnWidth(0), ProjectList->columnWidth(1)};
    const std::vector<BandPlace> bars = ControlBar1->places(); // nml, apl, gaz
    const auto barPos = [&bars](std::size_t i) {
        return WindowLayout::BarPos{bars[i].left, bars[i].top};
    };
    layout.toolBarPos = WindowLayout::ToolBarPos{barPos(0), barPos(1), barPos(2)};
    const FontChoice font = listFont();
    layout.listFont = WindowLayout::ListFont{font.name, font.colour, font.size};
    layout.tree = WindowLayout::Tree{treeWidth(),
                                     std::max(0, mCatalogue.tree().indexOf(mCatalogue.selected()))};
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
    if (layout.columns) {
        ProjectList->setColumnWidth(0, sane(layout.columns->colum1, 0, kMaxExtent));
        ProjectList->setColumnWidth(1, sane(layout.columns->colum2, 0, kMaxExtent));
    }
    if (layout.toolBarPos) {
        const auto& t = *layout.toolBarPos;
        ControlBar1->setPlaces({{t.nml.x, t.nml.y}, {t.apl.x, t.apl.y}, {t.gaz.x, t.gaz.y}});
    }
    if (layout.listFont) {
        FontChoice font;
        font.name = layout.listFont->name;
        font.size = layout.listFont->size;
        font.colour = layout.listFont->color;
        setListFont(font);
    }
    ProjectList->verticalHeader()->setDefaultSectionSize(
        QFontMetrics(ProjectList->font()).height() + 5);
    if (layout.tree) {
        const QList<int> sizes = Splitter->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        const int width = sane(layout.tree->width, 0, kMaxExtent);
        Splitter->setSizes({width, std::max(0, total - width)});
        const int index = layout.tree->index;
        if (index > 0 && index < mCatalogue.tree().nodeCount()) {
            TreeNode* node = mCatalogue.tree().nodeAt(index);
            mCatalogue.selectFolder(node);
            revealInTree(mTreeModel->indexOf(node));
        }
    }
}

// ---- catalogue notices ----------------------------------------------------------------------

void TMainForm::revealInTree(const QModelIndex& index) {
    // A view not yet shown would scroll as if it were a row high, hiding the top of a long
    // tree; once shown, the view brings its current row into sight by itself.
    if (TreeView->isVisible()) {
        TreeView->scrollTo(index);
    }
}

void TMainForm::syncTreeSelection(TreeNode* node) {
    QModelIndex index = mTreeModel->indexOf(node);
    if (TreeView->currentIndex() == index) {
        return;
    }
    mSyncingSelection = true;
    if (index.isValid()) {
        TreeView->setCurrentIndex(index);
        revealInTree(index);
    } else {
        TreeView->selectionModel()->clearCurrentIndex();
        TreeView->clearSelection();
    }
    mSyncingSelection = false;
}

void TMainForm::applyExpansion() {
    mCatalogue.tree().forEachPreOrder([this](TreeNode& n, int) {
        if (n.expanded) {
            TreeView->expand(mTreeModel->indexOf(&n));
        }
    });
}

void TMainForm::selectionAboutToChange(TreeNode*) {
    ShowFocusedTitle(-1);
}

void TMainForm::selectionChanged(TreeNode* now) {
    syncTreeSelection(now);
    if (now) {
        ShowProjectCount(mCatalogue.rowCount());
    }
}

void TMainForm::cancelTreeChange() {
    mChangePending = false;
    mPendingNode = nullptr;
    mChangeTimer->stop();
    mListModel->setHidden(false);
}

// A change waiting for a folder that goes away is dropped; the view then reports where its
// selection went.
void TMainForm::treeAboutToReset() {
    cancelTreeChange();
}

void TMainForm::treeReset() {
    applyExpansion();
}

void TMainForm::folderAboutToBeRemoved(TreeNode* node) {
    if (mTreePopupNode == node || node->isAncestorOf(mTreePopupNode)) {
        mTreePopupNode = nullptr;
    }
    if (mChangePending && (mPendingNode == node || node->isAncestorOf(mPendingNode))) {
        cancelTreeChange();
    }
}

void TMainForm::folderChanged(TreeNode* node) {
    if (node && node->expanded) {
        TreeView->expand(mTreeModel->indexOf(node));
    }
}

} // namespace tavrin
