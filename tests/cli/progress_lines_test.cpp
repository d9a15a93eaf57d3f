// The progress lines on a terminal, on a synthetic clock: one line a board redrawn in place,
// at a bounded pace, cut to the terminal's width, and out of the way of standard output.
#include "cli/progress_lines.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "support/qt_printers.h"

namespace torvel::cli {
namespace {

constexpr qint64 kMs = 1'000'000;

class ProgressLinesTest : public ::testing::Test {
protected:
    void SetUp() override { terminal_.open(QIODevice::WriteOnly); }
    // What was written since the last call.
    QByteArray Taken() {
        const QByteArray written = terminal_.data().mid(seen_);
        seen_ = terminal_.data().size();
        return written;
    }
    QBuffer terminal_;
    qsizetype seen_ = 0;
    qint64 now_ = 0;
    SteadyClock clock_ = [this] { return now_; };
};

TEST_F(ProgressLinesTest, RedrawsEveryBoardsLineInPlace) {
    ProgressLines lines(terminal_, 0, clock_);
    lines.Update(QStringLiteral("b0"), 0, 1000);
    EXPECT_EQ(Taken(), QByteArray("\r\x1b[2Kb0: 0/1000 байт  0 %  скорость измеряется\n"));
    now_ = 200 * kMs;
    lines.Update(QStringLiteral("b1"), 100, 400);
    const QByteArray both = Taken();
    EXPECT_TRUE(both.startsWith("\x1b[1A\r\x1b[2Kb0: 0/1000")) << both.toStdString();
    EXPECT_TRUE(both.contains("\n\r\x1b[2Kb1: 100/400 байт  25 %")) << both.toStdString();
    EXPECT_EQ(both.count('\n'), 2);
    now_ = 400 * kMs;
    lines.Update(QStringLiteral("b1"), 200, 400);
    EXPECT_TRUE(Taken().startsWith("\x1b[2A"));
}

TEST_F(ProgressLinesTest, DrawsAtABoundedPaceButAlwaysTheEnd) {
    ProgressLines lines(terminal_, 0, clock_);
    int draws = 0;
    for (int step = 0; step <= 100; ++step) {  // a reply every 5 ms for half a second
        now_ = step * 5 * kMs;
        lines.Update(QStringLiteral("b"), step * 10, 1000);
        if (!Taken().isEmpty()) ++draws;
    }
    EXPECT_LE(draws, 7);
    EXPECT_GE(draws, 5);
    lines.Hide();
    lines.Show();
    EXPECT_TRUE(Taken().contains("b: 1000/1000 байт  100 %"));
}

TEST_F(ProgressLinesTest, HidesItsLinesForALineOfOutput) {
    ProgressLines lines(terminal_, 0, clock_);
    lines.Hide();
    EXPECT_TRUE(Taken().isEmpty());
    lines.Update(QStringLiteral("a"), 1, 10);
    now_ = 500 * kMs;
    lines.Update(QStringLiteral("b"), 1, 10);
    Taken();
    lines.Hide();
    EXPECT_EQ(Taken(), QByteArray("\x1b[2A\x1b[J"));
    lines.Show();
    EXPECT_EQ(Taken().count('\n'), 2);
}

TEST_F(ProgressLinesTest, CutsALineThatWouldWrap) {
    ProgressLines lines(terminal_, 20, clock_);
    lines.Update(QStringLiteral("/run/user/1000/torvel-boards/board0"), 0, 100);
    EXPECT_EQ(Taken(), QByteArray("\r\x1b[2K/run/user/1000/torv\n"));
}

TEST(ProgressLineText, GivesRateAndTimeLeftOnceKnown) {
    RateEstimator rate;
    rate.Start(0, 0, 10'000);
    for (qint64 ms = 100; ms <= 2000; ms += 100) rate.Add(ms * kMs, ms);  // 1000 bytes a second
    EXPECT_EQ(ProgressLines::LineText(QStringLiteral("b"), 2000, 10'000, rate),
              QStringLiteral("b: 2000/10000 байт  20 %  1000 байт/с  осталось 0:08"));
    EXPECT_EQ(ProgressLines::LineText(QStringLiteral("b"), 10'000, 10'000, rate),
              QStringLiteral("b: 10000/10000 байт  100 %  1000 байт/с"));
}

}  // namespace
}  // namespace torvel::cli
