#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavrin::test {

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

// The form's control of that name; a missing one ends the test run, as no case can go on.
template <typename T> T* control(QWidget* form, const QString& name) {
    T* c = form->findChild<T*>(name);
    if (!c) {
        qFatal("no control %s", qPrintable(name));
    }
    return c;
}

} // namespace tavrin::test
