#pragma once
// Waits for a condition with a deadline, taking each event as it comes (replies arrive as
// events); a short tick re-checks conditions on files written by the board.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace torvel::test {

inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(2);
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace torvel::test
