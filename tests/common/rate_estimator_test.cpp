// The speed and time-left estimate on synthetic time: it settles within the first second,
// follows a real change of pace, and never jumps back by more than the jitter allowance.
#include "common/rate_estimator.h"

#include <gtest/gtest.h>

#include <random>

using torvel::RateEstimator;

namespace {

constexpr qint64 kSecond = 1'000'000'000;
constexpr qint64 kJitter = kSecond / 2;

struct PaceCase {
    const char* name;
    double bytesPerSecond;  // before and after the middle of the work
    double laterBytesPerSecond;
    int chunk;             // bytes a reply acknowledges
    double arrivalJitter;  // each gap varies by up to this share
};

void PrintTo(const PaceCase& c, std::ostream* os) {
    *os << c.name;
}

class RatePace : public ::testing::TestWithParam<PaceCase> {};

TEST_P(RatePace, SettlesFollowsAndNeverJumpsBack) {
    const PaceCase& c = GetParam();
    constexpr qint64 kTotal = 59691;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(1.0 - c.arrivalJitter, 1.0 + c.arrivalJitter);
    RateEstimator estimator(kSecond, kJitter);
    estimator.Start(0, 0, kTotal);

    qint64 now = 0;
    qint64 done = 0;
    qint64 lastLeft = -1;
    qint64 lastAt = 0;
    bool checkedSettle = false;
    while (done < kTotal) {
        const double pace = done < kTotal / 2 ? c.bytesPerSecond : c.laterBytesPerSecond;
        now += static_cast<qint64>(c.chunk / pace * spread(random) * kSecond);
        done = std::min<qint64>(done + c.chunk, kTotal);
        estimator.Add(now, done);
        const qint64 left = estimator.TimeLeftNs();
        ASSERT_GE(left, 0) << "at " << now;
        if (lastLeft >= 0) {
            ASSERT_LE(left, lastLeft - (now - lastAt) + kJitter) << "jumped back at " << now;
        }
        lastLeft = left;
        lastAt = now;
        if (!checkedSettle && now >= kSecond) {
            checkedSettle = true;
            EXPECT_NEAR(estimator.Rate(), c.bytesPerSecond, 0.05 * c.bytesPerSecond);
        }
        // Three seconds after a change of pace the estimate has followed it.
        const qint64 halfway = static_cast<qint64>(kTotal / 2 / c.bytesPerSecond * kSecond);
        if (done < kTotal && now > halfway + 3 * kSecond && done > kTotal / 2) {
            EXPECT_NEAR(estimator.Rate(), c.laterBytesPerSecond, 0.1 * c.laterBytesPerSecond)
                << "at " << now;
        }
    }
    EXPECT_TRUE(checkedSettle);
    EXPECT_EQ(estimator.TimeLeftNs(), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Stream, RatePace, ::testing::Values(
    PaceCase{"Steady115200",  5000, 5000, 115, 0.3},
    PaceCase{"Steady9600",     430,  430, 115, 0.1},
    PaceCase{"Unpaced",      40000, 40000, 115, 0.5},
    PaceCase{"SlowsDown",     5000, 2500, 115, 0.2},
    PaceCase{"SpeedsUp",      2500, 5000, 115, 0.2}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(RateEstimator, KnowsNothingBeforeProgressAndIgnoresTimeGoingBack) {
    RateEstimator estimator;
    estimator.Start(5 * kSecond, 0, 100);
    EXPECT_FALSE(estimator.Known());
    EXPECT_EQ(estimator.TimeLeftNs(), -1);
    estimator.Add(5 * kSecond, 10);  // no time has passed: nothing to divide by
    EXPECT_FALSE(estimator.Known());
    estimator.Add(6 * kSecond, 50);
    EXPECT_DOUBLE_EQ(estimator.Rate(), 50.0);
    EXPECT_EQ(estimator.TimeLeftNs(), kSecond);
    estimator.Add(4 * kSecond, 90);  // a clock that went back
    EXPECT_EQ(estimator.Done(), 50);
    estimator.Add(7 * kSecond, 20);  // less done than before counts as no progress
    EXPECT_EQ(estimator.Done(), 50);
}

TEST(RateEstimator, DurationIsRoundedToWholeSeconds) {
    EXPECT_EQ(torvel::DurationText(0), QStringLiteral("0:00"));
    EXPECT_EQ(torvel::DurationText(kSecond / 2), QStringLiteral("0:01"));
    EXPECT_EQ(torvel::DurationText(65 * kSecond - 1), QStringLiteral("1:05"));
    EXPECT_EQ(torvel::DurationText(-kSecond), QStringLiteral("0:00"));
}

}  // namespace
