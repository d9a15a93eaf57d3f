// The port on real pseudo-terminals: the test holds the far side (master), the port opens
// the slave by its path.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <functional>

#include "spin_until.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::PtyPair;
using torvel::testing::SpinUntil;

namespace {

constexpr int kDeadlineMs = 10000;

EComPort OpenError(TComPort& port) {
    try {
        port.OpenPort();
    } catch (const EComPort& error) {
        return error;
    }
    return EComPort(TComPortError::OpenFailed, 0);
}

QByteArray EveryByteValue(int rounds) {
    QByteArray bytes;
    for (int r = 0; r < rounds; ++r) {
        for (int b = 0; b < 256; ++b) bytes.append(static_cast<char>(b));
    }
    return bytes;
}

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PtyPort : public ::testing::Test {
protected:
    PtyPort() { port.SetPort(pty.SlavePath()); }

    PtyPair pty;
    TComPort port;
};

}  // namespace

TEST(PortOpen, AMissingDeviceIsCode1WithErrnoAndALaterOpenTriesAgain) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("board0"));
    TComPort port;
    port.SetPort(link);
    const EComPort error = OpenError(port);
    EXPECT_EQ(error.PortErrorCode(), 1);
    EXPECT_EQ(error.SystemErrorCode(), ENOENT);
    EXPECT_EQ(error.Message(), QStringLiteral("Unable to open com port (win error code: 2)"));
    EXPECT_FALSE(port.Connected());
    // The device appears (a board publishes its link): the next open finds it.
    PtyPair pty;
    ASSERT_TRUE(QFile::link(pty.SlavePath(), link));
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST(PortOpen, TheDefaultNameIsLookedUpUnderDevAndFails) {
    TComPort port;
    const EComPort error = OpenError(port);
    EXPECT_EQ(error.PortErrorCode(), 1);
    EXPECT_EQ(error.SystemErrorCode(), ENOENT);
    // "null" is found under /dev, and refused: it is no terminal.
    port.SetPort(QStringLiteral("null"));
    EXPECT_EQ(OpenError(port).SystemErrorCode(), ENOTTY);
    EXPECT_FALSE(port.Connected());
}

TEST(PortOpen, AFileThatIsNoDeviceIsRefused) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain"));
    QFile(file).open(QIODevice::WriteOnly);
    TComPort port;
    port.SetPort(file);
    EXPECT_EQ(OpenError(port).SystemErrorCode(), ENOTTY);
}

