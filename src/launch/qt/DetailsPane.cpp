#include "launch/qt/DetailsPane.h"

#include "launch/CodePageChoices.h"
#include "launch/GameCodePage.h"
#include "launch/GameFiles.h"
#include "launch/GameNeeds.h"
#include "launch/PlayLog.h"
#include "launch/ProjectDetails.h"
#include "launch/RememberedRegistry.h"
#include "launch/qt/CodePageBox.h"
#include "launch/qt/PictureView.h"
#include "launch/qt/TitlePicture.h"
#include "platform/AppError.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/qt/QtText.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>

namespace tavrin {

using Clock = std::chrono::steady_clock;

// Counting a folder on a slow disk stops here and says "at least".
constexpr auto kLongestCount = std::chrono::seconds(3);
// Whether the RTP is installed changes when the user installs it, not from row to row.
constexpr auto kRegistryKept = std::chrono::seconds(30);
// An answer quicker than this replaces the last row's details without a note in between.
constexpr int kLoadingNoteDelayMs = 150;

struct DetailsPane::Answer {
    std::uint64_t serial = 0;
    bool sizeOnly = false;
    QImage picture;
    QString pictureNote;
    QStringList needs;
    std::optional<int> codePage; // a 2000 game's, told from its files
    details::FolderSize size;
};

namespace {

// A label would take the width of its longest line, which a game folder chooses (a runtime
// naming hundreds of DLLs), and the window would grow to it: these lines wrap, between any two
// characters where no word ends, and scroll where they are taller than the pane.
QPlainTextEdit* wrappingLines(QWidget* parent) {
    auto* lines = new QPlainTextEdit(parent);
    lines->setObjectName(QStringLiteral("DetailsText"));
    lines->setReadOnly(true);
    lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lines->setFocusPolicy(Qt::ClickFocus);
    lines->setFrameShape(QFrame::NoFrame);
    lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lines->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lines->document()->setDocumentMargin(0);
    // As a label looks.
    lines->viewport()->setBackgroundRole(QPalette::Window);
    lines->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    return lines;
}

} // namespace

// One worker at most; a request made while it works waits in `mPending`, replacing any older one
// still waiting there, so a quick walk down the list reads only the rows it stops at.
class DetailsPane::Loader {
public:
    struct Request {
        std::uint64_t serial = 0;
        std::string folder;
        ProjectKind kind = pkNone;
    };

    Loader(DetailsPane* pane, FileSystem& fs, Registry& registry)
        : mPane(pane), mFs(fs), mRegistry(registry, kRegistryKept) {
        mPool.setMaxThreadCount(1);
    }

    ~Loader() {
        {
            std::lock_guard lock(mMutex);
            mClosing = true;
            mPending.reset();
        }
        mPool.waitForDone();
    }

    void ask(Request request) {
        mLatest = request.serial;
        std::lock_guard lock(mMutex);
        mPending = std::move(request);
        if (!mRunning) {
            mRunning = true;
            mPool.start([this] { work(); });
        }
    }

private:
    void work() {
        for (;;) {
            Request r;
            {
                std::lock_guard lock(mMutex);
                if (!mPending || mClosing) {
                    mRunning = false;
                    return;
                }
                r = std::move(*mPending);
                mPending.reset();
            }
            load(r);
        }
    }

    bool stale(std::uint64_t serial) const { return mClosing || mLatest != serial; }

    void post(Answer answer) {
        // Under the lock that closing takes: nothing is posted to a pane being destroyed.
        std::lock_guard lock(mMutex);
        if (mClosing) {
            return;
        }
        DetailsPane* pane = mPane;
        QMetaObject::invokeMethod(
            pane, [pane, answer = std::move(answer)] { pane->apply(answer); },
            Qt::QueuedConnection);
    }

