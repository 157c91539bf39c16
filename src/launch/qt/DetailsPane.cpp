#include "launch/qt/DetailsPane.h"

#include "launch/CodePageChoices.h"
#include "launch/PlayLog.h"
#include "launch/ProjectDetails.h"
#include "launch/qt/CodePageBox.h"
#include "launch/qt/DetailsReader.h"
#include "launch/qt/PictureView.h"
#include "platform/CodePages.h"
#include "platform/PathText.h"
#include "platform/qt/QtText.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace tavrin {

// An answer quicker than this replaces the last row's details without a note in between.
constexpr int kLoadingNoteDelayMs = 150;

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

DetailsPane::DetailsPane(FileSystem& fs, Registry& registry, PlayLog& playLog,
                         CodePageChoices& codePages, QWidget* parent)
    : QWidget(parent), mReader(std::make_unique<DetailsReader>(
                           this, fs, registry, [this](const DetailsAnswer& a) { apply(a); })),
      mPlayLog(playLog), mCodePages(codePages) {
    setObjectName(QStringLiteral("DetailsPane"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(8);
    mPicture = new PictureView(this);

    mText = wrappingLines(this);

    mCodePageLine = new QWidget(this);
    auto* codePageRow = new QHBoxLayout(mCodePageLine);
    codePageRow->setContentsMargins(0, 0, 0, 0);
    auto* codePageCaption = new QLabel(qs(details::codePageCaption()), mCodePageLine);
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
            mText->setPlainText(qs(details::readingLine()));
        }
    });
    // The keyboard stays in the list.
    setFocusPolicy(Qt::NoFocus);
    hide();
    // A game just started or ended from the focused row shows its new times, and its saves.
    mPlayLog.setRecorded([this] {
        if (mAnswered) {
            showLines();
            mHasProject = false;
            refresh();
        }
    });
}

DetailsPane::~DetailsPane() {
    mPlayLog.setRecorded({});
    mReader.reset();
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
    if (mHasProject && item->path == mFolder && item->kind == mKind) {
        return;
    }
    request(item);
}

void DetailsPane::request(const ProjectItem* item) {
    mHasProject = true;
    mFolder = item->path;
    mKind = item->kind;
    ++mSerial;
    mNeeds.clear();
    mPictureNote.clear();
    mSizeLine.clear();
    mAnswered = false;
    mLoadingNote->start();
    mReader->ask(mSerial, pathtext::withTrailingBackslash(item->path), item->kind);
}

void DetailsPane::apply(const DetailsAnswer& answer) {
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
        mSizeLine = qs(details::countingLine());
        mAnswered = true;
        mLoadingNote->stop();
    }
    showLines();
}

void DetailsPane::showLines() {
    QStringList lines;
    if (mPicture->picture().isNull()) {
        lines << (mPictureNote.isEmpty() ? qs(details::noPictureLine()) : mPictureNote);
    }
    lines << mNeeds;
    lines << mSizeLine;
    lines << qs(details::lastStartedLine(mPlayLog.lastStarted(mFolder)));
    const std::optional<PlayLog::Plays> plays = mPlayLog.plays(mFolder);
    lines << qs(details::playTimeLine(plays ? plays->seconds : 0, plays ? plays->count : 0));
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
    mCodePage->setItemText(0, qs(details::automaticCodePage(*detected)));
    const std::optional<int> chosen = mCodePages.chosen(mCodePageFolder);
    const int at = chosen ? mCodePage->findData(*chosen) : 0;
    mCodePage->setCurrentIndex(std::max(at, 0));
    mCodePageLine->show();
}

} // namespace tavrin
