#include "common/rate_estimator.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>

namespace torvel {

namespace {

constexpr double kNsPerSecond = 1e9;

}  // namespace

RateEstimator::RateEstimator(qint64 smoothingNs, qint64 jitterNs)
    : smoothingNs_(std::max<qint64>(smoothingNs, 1)), jitterNs_(std::max<qint64>(jitterNs, 0)) {}

void RateEstimator::Start(qint64 nowNs, qint64 done, qint64 total) {
    startNs_ = lastNs_ = nowNs;
    startDone_ = done_ = done;
    total_ = std::max<qint64>(total, 0);
    rate_ = 0;
    timeLeftNs_ = -1;
    timeLeftAtNs_ = nowNs;
}

void RateEstimator::Add(qint64 nowNs, qint64 done) {
    if (nowNs < lastNs_) return;
    done = std::max(done, done_);
    const qint64 span = nowNs - startNs_;
    if (span <= 0) {
        // Nothing to divide by yet; the progress counts at the next moment.
        done_ = done;
        return;
    }
    if (span <= smoothingNs_) {
        // Warm start: the plain average since the start is the best estimate there is, and
        // it settles after a handful of readings.
        rate_ = static_cast<double>(done - startDone_) * kNsPerSecond / static_cast<double>(span);
    } else {
        // Exponential smoothing in continuous time: weights follow elapsed time, so a burst
        // of readings close together moves the rate no more than their time is worth.
        const qint64 step = nowNs - lastNs_;
        if (step > 0) {
            const double instant =
                static_cast<double>(done - done_) * kNsPerSecond / static_cast<double>(step);
            const double weight =
                1.0 - std::exp(-static_cast<double>(step) / static_cast<double>(smoothingNs_));
            rate_ += weight * (instant - rate_);
        }
    }
    lastNs_ = nowNs;
    done_ = done;
    UpdateTimeLeft(nowNs);
}

void RateEstimator::UpdateTimeLeft(qint64 nowNs) {
    if (total_ <= 0) return;
    if (done_ >= total_) {
        timeLeftNs_ = 0;
        timeLeftAtNs_ = nowNs;
        return;
    }
    if (rate_ <= 0) return;
    const double raw = static_cast<double>(total_ - done_) * kNsPerSecond / rate_;
    qint64 left = raw >= 9.0e18 ? std::numeric_limits<qint64>::max() / 2 : std::llround(raw);
    if (timeLeftNs_ >= 0) {
        // A real slow-down still shows, but a jitter's worth at a time.
        const qint64 ceiling =
            std::max<qint64>(timeLeftNs_ - (nowNs - timeLeftAtNs_), 0) + jitterNs_;
        left = std::min(left, ceiling);
    }
    timeLeftNs_ = left;
    timeLeftAtNs_ = nowNs;
}

QString RateText(double unitsPerSecond) {
    return QString::number(std::llround(std::max(unitsPerSecond, 0.0)));
}

QString DurationText(qint64 ns) {
    const qint64 seconds = (std::max<qint64>(ns, 0) + 500'000'000) / 1'000'000'000;
    return QString::number(seconds / 60) + u':' +
           QString::number(seconds % 60).rightJustified(2, u'0');
}

}  // namespace torvel