    // Nothing a folder holds ends the worker: whatever cannot be read is shown as not there, and
    // no exception leaves the thread.
    void load(const Request& r) {
        Answer answer;
        answer.serial = r.serial;
        try {
            if (const std::optional<details::PictureFile> file =
                    details::findTitlePicture(mFs, r.folder, r.kind)) {
                const std::optional<std::string> bytes =
                    mFs.readFile(file->path, details::kPictureFileLimit);
                if (bytes) {
                    answer.picture = decodeTitlePicture(*bytes, file->format, answer.pictureNote);
                }
                if (answer.picture.isNull() && answer.pictureNote.isEmpty()) {
                    answer.pictureNote = QStringLiteral("タイトル画像を読めません");
                }
            }
        } catch (...) {
            answer.pictureNote = QStringLiteral("タイトル画像を読めません");
        }
        if (stale(r.serial)) {
            return;
        }
        std::optional<GameNeeds> needs;
        if (r.kind == pk2000) {
            try {
                needs = readGameNeeds(mFs, mRegistry, r.folder);
            } catch (...) {
                needs.reset();
            }
            if (stale(r.serial)) {
                return;
            }
            const std::vector<std::string> noFolders;
            try {
                answer.codePage =
                    gamecodepage::read(mFs, r.folder, needs ? needs->rtpFolders : noFolders);
            } catch (...) {
                answer.codePage = codepage::kJapanese; // as the runtime runs when nothing decides
            }
        }
        for (const std::string& line : details::needsLines(r.kind, needs)) {
            answer.needs << qs(line);
        }
        post(std::move(answer));

        const auto until = Clock::now() + kLongestCount;
        Answer counted;
        counted.serial = r.serial;
        counted.sizeOnly = true;
        try {
            counted.size = details::countFolder(mFs, r.folder, details::kMostEntriesCounted, [&] {
                return stale(r.serial) || Clock::now() > until;
            });
        } catch (...) {
            counted.size.complete = false;
        }
        if (!stale(r.serial)) {
            post(std::move(counted));
        }
    }

    DetailsPane* mPane;
    FileSystem& mFs;
    RememberedRegistry mRegistry;
    QThreadPool mPool;
    std::mutex mMutex;
    std::optional<Request> mPending;
    bool mRunning = false;
    std::atomic<bool> mClosing{false};
    std::atomic<std::uint64_t> mLatest{0};
};

DetailsPane::DetailsPane(FileSystem& fs, Registry& registry, PlayLog& playLog,
                         CodePageChoices& codePages, QWidget* parent)
    : QWidget(parent), mLoader(std::make_unique<Loader>(this, fs, registry)), mPlayLog(playLog),
      mCodePages(codePages) {
    setObjectName(QStringLiteral("DetailsPane"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(8);
    mPicture = new PictureView(this);

    mText = wrappingLines(this);

    mCodePageLine = new QWidget(this);
    auto* codePageRow = new QHBoxLayout(mCodePageLine);
    codePageRow->setContentsMargins(0, 0, 0, 0);
    auto* codePageCaption = new QLabel(QStringLiteral("文字コード:"), mCodePageLine);
    mCodePage = new CodePageBox(mCodePageLine);
    mCodePage->setObjectName(QStringLiteral("Combo_CodePage"));
    mCodePage->addItem(QString());
    for (int candidate : codepage::kCandidates) {
        mCodePage->addItem(qs(codepage::shownName(candidate)), candidate);
    }
    // Clicked, it leaves the keyboard in the list, as the rest of the pane does.
    mCodePage->setFocusPolicy(Qt::TabFocus);
    mCodePage->setMinimumWidth(40);
    codePageRow->addWidget(codePageCaption);
    codePageRow->addWidget(mCodePage);
    codePageRow->addStretch(1);
    mCodePageLine->hide();
    // Only a pick of the user's: filling the box for a row writes nothing.
    connect(mCodePage, &QComboBox::activated, this, [this](int index) {
        const QVariant picked = mCodePage->itemData(index);
        mCodePages.choose(mCodePageFolder,
                          picked.isValid() ? std::optional<int>(picked.toInt()) : std::nullopt);
    });

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(mCodePageLine);
    column->addWidget(mText, 1);
    row->addWidget(mPicture, 0);
    row->addLayout(column, 1);
    mLoadingNote = new QTimer(this);
    mLoadingNote->setSingleShot(true);
    mLoadingNote->setInterval(kLoadingNoteDelayMs);
    connect(mLoadingNote, &QTimer::timeout, this, [this] {
        if (!mAnswered) {
            mPicture->setPicture({});
            mCodePageLine->hide();
            mText->setPlainText(QStringLiteral("読み込み中…"));
        }
    });
    // The keyboard stays in the list.
    setFocusPolicy(Qt::NoFocus);
    hide();
    // A game just started from the focused row shows its new time.
    mPlayLog.setRecorded([this] {
        if (mAnswered) {
            showLines();
        }
    });
}

DetailsPane::~DetailsPane() {
    mPlayLog.setRecorded({});
    mLoader.reset();
}

void DetailsPane::follow(QAbstractItemView* list, std::function<const ProjectItem*()> focused) {
    mFocused = std::move(focused);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DetailsPane::refresh);
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::modelReset, this, &DetailsPane::refresh);
    connect(model, &QAbstractItemModel::rowsInserted, this, &DetailsPane::refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &DetailsPane::refresh);
    connect(model, &QAbstractItemModel::rowsMoved, this, &DetailsPane::refresh);
    connect(model, &QAbstractItemModel::layoutChanged, this, &DetailsPane::refresh);
    connect(model, &QAbstractItemModel::dataChanged, this, &DetailsPane::refresh);
}

void DetailsPane::setShown(bool on) {
    if (on == mShown) {
        return;
    }
    if (!on) {
        mSize = paneSize();
    }
    mShown = on;
    setVisible(on);
    if (on) {
        setPaneSize(mSize);
        mHasProject = false; // what the folder holds may have changed while hidden
        refresh();
    }
}

int DetailsPane::paneSize() const {
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    const int now = splitter && mShown
                        ? splitter->sizes().value(splitter->indexOf(const_cast<DetailsPane*>(this)))
                        : 0;
    return now > 0 ? now : mSize;
}

void DetailsPane::setPaneSize(int size) {
    mSize = std::clamp(size, 40, 32767);
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    if (!splitter || !mShown) {
        return;
    }
    QList<int> sizes = splitter->sizes();
    const int at = splitter->indexOf(this);
    int total = 0;
    for (int s : sizes) {
        total += s;
    }
    // Before the window is laid out the splitter has no height to share yet: the size is
    // given when it has.
    if (!splitter->isVisible() || total <= 0 || sizes.value(at) <= 0) {
        mSizeWaits = true;
        return;
    }
    if (at < 1 || sizes.size() < 2) {
        return;
    }
    sizes[at] = std::min(mSize, std::max(0, total - 40));
    sizes[at - 1] = std::max(0, total - sizes[at]);
    splitter->setSizes(sizes);
}

QSize DetailsPane::minimumSizeHint() const {
    // However narrow the user made the window, the pane makes do with the list's width.
    return {0, QWidget::minimumSizeHint().height()};
}

void DetailsPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A title screen is 4:3; the lines take the rest of the width.
    const QMargins m = layout()->contentsMargins();
    mPicture->setWantedWidth(std::max(32, (height() - m.top() - m.bottom()) * 4 / 3));
    if (mSizeWaits) {
        mSizeWaits = false;
        QTimer::singleShot(0, this, [this] { setPaneSize(mSize); });
    }
}

