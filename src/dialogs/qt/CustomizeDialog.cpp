#include "dialogs/qt/CustomizeDialog.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/PathText.h"
#include "platform/qt/DialogFrame.h"
#include "platform/qt/FileDrop.h"
#include "platform/qt/QtText.h"
#include "ui_CustomizeDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace tavrin {

namespace {

constexpr int kApplSheetHelp = 56;
constexpr int kGazSheetHelp = 58;

} // namespace

CustomizeDialog::CustomizeDialog(Uses uses, std::string helpFile, QWidget* parent)
    : FormDialog(parent, Esc::closes), ui(std::make_unique<Ui::TCustomizeForm>()), mUses(uses),
      mHelpFile(std::move(helpFile)) {
    ui->setupUi(this);
    fixDialogFrame(this, QSize(343, 375));
    setFont(designedFont(12));
    move(260, 132);

    createAplRows();
    mToolEdits = {ui->Ed_actview, ui->Ed_ccclip, ui->Ed_lukey, ui->Ed_mywin};
    const std::array<QPushButton*, 4> toolButtons = {ui->Bt_actview, ui->Bt_ccclip, ui->Bt_lukey,
                                                     ui->Bt_mywin};
    for (std::size_t t = 0; t < mToolEdits.size(); ++t) {
        connect(mToolEdits[t], &QLineEdit::textChanged, this, [this] { mGazChanged = true; });
        connect(toolButtons[t], &QPushButton::clicked, this, [this, t] { chooseGazToolFolder(t); });
        mToolEdits[t]->installEventFilter(this);
    }
    chainTabOrder();

    connect(ui->Bt_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Bt_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connectHelp(this, ui->Bt_help, [this] { showHelp(); });
}

CustomizeDialog::~CustomizeDialog() = default;

void CustomizeDialog::createAplRows() {
    for (int k = 0; k < static_cast<int>(mRows.size()); ++k) {
        AplRow& row = mRows[static_cast<std::size_t>(k)];
        const QString n = QString::number(k + 1);
        row.check = new QCheckBox(n, ui->GroupBox1);
        row.check->setObjectName(QStringLiteral("AplCheck") + n);
        row.check->setGeometry(8, 32 + 27 * k, 32, 16);
        row.edit = new QLineEdit(ui->GroupBox1);
        row.edit->setObjectName(QStringLiteral("AplEdit") + n);
        row.edit->setGeometry(40, 30 + 27 * k, 211, 20);
        row.browse = new QPushButton(QStringLiteral("..."), ui->GroupBox1);
        row.browse->setObjectName(QStringLiteral("AplBrowse") + n);
        row.browse->setGeometry(252, 30 + 27 * k, 25, 20);

        connect(row.check, &QCheckBox::clicked, this, [this, &row] { enableApplicationRow(row); });
        connect(row.edit, &QLineEdit::textChanged, this, [this] { mAplChanged = true; });
        connect(row.browse, &QPushButton::clicked, this, [this, &row] { chooseApplication(row); });
        row.edit->installEventFilter(this);
    }
}

// The page control, the check boxes, the row fields, the row buttons, the tool fields with
// their buttons, then the dialog's buttons; a hidden page's controls are passed over.
void CustomizeDialog::chainTabOrder() {
    std::vector<QWidget*> chain = {ui->PageControl};
    for (const AplRow& row : mRows) {
        chain.push_back(row.check);
    }
    for (const AplRow& row : mRows) {
        chain.push_back(row.edit);
    }
    for (const AplRow& row : mRows) {
        chain.push_back(row.browse);
    }
    chain.insert(chain.end(),
                 {ui->Ed_actview, ui->Bt_actview, ui->Ed_ccclip, ui->Bt_ccclip, ui->Ed_lukey,
                  ui->Bt_lukey, ui->Ed_mywin, ui->Bt_mywin, ui->Bt_Ok, ui->Bt_Cancel, ui->Bt_help});
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

bool CustomizeDialog::editBars(BarSettings& bars) {
    for (std::size_t k = 0; k < mRows.size(); ++k) {
        mRows[k].check->setChecked(bars.aplButtons[k].shown);
        mRows[k].edit->setText(qs(bars.aplButtons[k].path));
    }
    for (std::size_t t = 0; t < mToolEdits.size(); ++t) {
        mToolEdits[t]->setText(qs(bars.gazToolPath[t]));
    }
    // Filling the fields is no change of the user's.
    mAplChanged = bars.aplBarVisible;
    mGazChanged = bars.gazBarVisible;

    if (exec() != QDialog::Accepted) {
        return false;
    }

    bars.aplBarVisible = mAplChanged;
    bars.gazBarVisible = mGazChanged;
    for (std::size_t k = 0; k < mRows.size(); ++k) {
        bars.aplButtons[k].shown = mRows[k].check->isChecked();
        bars.aplButtons[k].path = typedPath(mRows[k].edit->text());
    }
    for (std::size_t t = 0; t < mToolEdits.size(); ++t) {
        bars.gazToolPath[t] = trimmedToolFolder(typedPath(mToolEdits[t]->text()));
    }
    return true;
}

// A host path typed in ("/usr/bin/xdg-open") is kept as the Windows path the rest of the
// program starts and shows; one no drive holds, and anything else, as typed.
std::string CustomizeDialog::typedPath(const QString& text) const {
    if (text.startsWith(QLatin1Char('/'))) {
        if (std::optional<std::string> windows =
                mUses.fs.windowsPathOf(QFile::encodeName(text).toStdString())) {
            return *windows;
        }
    }
    return toCp932Path(text);
}

void CustomizeDialog::setUpControls() {
    for (const AplRow& row : mRows) {
        row.edit->setEnabled(row.check->isChecked());
        row.browse->setEnabled(row.check->isChecked());
    }
}

// A row switched off keeps its path: it is stored all the same.
void CustomizeDialog::enableApplicationRow(const AplRow& row) {
    row.edit->setEnabled(row.check->isChecked());
    row.browse->setEnabled(row.check->isChecked());
    mAplChanged = true;
}

void CustomizeDialog::chooseApplication(const AplRow& row) {
    const std::optional<std::string> chosen = mUses.dialogs.openFile(
        mOpenDialog.request("*.exe", aplBrowseFilter(), toCp932Path(row.edit->text())));
    if (chosen) {
        row.edit->setText(qs(*chosen));
    }
}

void CustomizeDialog::chooseGazToolFolder(std::size_t tool) {
    const std::string program = std::string(kGazToolNames[tool]) + ".exe";
    QLineEdit* field = mToolEdits[tool];
    const std::optional<std::string> chosen = mUses.dialogs.openFile(
        mOpenDialog.request(program, gazBrowseFilter(program), toCp932Path(field->text())));
    if (chosen) {
        field->setText(qs(pathtext::folderPart(*chosen)));
    }
}

int CustomizeDialog::activeHelpContext() const {
    return ui->PageControl->currentWidget() == ui->GazSheet ? kGazSheetHelp : kApplSheetHelp;
}

void CustomizeDialog::showHelp() {
    mUses.help.showContext(mHelpFile, activeHelpContext());
}

// The Windows path of the first file dropped from another program; nothing for a drag that
// carries no files, or a file no drive holds.
std::optional<std::string> CustomizeDialog::droppedFile(const QMimeData* data) const {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) {
        return std::nullopt;
    }
    const QString host = QDir::cleanPath(urls.constFirst().toLocalFile());
    return mUses.fs.windowsPathOf(QFile::encodeName(host).toStdString());
}

void CustomizeDialog::dropOn(QLineEdit* field, const std::string& path) {
    for (std::size_t t = 0; t < mToolEdits.size(); ++t) {
        if (mToolEdits[t] == field) {
            field->setText(qs(resolveGazToolFolder(mUses.fs, path, kGazToolNames[t])));
            return;
        }
    }
    field->setText(qs(path));
}

bool CustomizeDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // A drag without files, text included, is not for these fields.
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedFile(drag->mimeData())) {
            acceptFileDrop(drag);
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<std::string> path = droppedFile(drop->mimeData());
        if (path && acceptFileDrop(drop)) {
            dropOn(field, *path);
        } else {
            drop->ignore();
        }
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace tavrin
