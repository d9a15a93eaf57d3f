#pragma once
// For the benchmarks that drive the window: running its event loop until a condition holds,
// watching how long the GUI thread is kept from its events, and percentiles of what they time.

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace torvel::bench {

using Clock = std::chrono::steady_clock;

inline double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value below which `share` (0..1) of the values lie; 0 for none.
inline double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// Waits for the condition while the event loop runs; false at the deadline.
inline bool RunUntil(const std::function<bool()>& condition, int deadlineMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(5);
    while (!condition()) {
        if (clock.elapsed() > deadlineMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// While it lives: a 5 ms timer late by more than its period shows the GUI thread was kept from
// its events (a busy machine's scheduling included); the event loop's spells from waking to its
// next wait count only this thread's own work.
class GuiThreadProbe {
public:
    // Fine enough to see a 20 ms hold-up; a finer one would itself wake the thread as often
    // as a slow line brings a byte.
    static constexpr int kPeriodMs = 5;

    GuiThreadProbe() {
        probe_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe_, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            const double gap = Millis(now - lastTick_);
            longestGapMs_ = std::max(longestGapMs_, gap);
            if (gap > 20) ++gapsOver20Ms_;
            lastTick_ = now;
        });
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        awakeSeen_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake,
                                      [this] { awake_ = Clock::now(); });
        blockSeen_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            longestBusyMs_ = std::max(longestBusyMs_, Millis(Clock::now() - awake_));
        });
        lastTick_ = Clock::now();
        probe_.start(kPeriodMs);
    }
    ~GuiThreadProbe() {
        QObject::disconnect(awakeSeen_);
        QObject::disconnect(blockSeen_);
    }
    GuiThreadProbe(const GuiThreadProbe&) = delete;
    GuiThreadProbe& operator=(const GuiThreadProbe&) = delete;

    double LongestGapMs() const { return longestGapMs_; }
    int GapsOver20Ms() const { return gapsOver20Ms_; }
    double LongestBusyMs() const { return longestBusyMs_; }

private:
    QTimer probe_;
    Clock::time_point lastTick_;
    Clock::time_point awake_ = Clock::now();
    QMetaObject::Connection awakeSeen_;
    QMetaObject::Connection blockSeen_;
    double longestGapMs_ = 0;
    int gapsOver20Ms_ = 0;
    double longestBusyMs_ = 0;
};

}  // namespace torvel::bench
