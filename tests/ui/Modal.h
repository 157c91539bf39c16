#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavrin::test {

// Runs `act` on the first modal window of type W once it is shown and active, as a person would
// act on it; `seen` tells whether it was.
template <typename W> struct OnceShown {
    bool seen = false;

    explicit OnceShown(std::function<void(W*)> act) {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act] {
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
};

} // namespace tavrin::test
