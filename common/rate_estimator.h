#pragma once
// Speed and time left of long work (an FPGA upload, a repeated tester operation), from the
// amount done so far at moments of a monotonic clock. The rate is smoothed so that the
// estimate settles within the first second and then moves only as the work really changes
// pace; the time left is never allowed to grow by more than the jitter allowance from one
// reading to the next (after the time that passed is taken off).

#include <QString>
#include <QtGlobal>

namespace torvel {

class RateEstimator {
public:
    // `smoothingNs`: the time constant of the smoothing (and the span of the warm start);
    // `jitterNs`: how far the time left may rise between two readings.
    explicit RateEstimator(qint64 smoothingNs = 1'000'000'000, qint64 jitterNs = 500'000'000);

    // Starts afresh: `done` units of `total` at `nowNs` (`total` 0: no end, no time left).
    void Start(qint64 nowNs, qint64 done = 0, qint64 total = 0);
    // `done` units at `nowNs`. A moment before the last one is ignored; a smaller `done`
    // counts as no progress.
    void Add(qint64 nowNs, qint64 done);

    // Units a second; 0 until some progress has been seen.
    double Rate() const { return rate_; }
    bool Known() const { return rate_ > 0; }
    // Nanoseconds left at the last reading; -1 while unknown or without a total.
    qint64 TimeLeftNs() const { return timeLeftNs_; }
    bool TimeLeftKnown() const { return Known() && timeLeftNs_ >= 0; }
    qint64 Done() const { return done_; }
    qint64 Total() const { return total_; }

private:
    void UpdateTimeLeft(qint64 nowNs);

    qint64 smoothingNs_;
    qint64 jitterNs_;
    qint64 startNs_ = 0;
    qint64 startDone_ = 0;
    qint64 lastNs_ = 0;
    qint64 done_ = 0;
    qint64 total_ = 0;
    double rate_ = 0;
    qint64 timeLeftNs_ = -1;
    qint64 timeLeftAtNs_ = 0;
};

// A rate as whole units, and a duration as minutes:seconds ("0:07", "12:30"), rounded.
QString RateText(double unitsPerSecond);
QString DurationText(qint64 ns);

}  // namespace torvel
