#include "search/qt/SearchProgressDialog.h"

#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "search/FolderScan.h"
#include "search/qt/ProjectSearch.h"
#include "ui_SearchProgressDialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tavrin {

namespace {
const char* const kPause = "一時停止";
const char* const kResume = "再開";
} // namespace

SearchProgressDialog::SearchProgressDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TSearchDlg>()), mDialogs(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(482, 91);
    connect(ui->Bt_suspend, &QPushButton::clicked, this, &SearchProgressDialog::togglePause);
    connect(ui->Bt_cancel, &QPushButton::clicked, this, [this] { done(2); });
}

// The walk reads the marker names and the label: it stops before they go.
SearchProgressDialog::~SearchProgressDialog() {
    mSearch.reset();
}

int SearchProgressDialog::run(Catalogue& catalogue, FileSystem& fs, int matchKinds, bool dupChk,
                              const std::string& startFolder) {
    mMarkerNames = std::make_unique<std::vector<std::string>>(markerNamesFor(matchKinds));
    mEndedSearch.reset();
    mSearch = std::make_unique<ProjectSearch>(catalogue, fs, dupChk, *mMarkerNames, startFolder,
                                              *ui->lab_report);
    connect(mSearch.get(), &ProjectSearch::ended, this, &SearchProgressDialog::searchEnded);
    showFound(0);
    connect(mSearch.get(), &ProjectSearch::foundSoFar, this, &SearchProgressDialog::showFound);
    mStarted = false;
    mEnded = false;
    ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    ui->Bt_suspend->setDefault(true);

    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return exec() - kScannerEnded;
}

void SearchProgressDialog::showFound(int count) {
    ui->lab_found->setText(QString::number(count) +
                           QStringLiteral("個のプロジェクトが見つかりました"));
}

void SearchProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (mSearch && !mStarted) {
        mStarted = true;
        mSearch->resume();
    }
}

void SearchProgressDialog::togglePause() {
    if (!mSearch) {
        return;
    }
    if (mSearch->paused()) {
        mSearch->resume();
        ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    } else {
        mSearch->pause();
        ui->Bt_suspend->setText(QString::fromUtf8(kResume));
    }
}

void SearchProgressDialog::done(int result) {
    if (result >= kScannerEnded) {
        QDialog::done(result);
        return;
    }
    askToStop();
}

void SearchProgressDialog::reject() {
    ui->Bt_suspend->click();
}

void SearchProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    askToStop();
}

void SearchProgressDialog::askToStop() {
    // A second request while the question is open would stack a second question.
    if (mAsking || !mSearch) {
        return;
    }
    mAsking = true;
    if (!mSearch->paused()) {
        mSearch->pause();
    }
    const MsgResult answer =
        mDialogs.messageBox(cp932::fromUtf8("検索を終了しますか？"), cp932::fromUtf8("確認"),
                            MsgIcon::warning, MsgButtons::yesNo, MsgResult::yes);
    mAsking = false;
    ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    // The scanner may have ended while the question was open; it is gone then.
    if (mSearch) {
        mSearch->resume();
        if (answer == MsgResult::yes) {
            mSearch->stop();
        }
    }
    if (mEnded) {
        QDialog::done(kScannerEnded);
    }
}

void SearchProgressDialog::searchEnded() {
    mEndedSearch = std::move(mSearch);
    mMarkerNames.reset();
    mEnded = true;
    if (!mAsking) {
        QDialog::done(kScannerEnded);
    }
}

} // namespace tavrin
