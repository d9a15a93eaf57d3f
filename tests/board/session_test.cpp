#include "board/session.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "board_test_util.h"
#include "protocol/frame.h"
#include "protocol/requests.h"
#include "support/pty_client.h"
#include "support/qt_printers.h"

namespace torvel::board {
namespace {

using namespace std::chrono_literals;
using test::PacketOf;

double Micros(std::chrono::nanoseconds duration) {
    return duration.count() / 1000.0;
}

const QByteArray kIdentify(":0011EF\r\n");
const QByteArray kIdentity(":00110C110012040F003F10048000409A\r\n");

class BoardSessionTest : public ::testing::Test {
protected:
    // Every line the session writes, cut at LF.
    QList<QByteArray> Lines(const QByteArray& out) {
        QList<QByteArray> lines = out.split('\n');
        lines.removeLast();
        for (QByteArray& line : lines) line += '\n';
        return lines;
    }

    QByteArray Exchange(BoardSession& session, const QByteArray& request) {
        session.Receive(request, now_);
        return Drain(session, now_);
    }

    Clock::time_point now_ = Clock::time_point{} + 1h;
};

TEST_F(BoardSessionTest, AnswersIdentificationWithTheDefaultBytes) {
    BoardSession session{BoardOptions{}};
    session.Receive(kIdentify, now_);
    EXPECT_EQ(session.TakeOutput(now_), kIdentity);
    EXPECT_FALSE(session.NextWakeUp().has_value());
}

TEST_F(BoardSessionTest, AcceptsLowerCaseDigits) {
    BoardSession session{BoardOptions{}};
    EXPECT_EQ(Exchange(session, ":0011ef\r\n"), kIdentity);
}

class IgnoredLine : public BoardSessionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(IgnoredLine, GetsNoReplyAtAll) {
    BoardSession session{BoardOptions{}};
    EXPECT_EQ(Exchange(session, GetParam()), QByteArray());
    EXPECT_EQ(session.requests(), 0);
    // The line after it is served as usual.
    EXPECT_EQ(Exchange(session, kIdentify), kIdentity);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, IgnoredLine, ::testing::Values(
    ":0111EE\r\n",        // another slave's request
    ":0011EE\r\n",        // wrong LRC
    ":0011F0\r\n",
    ":0011EF\n",          // LF without CR
    ":0011EF\r\r\n",
    ":00G1EF\r\n",        // not hex
    ":0011E\r\n",         // odd digit count
    ":00FF\r\n",          // no room for a function
    ":\r\n",
    "\r\n",
    ":0011EF"));          // never ended
// clang-format on

TEST_F(BoardSessionTest, SkipsNoiseAndRestartsAtEveryColon) {
    BoardSession session{BoardOptions{}};
    session.Receive(QByteArray("\xFF\x00junk\r\n:00", 10), now_);
    session.Receive(":001", now_);  // a second ":" drops the partial line
    for (const char c : QByteArray("1EF\r\n")) session.Receive(QByteArray(1, c), now_);
    EXPECT_EQ(Drain(session, now_), kIdentity);
    EXPECT_EQ(session.requests(), 1);
}

TEST_F(BoardSessionTest, DropsAHundredKilobyteLineAndServesTheNext) {
    BoardSession session{BoardOptions{}};
    session.Receive(QByteArray(":") + QByteArray(100 * 1024, 'A'), now_);
    session.Receive(QByteArray(100 * 1024, '7') + "\r\n", now_);
    EXPECT_EQ(Exchange(session, kIdentify), kIdentity);
    EXPECT_EQ(session.requests(), 1);
}

TEST_F(BoardSessionTest, RefusesARequestLineLongerThanItsBuffer) {
    BoardSession session{BoardOptions{}};
    const QString twenty = QString(40, u'5');
    const QByteArray fits = RequestLine(0, 21, WriteRecordsData(0, 0x10, twenty)).toLatin1();
    ASSERT_EQ(fits.size(), 65);                // 64 characters after the ":"
    EXPECT_EQ(Exchange(session, fits), fits);  // echoed
    const QByteArray tooLong =
        RequestLine(0, 21, WriteRecordsData(0, 0x10, twenty + QStringLiteral("55"))).toLatin1();
    EXPECT_EQ(Exchange(session, tooLong), RequestLine(0, 0x95, QStringLiteral("03")).toLatin1());
}

TEST_F(BoardSessionTest, AnswersOnlyItsOwnAddress) {
    BoardOptions options;
    options.address = 0x2A;
    BoardSession session{options};
    EXPECT_EQ(Exchange(session, kIdentify), QByteArray());
    EXPECT_TRUE(Exchange(session, RequestLine(0x2A, 17, {}).toLatin1()).startsWith(":2A110C"));
}

TEST_F(BoardSessionTest, DropsEveryNthRequest) {
    BoardOptions options;
    options.faults.dropEvery = 2;
    BoardSession session{options};
    EXPECT_EQ(Exchange(session, kIdentify), kIdentity);
    EXPECT_EQ(Exchange(session, kIdentify), QByteArray());
    EXPECT_EQ(Exchange(session, kIdentify), kIdentity);
    EXPECT_EQ(session.requests(), 3);
}

TEST_F(BoardSessionTest, SpoilsTheLrcOfEveryNthReply) {
    BoardOptions options;
    options.faults.badLrcEvery = 2;
    BoardSession session{options};
    std::uint8_t function = 0;
    QString payload;
    const QList<QByteArray> lines = Lines(Exchange(session, kIdentify + kIdentify + kIdentify));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(ValidateFrame(PacketOf(lines[0]), function, payload));
    EXPECT_EQ(lines[1], QByteArray(":00110C110012040F003F10048000409B\r\n"));
    EXPECT_FALSE(ValidateFrame(PacketOf(lines[1]), function, payload));
    EXPECT_TRUE(ValidateFrame(PacketOf(lines[2]), function, payload));
}

TEST_F(BoardSessionTest, AnswersAFunctionWithTheExceptionItWasGiven) {
    BoardOptions options;
    options.faults.exceptions[21] = 4;
    options.faults.exceptions[17] = 9;
    BoardSession session{options};
    const QByteArray write =
        RequestLine(0, 21, WriteRecordsData(0, 0x10, QStringLiteral("77"))).toLatin1();
    EXPECT_EQ(Exchange(session, write), QByteArray(":00950467\r\n"));
    EXPECT_EQ(session.device().memoryByte(0x10), 0x10);  // not carried out
    EXPECT_EQ(Exchange(session, kIdentify), QByteArray(":00910966\r\n"));
}

TEST_F(BoardSessionTest, PutsNoiseBeforeEveryNthReply) {
    BoardOptions options;
    options.faults.noiseEvery = 2;
    BoardSession session{options};
    EXPECT_EQ(Exchange(session, kIdentify), kIdentity);
    EXPECT_EQ(Exchange(session, kIdentify), options.faults.noise + kIdentity);
}

TEST_F(BoardSessionTest, SplitsRepliesIntoPiecesWithGaps) {
    BoardOptions options;
    options.faults.chunkSize = 10;
    options.faults.chunkGap = 3ms;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(kIdentify, now_);
    QList<QByteArray> pieces;
    QList<Clock::duration> times;
    while (auto wake = session.NextWakeUp()) {
        now_ = *wake;
        pieces << session.TakeOutput(now_);
        times << now_ - start;
    }
    EXPECT_EQ(pieces, (QList<QByteArray>{kIdentity.mid(0, 10), kIdentity.mid(10, 10),
                                         kIdentity.mid(20, 10), kIdentity.mid(30)}));
    EXPECT_EQ(times, (QList<Clock::duration>{0ms, 3ms, 6ms, 9ms}));
}

TEST_F(BoardSessionTest, DelaysEveryReply) {
    BoardOptions options;
    options.replyDelay = 5ms;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(kIdentify, now_);
    EXPECT_EQ(session.TakeOutput(now_), QByteArray());
    EXPECT_EQ(session.NextWakeUp(), start + 5ms);
    EXPECT_EQ(session.TakeOutput(start + 5ms), kIdentity);
}

TEST_F(BoardSessionTest, HangsUpAfterTheReplyToTheNthRequest) {
    BoardOptions options;
    options.faults.hangUpAfter = 2;
    BoardSession session{options};
    session.Receive(kIdentify + kIdentify + kIdentify, now_);
    EXPECT_FALSE(session.hangUpDue());  // the replies are not out yet
    EXPECT_EQ(Drain(session, now_), kIdentity + kIdentity);
    EXPECT_TRUE(session.hangUpDue());
    EXPECT_EQ(session.requests(), 2);
}

TEST_F(BoardSessionTest, KeepsTheWireTimeOfRequestAndReplyAtALineSpeed) {
    BoardOptions options;
    options.baud = 9600;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(kIdentify, now_);
    QList<qsizetype> sizes;
    int lineEnds = 0;
    while (auto wake = session.NextWakeUp()) {
        lineEnds += session.NextWakeUpEndsLine();
        now_ = *wake;
        sizes << session.TakeOutput(now_).size();
    }
    // One byte at a time, the first when the request and one reply byte have crossed
    // the line, the last when both frames have.
    EXPECT_EQ(sizes, QList<qsizetype>(kIdentity.size(), 1));
    EXPECT_EQ(lineEnds, 1);
    const auto total = now_ - start;
    EXPECT_NEAR(Micros(total), Micros(WireTime(9 + 35, 9600)), 1.0);
}

TEST_F(BoardSessionTest, CountsTheRequestFromItsColonWhenItArrivedSlowly) {
    BoardOptions options;
    options.baud = 9600;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(":00", start);
    session.Receive("11EF\r\n", start + 50ms);  // far slower than 9600 bit/s
    EXPECT_EQ(session.NextWakeUp(), start + 50ms + WireTime(1, 9600));
}

TEST_F(BoardSessionTest, NeverOverlapsTwoRepliesOnTheLine) {
    BoardOptions options;
    options.baud = 115200;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(kIdentify + kIdentify, now_);
    EXPECT_EQ(Drain(session, now_), kIdentity + kIdentity);
    const auto expected = WireTime(9, 115200) + 2 * WireTime(35, 115200);
    EXPECT_NEAR(Micros(now_ - start), Micros(expected), 1.0);
}

TEST_F(BoardSessionTest, ReportsInterruptEventsAtTheInterval) {
    BoardOptions options;
    options.irqInterval = 10ms;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(RequestLine(0, 25, ArmInterruptData(0, 2, true, 0x10, 1)).toLatin1(), now_);
    EXPECT_EQ(session.TakeOutput(now_),
              RequestLine(0, 25, QStringLiteral("06000002FF1001")).toLatin1());
    EXPECT_EQ(session.NextWakeUp(), start + 10ms);
    const QByteArray event = RequestLine(0, 25, QStringLiteral("0401000110")).toLatin1();
    EXPECT_EQ(session.TakeOutput(start + 10ms), event);
    EXPECT_EQ(session.NextWakeUp(), start + 20ms);
    EXPECT_EQ(session.TakeOutput(start + 20ms), event);
    EXPECT_FALSE(session.NextWakeUp().has_value());
}

TEST_F(BoardSessionTest, StopsTheEventsWhenDisarmed) {
    BoardOptions options;
    options.irqInterval = 10ms;
    BoardSession session{options};
    const Clock::time_point start = now_;
    session.Receive(RequestLine(0, 25, ArmInterruptData(1, 100, false, 0, 1)).toLatin1(), now_);
    now_ = start + 15ms;
    EXPECT_EQ(Lines(Drain(session, now_, now_)).size(), 2);  // acknowledgement, one event
    session.Receive(RequestLine(0, 25, DisarmInterruptData(1)).toLatin1(), now_);
    EXPECT_EQ(Drain(session, now_), RequestLine(0, 25, QStringLiteral("03010000")).toLatin1());
    EXPECT_FALSE(session.NextWakeUp().has_value());
    EXPECT_EQ(session.device().pendingInterrupts(), 0);
}

// Writes to distinct registers: each reply echoes its request, so order shows.
QByteArray RegisterWrites(int count) {
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += RequestLine(0, 6,
                             QStringLiteral("%1%2")
                                 .arg(0x10 + i % 48, 4, 16, QChar(u'0'))
                                 .arg(i, 4, 16, QChar(u'0'))
                                 .toUpper())
                     .toLatin1();
    return lines;
}

TEST_F(BoardSessionTest, AnswersEveryRequestOfABurstInOrderHoldingABoundedQueue) {
    BoardSession session{BoardOptions{}};
    const QByteArray burst = RegisterWrites(150);
    session.Receive(burst, now_);
    // No more replies wait than the bound; the rest of the burst waits, and so does the line.
    EXPECT_EQ(session.replies(), BoardSession::kMaxQueuedLines);
    EXPECT_FALSE(session.AcceptsInput());
    EXPECT_EQ(Drain(session, now_), burst);
    EXPECT_EQ(session.replies(), 150);
    EXPECT_TRUE(session.AcceptsInput());
}

TEST_F(BoardSessionTest, LogsRequestsRepliesAndIgnoredLines) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("board.log"));
    RequestLog log;
    QString error;
    ASSERT_TRUE(log.Open(path, error)) << error.toStdString();
    BoardSession session{BoardOptions{}, &log};
    Exchange(session, ":0011EE\r\n");
    Exchange(session, kIdentify);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(" - :0011EE\\x0D\\x0A (wrong LRC)")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" < :0011EF\\x0D\\x0A")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" > :00110C110012040F003F10048000409A\\x0D\\x0A"))
        << lines[2].toStdString();
}

}  // namespace
}  // namespace torvel::board
