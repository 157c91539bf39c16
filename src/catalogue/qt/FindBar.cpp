#include "catalogue/qt/FindBar.h"

#include "catalogue/Catalogue.h"
#include "catalogue/qt/ProjectListModel.h"
#include "catalogue/qt/ProjectListView.h"
#include "platform/qt/QtText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrin {

FindBar::FindBar(Catalogue& catalogue, ProjectListModel* model, ProjectListView* list,
                 QAbstractItemView* tree, QWidget* parent)
    : QWidget(parent), mCatalogue(catalogue), mModel(model), mList(list), mBar(new QWidget(this)),
      mBox(new QLineEdit(mBar)), mEscape(new QShortcut(QKeySequence(Qt::Key_Escape), this)),
      mRefresh(new QTimer(this)) {
    setObjectName(QStringLiteral("FindBar"));
    mBox->setObjectName(QStringLiteral("FindBox"));
    mBox->setPlaceholderText(QStringLiteral("カタログ内を検索"));
    mBox->setClearButtonEnabled(true);
    auto* bar = new QHBoxLayout(mBar);
    bar->setContentsMargins(0, 0, 0, 3);
    bar->addWidget(mBox);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(mBar);
    column->addWidget(list);
    mBar->hide();

    connect(mBox, &QLineEdit::textChanged, this, &FindBar::ask);
    // Enter or Down goes on to the rows found, the first one focused.
    const auto toRows = [this] {
        if (mModel->showsFound() && mModel->rowCount() > 0) {
            mList->setFocus();
            mList->setCurrentIndex(mModel->index(0, 0));
        }
    };
    connect(mBox, &QLineEdit::returnPressed, this, toRows);
    auto* down =
        new QShortcut(QKeySequence(Qt::Key_Down), mBox, nullptr, nullptr, Qt::WidgetShortcut);
    connect(down, &QShortcut::activated, this, toRows);
    mEscape->setContext(Qt::WidgetWithChildrenShortcut);
    mEscape->setEnabled(false);
    connect(mEscape, &QShortcut::activated, this, [this] {
        close();
        mList->setFocus();
    });
    // The tree's folder comes back when the user goes to the tree's folders.
    connect(tree, &QAbstractItemView::pressed, this, &FindBar::close);
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &FindBar::close);
    // Changes come in runs (a search hands its projects over one by one): asked again once
    // they rest.
    mRefresh->setSingleShot(true);
    mRefresh->setInterval(300);
    connect(mRefresh, &QTimer::timeout, this, [this] { ask(mBox->text()); });

    mCatalogue.addListener(this);
    mWorker = std::thread([this] { work(); });
    // Before the window's own close reads the list's layout: the path's width is the user's.
    if (QWidget* top = window(); top != this) {
        top->installEventFilter(this);
    }
}

FindBar::~FindBar() {
    mCatalogue.removeListener(this);
    {
        const std::lock_guard lock(mMutex);
        mQuit = true;
        mOvertaken = true;
    }
    mWake.notify_one();
    mWorker.join();
}

void FindBar::open() {
    mBar->show();
    mEscape->setEnabled(true);
    mBox->setFocus(Qt::ShortcutFocusReason);
    mBox->selectAll();
    // Indexed while the user starts typing.
    if (mStale) {
        post({++mAsked, {}, findSource(mCatalogue.tree())});
        mStale = false;
    }
}

void FindBar::close() {
    if (!isOpen()) {
        return;
    }
    mEscape->setEnabled(false);
    mRefresh->stop();
    // An answer still on its way is for a text gone.
    ++mAsked;
    const QSignalBlocker quiet(mBox);
    mBox->clear();
    mBar->hide();
    showFolder();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        close();
    }
    return QWidget::eventFilter(watched, event);
}

bool FindBar::isOpen() const {
    return mEscape->isEnabled();
}