void DetailsPane::refresh() {
    if (!mShown || !mFocused) {
        return;
    }
    const ProjectItem* item = mFocused();
    if (!item) {
        if (mHasProject || mSerial == 0) {
            mHasProject = false;
            mAnswered = false;
            mFolder.clear();
            ++mSerial;
            mPicture->setPicture({});
            mCodePageLine->hide();
            mText->clear();
        }
        return;
    }
    if (mHasProject && item->Path == mFolder && item->Kind == mKind) {
        return;
    }
    request(item);
}

void DetailsPane::request(const ProjectItem* item) {
    mHasProject = true;
    mFolder = item->Path;
    mKind = item->Kind;
    ++mSerial;
    mNeeds.clear();
    mPictureNote.clear();
    mSizeLine.clear();
    mAnswered = false;
    mLoadingNote->start();
    mLoader->ask({mSerial, pathtext::withTrailingBackslash(item->Path), item->Kind});
}

void DetailsPane::apply(const Answer& answer) {
    // An answer for a row the user has left.
    if (answer.serial != mSerial || !mHasProject) {
        return;
    }
    if (answer.sizeOnly) {
        mSizeLine = qs(details::sizeLine(answer.size));
    } else {
        mPicture->setPicture(answer.picture);
        mPictureNote = answer.pictureNote;
        mNeeds = answer.needs;
        showCodePage(answer.codePage);
        mSizeLine = QStringLiteral("フォルダの大きさ: 数えています…");
        mAnswered = true;
        mLoadingNote->stop();
    }
    showLines();
}

void DetailsPane::showLines() {
    QStringList lines;
    if (mPicture->picture().isNull()) {
        lines << (mPictureNote.isEmpty() ? QStringLiteral("タイトル画像はありません")
                                         : mPictureNote);
    }
    lines << mNeeds;
    lines << mSizeLine;
    lines << qs(details::lastStartedLine(mPlayLog.lastStarted(mFolder)));
    const QString text = lines.join(QLatin1Char('\n'));
    // Setting the same text again would drop the user's selection and scroll back to the top.
    if (mText->toPlainText() != text) {
        mText->setPlainText(text);
    }
}

void DetailsPane::showCodePage(std::optional<int> detected) {
    if (!detected) {
        mCodePageLine->hide();
        return;
    }
    mCodePageFolder = mFolder;
    mCodePage->setItemText(0, QStringLiteral("自動（%1）").arg(qs(codepage::shownName(*detected))));
    const std::optional<int> chosen = mCodePages.chosen(mCodePageFolder);
    const int at = chosen ? mCodePage->findData(*chosen) : 0;
    mCodePage->setCurrentIndex(std::max(at, 0));
    mCodePageLine->show();
}

} // namespace tavrin
