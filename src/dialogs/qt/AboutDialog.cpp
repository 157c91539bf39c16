#include "dialogs/qt/AboutDialog.h"

#include "platform/Shell.h"
#include "platform/qt/AppIcons.h"
#include "platform/qt/DialogFrame.h"
#include "platform/qt/QtText.h"
#include "ui_AboutDialog.h"

#include <QFontMetrics>
#include <QMouseEvent>

namespace tavrin {

AboutDialog::AboutDialog(Shell& shell, const QString& dataFolder, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TVersionForm>()), mShell(shell) {
    setFont(designedFont(12));
    ui->setupUi(this);
    fixDialogFrame(this, QSize(284, 201));
    // Its own place on the screen, not centred on the main window.
    move(347, 80);
    ui->ExeIconImage->setPixmap(appicons::application().pixmap(42, 42));
    ui->Lab_Url->installEventFilter(this);
    // A long path keeps both its ends; the whole of it is in the tip and can be selected.
    const QFontMetrics metrics(ui->Lab_DataFolder->font());
    ui->Lab_DataFolder->setText(
        QString::fromUtf8("データの保存先:\n") +
        metrics.elidedText(dataFolder, Qt::ElideMiddle, ui->Lab_DataFolder->width()));
    ui->Lab_DataFolder->setToolTip(dataFolder);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

AboutDialog::~AboutDialog() = default;

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    // A click is a release over the label of the press that began on it.
    if (watched == ui->Lab_Url && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui->Lab_Url->rect().contains(mouse->position().toPoint())) {
            openProjectPage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::openProjectPage() {
    // Whether anything could open the address is not this box's business.
    mShell.execute(toCp932(ui->Lab_Url->text()), "", "");
    accept();
}

} // namespace tavrin