void FindBar::ask(const QString& text) {
    if (text.isEmpty()) {
        // Stops a search still running; nothing is answered.
        post({++mAsked, {}, nullptr});
        showFolder();
        return;
    }
    Request request{++mAsked, toCp932(text), nullptr};
    if (mStale) {
        request.source = findSource(mCatalogue.tree());
        mStale = false;
    }
    post(std::move(request));
}

void FindBar::post(Request request) {
    {
        const std::lock_guard lock(mMutex);
        // A catalogue not yet indexed stays to be indexed under the newer text.
        if (!request.source && mRequest && mRequest->source) {
            request.source = std::move(mRequest->source);
        }
        mRequest = std::move(request);
        mOvertaken = true;
    }
    mWake.notify_one();
}

void FindBar::work() {
    std::shared_ptr<const FindIndex> index;
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mMutex);
            mWake.wait(lock, [this] { return mQuit || mRequest; });
            if (mQuit) {
                return;
            }
            request = std::move(*mRequest);
            mRequest.reset();
            mOvertaken = false;
        }
        if (request.source) {
            index = FindIndex::build(std::move(request.source), &mQuit);
        }
        if (!index || request.text.empty()) {
            continue;
        }
        const auto answer = [&](std::vector<std::uint32_t> entries, bool complete) {
            auto found = std::make_shared<const FoundItems>(FoundItems{index, std::move(entries)});
            QMetaObject::invokeMethod(
                this, [this, id = request.id, found, complete] { show(id, found, complete); },
                Qt::QueuedConnection);
        };
        // More than the tallest list shows: its rows stand in the window before the search of
        // a large catalogue ends.
        constexpr std::size_t kFirstScreen = 256;
        auto entries = index->find(request.text, &mOvertaken, kFirstScreen,
                                   [&](const std::vector<std::uint32_t>& first) {
                                       if (!mOvertaken) {
                                           answer(first, false);
                                       }
                                   });
        if (!mOvertaken) {
            answer(std::move(entries), true);
        }
    }
}

void FindBar::show(std::uint64_t id, std::shared_ptr<const FoundItems> found, bool complete) {
    if (id != mAsked || !isOpen()) {
        return;
    }
    if (mShownEarly == id && mModel->showsFound()) {
        mShownEarly = 0;
        mModel->extendFound(std::move(found));
        emit answered();
        return;
    }
    mShownEarly = complete ? 0 : id;
    const bool entering = !mModel->showsFound();
    if (entering) {
        // Found rows are no rows of the folder: they are neither dragged nor sorted.
        mListDrags = mList->dragEnabled();
        mHeaderClicks = mList->horizontalHeader()->sectionsClickable();
        mList->setDragEnabled(false);
        mList->horizontalHeader()->setSectionsClickable(false);
        mPathWidth = mList->columnWidth(ProjectListModel::PathColumn);
    }
    mModel->showFound(std::move(found));
    if (entering) {
        // The folder is what the user looks for beside a row: the path gives way until the
        // folder's column is in sight, at the designed size too.
        constexpr int kFolderWidth = 180;
        constexpr int kNarrowestPath = 160;
        mList->setColumnWidth(ProjectListModel::FolderColumn, kFolderWidth);
        const int room = mList->viewport()->width() -
                         mList->columnWidth(ProjectListModel::TitleColumn) - kFolderWidth;
        mList->setColumnWidth(
            ProjectListModel::PathColumn,
            std::clamp(room, kNarrowestPath, std::max(kNarrowestPath, mPathWidth)));
    }
    if (complete) {
        emit answered();
    }
}

void FindBar::showFolder() {
    if (!mModel->showsFound()) {
        return;
    }
    mModel->showFound(nullptr);
    mList->setColumnWidth(ProjectListModel::PathColumn, mPathWidth);
    mList->setDragEnabled(mListDrags);
    mList->horizontalHeader()->setSectionsClickable(mHeaderClicks);
}

void FindBar::itemsReset() {
    // Another folder shown changes nothing found.
    if (!mSelecting) {
        changed();
    }
}

void FindBar::changed() {
    mStale = true;
    if (mModel->showsFound()) {
        mRefresh->start();
    }
}

} // namespace tavrin
