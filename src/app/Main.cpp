#include "app/Main.h"

#include "app/AppIcons.h"
#include "app/CommandGuard.h"
#include "catalogue/FolderTreeModel.h"
#include "catalogue/ProjectListModel.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/InstanceMarker.h"
#include "platform/linux/QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>

namespace tavrin {

namespace {

QFont designedFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

TMainForm::TMainForm(Services services, std::string appFolder, QWidget* parent)
    : QMainWindow(parent), mServices(services), mAppFolder(std::move(appFolder)) {
    buildControls();
    FormCreate();
}

TMainForm::~TMainForm() { mCatalogue.removeListener(this); }

void TMainForm::buildControls() {
    setWindowTitle(QStringLiteral("Tavrin"));
    setWindowIcon(appicons::application());
    setFont(designedFont(12));
    resize(707, 369);

    MainMenu_File = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    MainMenu_Exit = MainMenu_File->addAction(QStringLiteral("終了(&X)"));
    connect(MainMenu_Exit, &QAction::triggered, this, &QWidget::close);

    mTreeModel = new FolderTreeModel(mCatalogue, this);
    mTreeModel->setIcons(appicons::treeIcons());
    mListModel = new ProjectListModel(mCatalogue, this);
    mListModel->setIcons(appicons::defaultListIcons());
    // After the models, so they have caught up before the window reacts.
    mCatalogue.addListener(this);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setHandleWidth(4);
    Splitter->setChildrenCollapsible(false);

    TreeView = new QTreeView(Splitter);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setModel(mTreeModel);
    TreeView->setHeaderHidden(true);
    TreeView->setIndentation(20);
    TreeView->setRootIsDecorated(false);
    TreeView->setUniformRowHeights(true);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);

    ProjectList = new QTableView(Splitter);
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
    ProjectList->verticalHeader()->hide();
    ProjectList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ProjectList->verticalHeader()->setDefaultSectionSize(QFontMetrics(ProjectList->font()).height() + 5);
    ProjectList->horizontalHeader()->setHighlightSections(false);
    ProjectList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ProjectList->horizontalHeader()->setStretchLastSection(false);
    ProjectList->setColumnWidth(ProjectListModel::PathColumn, 360);
    ProjectList->setColumnWidth(ProjectListModel::TitleColumn, 150);

    Splitter->addWidget(TreeView);
    Splitter->addWidget(ProjectList);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({165, 707 - 165 - 4});
    setCentralWidget(Splitter);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setFixedWidth(100);
    StatusPanel1 = new QLabel(this);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    connect(TreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!mSyncingSelection) {
                    mCatalogue.selectFolder(mTreeModel->node(current));
                }
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
}

void TMainForm::FormCreate() {
    Dialogs& dialogs = mServices.dialogs;
    runGuarded(dialogs, [this, &dialogs] {
        // 1-2: a second copy says so, then runs the rest of start-up and ends as soon as the
        // event loop starts, writing nothing.
        if (mServices.instanceMarker.heldElsewhere()) {
            dialogs.message(sj("既に起動しています。"), "Tavrin");
            mSecondInstance = true;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        mServices.instanceMarker.acquire();
        // 3-4: drops and the clipboard format come with their commands.
        mHelpFile = mAppFolder + "Tavrin.hlp";
        mCatalogueFile =
            std::make_unique<CatalogueFile>(mServices.fs, dialogs, mAppFolder + "data.ixo");
        mCatalogueFile->LoadCatalogue(mCatalogue);
    });
}

bool TMainForm::FormClose() {
    if (mSecondInstance) {
        return true;
    }
    return runGuarded(mServices.dialogs, [this] {
        if (mCatalogueFile) {
            mCatalogueFile->WriteCatalogueFile(mCatalogue);
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

void TMainForm::ShowProjectCount(int count) {
    StatusPanel0->setText(count < 0 ? QString()
                                    : QString::number(count) + QStringLiteral("個のプロジェクト"));
}

void TMainForm::ShowFocusedTitle(int row) {
    const ProjectItem* item = row < 0 ? nullptr : mCatalogue.row(row);
    StatusPanel1->setText(item ? qs(item->Title) : QString());
}

void TMainForm::syncTreeSelection(TreeNode* node) {
    QModelIndex index = mTreeModel->indexOf(node);
    if (TreeView->currentIndex() == index) {
        return;
    }
    mSyncingSelection = true;
    if (index.isValid()) {
        TreeView->setCurrentIndex(index);
        TreeView->scrollTo(index);
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

void TMainForm::selectionAboutToChange(TreeNode*) { ShowFocusedTitle(-1); }

void TMainForm::selectionChanged(TreeNode* now) {
    syncTreeSelection(now);
    if (now) {
        ShowProjectCount(mCatalogue.rowCount());
    }
}

void TMainForm::treeReset() { applyExpansion(); }

void TMainForm::folderChanged(TreeNode* node) {
    if (node && node->expanded) {
        TreeView->expand(mTreeModel->indexOf(node));
    }
}

} // namespace tavrin
