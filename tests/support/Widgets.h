// Windows driven as a person drives them: controls found by name and worked with the mouse and
// keys, dialogs acted on once they are up, drags and drops sent as the events they are
// offscreen, where QDrag::exec returns at once. A failed check never leaves a dialog waiting.
#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>
#include <type_traits>

namespace tavrin::test {

// The form's control of that name, an action unless asked otherwise; a missing one ends the test
// run, as no case can go on.
template <typename T = QAction> T* control(QObject* form, const QString& name) {
    T* c = form->findChild<T*>(name);
    if (!c) {
        qFatal("no control %s", qPrintable(name));
    }
    return c;
}
inline QCheckBox* box(QWidget* form, const QString& name) {
    return control<QCheckBox>(form, name);
}
inline QLineEdit* edit(QWidget* form, const QString& name) {
    return control<QLineEdit>(form, name);
}
// A check box or radio button, on its square or circle: it may stretch far past its label.
void toggle(QAbstractButton* b);
void click(QWidget* form, const QString& button);
// Replaces the field's text by typing.
void typeInto(QLineEdit* field, const QString& text);

// The access keys (the letter after "&") that more than one control of `window` answers to on
// each page of its tab widgets: buttons, labels with a buddy and the tabs themselves. A key two
// controls share moves the focus between them and acts on neither.
QStringList sharedAccessKeys(QWidget* window);

// Runs `act` on the first modal window of type W once it is shown and active, as a person would
// act on it; `seen` tells whether it was.
template <typename W> struct OnceShown {
    bool seen = false;

    explicit OnceShown(std::function<void(W*)> act) {
        timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [this, act] {
            auto* open = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!open || !open->isVisible() || !open->isActiveWindow()) {
                return;
            }
            timer->deleteLater();
            seen = true;
            act(open);
        });
        timer->start();
    }
    // A window that never came leaves no timer behind to act on a later test's window.
    ~OnceShown() { delete timer; }
    OnceShown(const OnceShown&) = delete;
    OnceShown& operator=(const OnceShown&) = delete;

private:
    QPointer<QTimer> timer;
};

// A 16 x 16 picture of one colour, as an icon file gives it.
std::string png(const QColor& colour);

// A failed check inside a dialog leaves it open: ten seconds on, while `context` lives, every
// open dialog is closed rather than left to hang the run.
void closeDialogsLater(QObject* context);

// Runs `modal`, the call that opens `form` and returns once it is closed, while `act` works in
// the form as a person would; answers what `modal` answered. A form never shown ends the run.
template <typename W, typename Modal>
auto whileShown(W& form, std::type_identity_t<std::function<void(W*)>> act, Modal modal)
    -> decltype(modal()) {
    OnceShown<W> person(std::move(act));
    closeDialogsLater(&form);
    auto result = modal();
    if (!person.seen) {
        qFatal("the dialog was never shown");
    }
    return result;
}

// Runs `open` inside a modal dialog, its owner, as a window's handler opens a dialog of its own.
void insideADialog(const std::function<void(QDialog* owner)>& open);

// What a widget answered to a drag from another program (no source in this one) that entered it,
// moved to a point and dropped there; a drag refused on the move is left without a drop.
struct DropAnswer {
    bool entered = false, moved = false, dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};
DropAnswer dropFromOutside(QWidget* target, const QMimeData& data, const QPoint& at,
                           Qt::DropActions offered);
// The same on a view's point, offered as a move; false when the view refused it.
inline bool dropAt(QAbstractItemView* view, const QMimeData* data, const QPoint& pos) {
    return dropFromOutside(view->viewport(), *data, pos, Qt::MoveAction).dropped;
}

// Catches the drag a widget starts. Offscreen, QDrag::exec returns at once and the drag object is
// deleted later, so it can be read right after the mouse event that started it.
class DragCatcher : public QObject {
public:
    explicit DragCatcher(QObject* source) { source->installEventFilter(this); }
    QDrag* drag() const;

protected:
    bool eventFilter(QObject*, QEvent* event) override;

private:
    QList<QPointer<QObject>> mChildren;
};

} // namespace tavrin::test
