#pragma once

#include <QSize>

#include <functional>

class QAbstractButton;
class QDialog;

namespace tavrin {

// The size the dialog was laid out for, which the user cannot change, and no "?" button in its
// title bar: the dialogs' help is their own button and F1.
void fixDialogFrame(QDialog* dialog, QSize size);

// `show` on a click of `help` and on F1 wherever the focus stands in the dialog.
void connectHelp(QDialog* dialog, QAbstractButton* help, const std::function<void()>& show);

} // namespace tavrin
