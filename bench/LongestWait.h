// How long the window's thread keeps its user waiting: the longest its event loop is kept from
// a 5 ms timer while work goes on.
#pragma once

#include "BenchTable.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace bench {

// The time `act` takes, then the longest gap between the timer's ticks until `done` is true;
// `after` runs before the last gap is taken (a repaint, say).
inline double longestWait(const std::function<void()>& act, const std::function<bool()>& done,
                          const std::function<void()>& after = {}) {
    double longest = seconds(act);
    auto last = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, since(last));
        last = Clock::now();
    });
    tick.start(5);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (after)
        after();
    return std::max(longest, since(last));
}

} // namespace bench