TEST_F(PtyPort, OpenAndCloseAreIdempotent) {
    port.ClosePort();
    port.OpenPort();
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
    port.ClosePort();
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST_F(PtyPort, ASecondPortCannotOpenTheSameDevice) {
    port.OpenPort();
    TComPort other;
    other.SetPort(pty.SlavePath());
    const EComPort error = OpenError(other);
    EXPECT_EQ(error.PortErrorCode(), 1);
    EXPECT_EQ(error.SystemErrorCode(), EBUSY);
    port.ClosePort();
    other.OpenPort();
    EXPECT_TRUE(other.Connected());
}

TEST_F(PtyPort, TheTerminalIsRawWhileOpenAndRestoredAtClose) {
    const int watcher = ::open(pty.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(watcher, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(watcher, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);
    port.OpenPort();
    termios during{};
    ::tcgetattr(watcher, &during);
    EXPECT_FALSE(during.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(during.c_iflag & (IXON | ICRNL));
    EXPECT_FALSE(during.c_oflag & OPOST);
    port.ClosePort();
    termios after{};
    ::tcgetattr(watcher, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    ::close(watcher);
}

TEST_F(PtyPort, EveryListedRateAndACustomOneAreAccepted) {
    port.OpenPort();
    for (int rate = br110; rate <= br256000; ++rate) {
        EXPECT_NO_THROW(port.SetBaudRate(static_cast<TBaudRate>(rate))) << rate;
    }
    port.SetBaudRate(brCustom);
    EXPECT_NO_THROW(port.SetCustomBaudRate(31250));
}

TEST_F(PtyPort, ALineTheDriverCannotCarryIsCode7) {
    port.OpenPort();
    auto codeOf = [](const std::function<void()>& change) {
        try {
            change();
        } catch (const EComPort& error) {
            return error.PortErrorCode();
        }
        return 0;
    };
    EXPECT_EQ(codeOf([&] { port.SetStopBits(sbOne5StopBits); }), 7);  // needs 5 data bits
    EXPECT_EQ(codeOf([&] { port.SetDataBits(dbFive); }), 0);
    EXPECT_EQ(codeOf([&] { port.SetStopBits(sbOneStopBit); }), 0);
    EXPECT_EQ(codeOf([&] { port.FlowControl().SetControlDTR(dtrHandshake); }), 7);
    EXPECT_EQ(codeOf([&] { port.FlowControl().SetControlDTR(dtrEnable); }), 0);
    port.SetBaudRate(brCustom);
    EXPECT_EQ(codeOf([&] { port.SetCustomBaudRate(0); }), 7);
    EXPECT_TRUE(port.Connected());
}

TEST_F(PtyPort, APseudoTerminalReportsItsModemLinesOff) {
    QList<bool> cts;
    port.OnCTSChange = [&](TCustomComPort&, bool on) { cts.append(on); };
    port.OpenPort();
    EXPECT_EQ(port.ReadModemSignals(), TComSignals());
    EXPECT_EQ(cts, QList<bool>({false}));
    port.OnCTSChange = nullptr;
}

TEST_F(PtyPort, EveryByteValueArrivesInOrderOnThePortsThreadOneChunkPerEvent) {
    TComDataPacket framer;  // no stop rule: every chunk is handed out as it came
    framer.SetComPort(&port);
    QList<QByteArray> portChunks;
    QList<QByteArray> framerChunks;
    bool onGuiThread = true;
    port.OnRxBuf = [&](TCustomComPort&, const QByteArray& bytes) { portChunks.append(bytes); };
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) {
        framerChunks.append(packet);
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    };
    port.OpenPort();
    const QByteArray sent = EveryByteValue(64);
    qsizetype received = 0;
    for (qsizetype at = 0; at < sent.size(); at += 1000) {
        ASSERT_TRUE(pty.Write(
            QByteArrayView(sent).sliced(at, std::min<qsizetype>(1000, sent.size() - at))));
        // Let some chunks through while the far side keeps writing.
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            received = 0;
            for (const QByteArray& chunk : framerChunks) received += chunk.size();
            return received >= sent.size();
        },
        kDeadlineMs));
    EXPECT_EQ(framerChunks, portChunks);
    EXPECT_EQ(framerChunks.join(), sent);
    EXPECT_TRUE(onGuiThread);
}

TEST_F(PtyPort, ALineFromTheFarSideBecomesOnePacket) {
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
    QList<QByteArray> packets;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) { packets.append(packet); };
    port.OpenPort();
    ASSERT_TRUE(pty.Write("xx:0103020001F9\r\n:01"));
    ASSERT_TRUE(pty.Write("02\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return packets.size() == 2; }, kDeadlineMs));
    EXPECT_EQ(packets, QList<QByteArray>({"0103020001F9\r", "0102\r"}));
}

TEST_F(PtyPort, WithoutAByteTakerTheCountIsToldOncePerGrowthAndAReadStartsAfresh) {
    QList<int> counts;
    port.OnRxChar = [&](TCustomComPort&, int count) { counts.append(count); };
    port.OpenPort();
    const auto toldUpTo = [&](int count) {
        return QTest::qWaitFor([&] { return !counts.isEmpty() && counts.last() == count; },
                               kDeadlineMs);
    };
    ASSERT_TRUE(pty.Write("abc"));
    ASSERT_TRUE(toldUpTo(3));
    // Unread bytes keep the line readable, and are neither told again while nothing is added
    // nor looked at in a busy loop.
    const double before = ThreadCpuSeconds();
    QTest::qWait(300);
    EXPECT_LT(ThreadCpuSeconds() - before, 0.1);
    ASSERT_TRUE(pty.Write("de"));
    ASSERT_TRUE(toldUpTo(5));
    // Each count told is larger than the one before.
    EXPECT_EQ(std::adjacent_find(counts.begin(), counts.end(), std::greater_equal<int>()),
              counts.end());
    char buffer[8];
    EXPECT_EQ(port.ReadBytes(buffer, 8), 5);
    ASSERT_TRUE(pty.Write("f"));
    ASSERT_TRUE(toldUpTo(1));
}

TEST_F(PtyPort, TheEventCharacterAmongTheBytesRaisesRxFlagAfterThem) {
    TComDataPacket framer;
    framer.SetComPort(&port);
    QStringList order;
    port.OnRxBuf = [&](TCustomComPort&, const QByteArray&) {
        order.append(QStringLiteral("bytes"));
    };
    port.OnRxFlag = [&](TCustomComPort&) { order.append(QStringLiteral("flag")); };
    port.SetEventChar('\n');
    port.OpenPort();
    ASSERT_TRUE(pty.Write(":01\r\n"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return order.contains(QStringLiteral("flag")); }, kDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(order.count(QStringLiteral("flag")), 1);
    EXPECT_EQ(order.first(), QStringLiteral("bytes"));
    EXPECT_EQ(order.last(), QStringLiteral("flag"));
}

namespace {

class PtyHandlerClosesPort : public PtyPort, public ::testing::WithParamInterface<bool> {};

}  // namespace

TEST_P(PtyHandlerClosesPort, EndsTheArrivalAndTheLineServesTheNextOpening) {
    const bool reopen = GetParam();
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
    QList<QByteArray> packets;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) {
        packets.append(packet);
        if (packets.size() > 1) return;
        port.ClosePort();
        if (reopen) port.OpenPort();
    };
    port.OpenPort();
    ASSERT_TRUE(pty.Write(":01\r\n:02\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !packets.isEmpty(); }, kDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(port.Connected(), reopen);
    port.OpenPort();
    ASSERT_TRUE(pty.Write(":03\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return packets.last() == "03\r"; }, kDeadlineMs));
    EXPECT_EQ(packets.first(), QByteArray("01\r"));
}

INSTANTIATE_TEST_SUITE_P(AndReopens, PtyHandlerClosesPort, ::testing::Bool());

TEST_F(PtyPort, WrittenTextReachesTheFarSideAndAnEmptyWriteSendsNothing) {
    port.OpenPort();
    EXPECT_EQ(port.WriteText(QString()), 0);
    EXPECT_EQ(port.WriteText(QStringLiteral(":010300000001FB\r\n")), 17);
    const QByteArray all = EveryByteValue(1);
    EXPECT_EQ(port.WriteBytes(all), 256);
    EXPECT_EQ(pty.Read(17 + 256), QByteArray(":010300000001FB\r\n") + all);
}

// A line that takes no more output, as one whose far side holds CTS low.
struct StalledWriteCase {
    const char* name;
    int multiplier;
    int constant;
    bool outputStopped;  // stopped before the write starts, else the write outgrows the queue
    int size;
};

class PtyStalledWrite : public PtyPort, public ::testing::WithParamInterface<StalledWriteCase> {};

TEST_P(PtyStalledWrite, EndsInATimeOutErrorAndLeavesThePortOpen) {
    const StalledWriteCase& c = GetParam();
    port.Timeouts().SetWriteTotalMultiplier(c.multiplier);
    port.Timeouts().SetWriteTotalConstant(c.constant);
    // Opened before the port takes the device for itself.
    const int control = ::open(pty.SlavePath().toLocal8Bit().constData(),
                               O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(control, 0);
    int lost = 0;
    port.OnLinkLost = [&](TCustomComPort&, const QString&) { ++lost; };
    port.OpenPort();
    if (c.outputStopped) {
        ASSERT_EQ(::tcflow(control, TCOOFF), 0);
    }
    try {
        port.WriteBytes(QByteArray(c.size, 'x'));
        ADD_FAILURE() << "the write did not time out";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 2);
        EXPECT_EQ(error.SystemErrorCode(), ETIMEDOUT);
        EXPECT_EQ(error.Message(),
                  QStringLiteral("WriteFile function failed (win error code: 110)"));
    }
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(lost, 0);
    ::tcflow(control, TCOON);
    ::close(control);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Writes, PtyStalledWrite, ::testing::Values(
    // The default bound would be 100 ms a byte plus a second: 26.5 s for this request.
    StalledWriteCase{"RequestOnAStoppedLineWithDefaultTimeouts", 100, 1000, true, 255},
    StalledWriteCase{"RequestOnAStoppedLineWithoutATimeout", 0, 0, true, 255},
    StalledWriteCase{"MoreThanTheQueueTakesWithAShortTimeout", 0, 20, false, 4 << 20}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(PtyPort, AReplyLeftInTheLineForAnEarlierUserIsNotReadAsTheNextAnswer) {
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
    QList<QByteArray> packets;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) { packets.append(packet); };
    port.OpenPort();
    port.ClosePort();
    // The board answers after its client has gone; the bytes wait in the terminal.
    ASSERT_TRUE(pty.Write(":0103020001F9\r\n"));
    port.OpenPort();
    ASSERT_TRUE(pty.Write(":0111\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !packets.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(packets, QList<QByteArray>({"0111\r"}));
}

TEST_F(PtyPort, WritingOnAClosedPortIsCode2) {
    try {
        port.WriteText(QStringLiteral("x"));
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 2);
    }
}

TEST(PortVanish, AHungUpFarSideIsReportedOnceAndTheNextOpenWorks) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("board0"));
    auto first = std::make_unique<PtyPair>();
    ASSERT_TRUE(QFile::link(first->SlavePath(), link));
    TComPort port;
    port.SetPort(link);
    QStringList lost;
    port.OnLinkLost = [&](TCustomComPort&, const QString& message) { lost.append(message); };
    port.OpenPort();
    first->CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(lost, QStringList({QStringLiteral("ReadFile function failed (win error code: 5)")}));
    EXPECT_FALSE(port.Connected());
    // Nothing more arrives about the same loss.
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.size(), 1);
    port.ClosePort();

    // The board comes back on a new terminal behind the same link.
    PtyPair second;
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(second.SlavePath(), link));
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
    QByteArray packet;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& p) { packet = p; };
    port.OpenPort();
    ASSERT_TRUE(second.Write(":0111\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !packet.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(packet, QByteArray("0111\r"));
}

TEST(PortVanish, ALineThatHangsUpWhileItsBytesAreTakenIsOneLoss) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlavePath());
    TComDataPacket framer;
    framer.SetComPort(&port);
    QStringList lost;
    port.OnLinkLost = [&](TCustomComPort&, const QString& message) { lost.append(message); };
    port.OpenPort();
    // A reply cut short by the hang-up.
    ASSERT_TRUE(pty.Write(":0103"));
    pty.CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(lost, QStringList({QStringLiteral("ReadFile function failed (win error code: 5)")}));
    EXPECT_FALSE(port.Connected());
}

TEST_F(PtyPort, AThousandOpenCloseCyclesUnderTrafficNeverDeadlock) {
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
    int packets = 0;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray&) { ++packets; };
    for (int cycle = 0; cycle < 1000; ++cycle) {
        port.OpenPort();
        ASSERT_TRUE(pty.Write(":0103020001F9\r\n"));
        if (cycle % 4 == 0) {
            // Some cycles deliver normally; the others close with the hand-over pending.
            ASSERT_TRUE(QTest::qWaitFor([&] { return packets > 0; }, kDeadlineMs));
        } else {
            // Without running the event loop, so the hand-over stays pending.
            ASSERT_TRUE(SpinUntil([&] { return port.HandOverPending(); }));
        }
        port.ClosePort();
        ASSERT_FALSE(port.Connected());
        packets = 0;
    }
}
