#include "platform/qt/DialogFrame.h"

#include <QAbstractButton>
#include <QDialog>
#include <QShortcut>

namespace tavrin {

void fixDialogFrame(QDialog* dialog, QSize size) {
    dialog->setWindowFlags((dialog->windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                           ~Qt::WindowContextHelpButtonHint);
    dialog->setFixedSize(size);
}

void connectHelp(QDialog* dialog, QAbstractButton* help, const std::function<void()>& show) {
    QObject::connect(help, &QAbstractButton::clicked, dialog, show);
    auto* f1 = new QShortcut(QKeySequence::HelpContents, dialog);
    QObject::connect(f1, &QShortcut::activated, dialog, show);
}

} // namespace tavrin
