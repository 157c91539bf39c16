#pragma once

#include <QDialog>

namespace tavrin {

// A dialog that sets its controls up each time the program shows it, not when the desktop
// shows it again after a minimise; and, where no button of it answers Esc, one that Esc
// leaves open.
class FormDialog : public QDialog {
    Q_OBJECT
public:
    enum class Esc { closes, ignored };

protected:
    FormDialog(QWidget* parent, Esc esc) : QDialog(parent), mEsc(esc) {}
    virtual void setUpControls() = 0;

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Esc mEsc;
};

} // namespace tavrin
