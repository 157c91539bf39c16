#include "search/qt/SearchDlg.h"

#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "search/FolderScan.h"
#include "search/qt/Searchclass.h"
#include "ui_SearchDlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tavrin {

namespace {
const char* const kPause = "一時停止";
const char* const kResume = "再開";
} // namespace

TSearchDlg::TSearchDlg(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TSearchDlg>()), mDialogs(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(482, 91);
    connect(ui->Bt_suspend, &QPushButton::clicked, this, &TSearchDlg::Bt_suspendClick);
    connect(ui->Bt_cancel, &QPushButton::clicked, this, [this] { done(2); });
}

TSearchDlg::~TSearchDlg() = default;

int TSearchDlg::RunSearch(Catalogue& catalogue, FileSystem& fs, int matchKinds, bool dupChk,
                          const std::string& startFolder) {
    markerNames = std::make_unique<std::vector<std::string>>(markerNamesFor(matchKinds));
    searchThread =
        new TSearchClass(catalogue, fs, dupChk, *markerNames, startFolder, *ui->lab_report);
    connect(searchThread, &TSearchClass::OnTerminate, this, &TSearchDlg::SearchTerminated);
    showFound(0);
    connect(searchThread, &TSearchClass::foundSoFar, this, &TSearchDlg::showFound);
    mStarted = false;
    mEnded = false;
    ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    ui->Bt_suspend->setDefault(true);

    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return exec() - ScannerEnded;
}

void TSearchDlg::showFound(int count) {
    ui->lab_found->setText(QString::number(count) +
                           QStringLiteral("個のプロジェクトが見つかりました"));
}

void TSearchDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (searchThread && !mStarted) {
        mStarted = true;
        searchThread->Resume();
    }
}

void TSearchDlg::Bt_suspendClick() {
    if (!searchThread) {
        return;
    }
    if (searchThread->suspended()) {
        searchThread->Resume();
        ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    } else {
        searchThread->Suspend();
        ui->Bt_suspend->setText(QString::fromUtf8(kResume));
    }
}

void TSearchDlg::done(int result) {
    if (result >= ScannerEnded) {
        QDialog::done(result);
        return;
    }
    FormCloseQuery();
}

void TSearchDlg::reject() {
    ui->Bt_suspend->click();
}

void TSearchDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    FormCloseQuery();
}

void TSearchDlg::FormCloseQuery() {
    // A second request while the question is open would stack a second question.
    if (mAsking || !searchThread) {
        return;
    }
    mAsking = true;
    if (!searchThread->suspended()) {
        searchThread->Suspend();
    }
    const MsgResult answer =
        mDialogs.messageBox(cp932::fromUtf8("検索を終了しますか？"), cp932::fromUtf8("確認"),
                            MsgIcon::Warning, MsgButtons::YesNo, MsgResult::Yes);
    mAsking = false;
    ui->Bt_suspend->setText(QString::fromUtf8(kPause));
    // The scanner may have ended while the question was open; it is gone then.
    if (searchThread) {
        searchThread->Resume();
        if (answer == MsgResult::Yes) {
            searchThread->Terminate();
        }
    }
    if (mEnded) {
        QDialog::done(ScannerEnded);
    }
}

void TSearchDlg::SearchTerminated() {
    searchThread = nullptr;
    markerNames.reset();
    mEnded = true;
    if (!mAsking) {
        QDialog::done(ScannerEnded);
    }
}

} // namespace tavrin
