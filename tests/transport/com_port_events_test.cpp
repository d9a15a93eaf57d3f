// Delivery of line events on the port's thread, driven through a backend that lets the test
// hand the event thread one batch at a time.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <stdexcept>

#include "fake_backend.h"
#include "spin_until.h"
#include "support/qt_printers.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::FakeBackend;
using torvel::testing::SpinUntil;

namespace {

constexpr int kDeadlineMs = 5000;

class PortEvents : public ::testing::Test {
protected:
    PortEvents() {
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        port = std::make_unique<TComPort>(std::move(backend));
        framer.SetStartString(":");
        framer.SetStopString("\n");
        framer.OnPacket = [this](TComDataPacket&, const QByteArray& packet) {
            packets.append(packet);
            onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
        };
    }

    void Open() {
        port->OpenPort();
        fake->calls.clear();
    }

    // Hands a batch to the event thread and waits until the port's thread has run it.
    bool Deliver(TComEvents events) {
        const int before = delivered;
        fake->Push(events);
        return QTest::qWaitFor([&] { return delivered > before; }, kDeadlineMs);
    }

    // Counts finished deliveries through a listener that sees every batch's end.
    void CountDeliveries() {
        counter.OnRxBuf = [this](TCustomComPort&, const QByteArray&) { ++delivered; };
        counter.OnCTSChange = [this](bool) { ++delivered; };
        port->AddListener(&counter);
    }

    // What handlers collect; declared first so it outlives the port, whose close at the end
    // still reports to its handlers.
    QList<QByteArray> packets;
    QStringList heard;
    bool onGuiThread = true;
    int delivered = 0;

    FakeBackend* fake = nullptr;
    std::unique_ptr<TComPort> port;
    TComDataPacket framer;
    TComLink counter;
};

}  // namespace

TEST_F(PortEvents, ReceivedBytesReachTheFramerOnThePortsThreadAsOneChunk) {
    framer.SetComPort(port.get());
    QList<QByteArray> chunks;
    port->OnRxBuf = [&](TCustomComPort&, const QByteArray& bytes) { chunks.append(bytes); };
    CountDeliveries();
    Open();
    fake->input = ":0103\r\n:01";
    ASSERT_TRUE(Deliver(evRxChar));
    fake->input = "04\r\n";
    ASSERT_TRUE(Deliver(evRxChar));
    EXPECT_EQ(chunks, QList<QByteArray>({":0103\r\n:01", "04\r\n"}));
    EXPECT_EQ(packets, QList<QByteArray>({"0103\r", "0104\r"}));
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(fake->calls, QStringList({QStringLiteral("count"), QStringLiteral("read"),
                                        QStringLiteral("count"), QStringLiteral("read")}));
}

TEST_F(PortEvents, LineErrorsAreClearedBeforeTheBytesAreRead) {
    framer.SetComPort(port.get());
    CountDeliveries();
    TComErrors seen;
    port->OnError = [&](TCustomComPort&, TComErrors errors) { seen = errors; };
    Open();
    fake->lineErrors = TComErrors(ceFrame) | ceRxParity | ceOverrun;
    fake->input = ":01\n";
    ASSERT_TRUE(Deliver(TComEvents(evRxChar) | evError));
    EXPECT_EQ(fake->calls.mid(0, 3), QStringList({QStringLiteral("errors"), QStringLiteral("count"),
                                                  QStringLiteral("read")}));
    // Parity errors count only while parity is checked.
    EXPECT_EQ(seen, TComErrors(ceFrame) | ceOverrun);
}

TEST_F(PortEvents, WithoutAByteTakerTheCountGoesToOnRxCharAndTheBytesStay) {
    int count = 0;
    port->OnRxChar = [&](TCustomComPort&, int n) { count = n; };
    Open();
    fake->input = "abc";
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return count > 0; }, kDeadlineMs));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(fake->input, QByteArray("abc"));
    char buffer[8];
    EXPECT_EQ(port->ReadBytes(buffer, 8), 3);
}

TEST_F(PortEvents, ModemLineEventsReportTheLineState) {
    port->OnCTSChange = [&](TCustomComPort&, bool on) {
        heard.append(on ? QStringLiteral("cts") : QStringLiteral("!cts"));
    };
    port->OnDSRChange = [&](TCustomComPort&, bool on) {
        heard.append(on ? QStringLiteral("dsr") : QStringLiteral("!dsr"));
    };
    port->OnRLSDChange = [&](TCustomComPort&, bool on) {
        heard.append(on ? QStringLiteral("rlsd") : QStringLiteral("!rlsd"));
    };
    Open();
    heard.clear();
    fake->lines = TComSignals(csCTS) | csRLSD;
    fake->Push(TComEvents(evRLSD) | evDSR | evCTS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 3; }, kDeadlineMs));
    EXPECT_EQ(heard,
              QStringList({QStringLiteral("cts"), QStringLiteral("!dsr"), QStringLiteral("rlsd")}));
}

TEST_F(PortEvents, TheEventCharacterAmongTheBytesRaisesRxFlagAfterThem) {
    framer.SetComPort(port.get());
    QStringList order;
    port->OnRxBuf = [&](TCustomComPort&, const QByteArray&) {
        order.append(QStringLiteral("bytes"));
    };
    port->OnRxFlag = [&](TCustomComPort&) { order.append(QStringLiteral("flag")); };
    port->SetEventChar('\n');
    Open();
    fake->input = ":01\r\n";
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 2; }, kDeadlineMs));
    EXPECT_EQ(order, QStringList({QStringLiteral("bytes"), QStringLiteral("flag")}));
}

namespace {

class HandlerClosesPort : public PortEvents, public ::testing::WithParamInterface<bool> {};

}  // namespace

TEST_P(HandlerClosesPort, EndsTheBatchWithoutDeadlock) {
    const bool reopen = GetParam();
    framer.SetComPort(port.get());
    int packetsSeen = 0;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray&) {
        ++packetsSeen;
        port->ClosePort();
        if (reopen) port->OpenPort();
    };
    Open();
    int ctsCalls = 0;
    QStringList errors;
    port->OnCTSChange = [&](TCustomComPort&, bool) { ++ctsCalls; };
    port->OnEventError = [&](TCustomComPort&, const QString& message) { errors.append(message); };
    fake->input = ":01\n";
    fake->Push(TComEvents(evRxChar) | evCTS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return packetsSeen == 1; }, kDeadlineMs));
    QCoreApplication::processEvents();
    // Only the close (and the new opening) reported the lines; the batch's own CTS event,
    // which belonged to the opening that ended, never ran.
    EXPECT_EQ(ctsCalls, reopen ? 2 : 1);
    EXPECT_TRUE(errors.isEmpty());
    port->OpenPort();
    EXPECT_TRUE(port->Connected());
    port->OnCTSChange = nullptr;
}

INSTANTIATE_TEST_SUITE_P(AndReopens, HandlerClosesPort, ::testing::Bool());

TEST_F(PortEvents, AnErrorFromAListenerIsReportedAndReceivingGoesOn) {
    framer.SetComPort(port.get());
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) {
        packets.append(packet);
        if (packet == "bad") throw std::runtime_error("handler failed");
    };
    QStringList reported;
    port->OnEventError = [&](TCustomComPort&, const QString& message) { reported.append(message); };
    Open();
    fake->input = ":bad\n:";
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reported.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(reported, QStringList({QStringLiteral("handler failed")}));
    EXPECT_TRUE(port->Connected());
    fake->input = "good\n";
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return packets.size() == 2; }, kDeadlineMs));
    EXPECT_EQ(packets.last(), QByteArray("good"));
}

TEST_F(PortEvents, AFailedQueueCountIsReportedAsCode10) {
    framer.SetComPort(port.get());
    QStringList reported;
    port->OnEventError = [&](TCustomComPort&, const QString& message) { reported.append(message); };
    Open();
    fake->countError = EAGAIN;
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reported.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(reported.first(),
              QStringLiteral("ClearCommError function failed (win error code: 11)"));
    EXPECT_TRUE(port->Connected());
}

TEST_F(PortEvents, AVanishedDeviceIsReportedOnceAndThePortClosesItself) {
    QStringList lost;
    port->OnLinkLost = [&](TCustomComPort& sender, const QString& message) {
        EXPECT_FALSE(sender.Connected());
        lost.append(message);
    };
    Open();
    fake->Vanish(EIO);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(lost, QStringList({QStringLiteral("ReadFile function failed (win error code: 5)")}));
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(fake->closes, 1);
    port->OpenPort();
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(lost.size(), 1);
}

TEST_F(PortEvents, AReadFailingBecauseTheDeviceIsGoneCountsAsTheLoss) {
    framer.SetComPort(port.get());
    QStringList lost;
    QStringList errors;
    port->OnLinkLost = [&](TCustomComPort&, const QString& message) { lost.append(message); };
    port->OnEventError = [&](TCustomComPort&, const QString& message) { errors.append(message); };
    Open();
    fake->input = "abc";
    fake->readError = ENXIO;
    fake->Push(evRxChar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(lost.first(), QStringLiteral("ReadFile function failed (win error code: 6)"));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(port->Connected());
}

TEST_F(PortEvents, TheDrainedQueueIsAskedForOnlyWhileSomeoneListensForSending) {
    Open();
    port->WriteText(QStringLiteral(":01\r\n"));
    EXPECT_FALSE(fake->lastWriteReportsDrained);
    TComLink sending;
    sending.OnTx = [](bool) {};
    port->AddListener(&sending);
    port->WriteText(QStringLiteral(":01\r\n"));
    EXPECT_TRUE(fake->lastWriteReportsDrained);
    port->RemoveListener(&sending);
}

TEST_F(PortEvents, WindowSyncHandsEventsOverOneAtATimeInTheSameOrder) {
    port->SetSyncMethod(smWindowSync);
    framer.SetComPort(port.get());
    QStringList order;
    port->OnError = [&](TCustomComPort&, TComErrors) { order.append(QStringLiteral("error")); };
    port->OnRxBuf = [&](TCustomComPort&, const QByteArray&) {
        order.append(QStringLiteral("bytes"));
    };
    port->OnRing = [&](TCustomComPort&) { order.append(QStringLiteral("ring")); };
    Open();
    fake->lineErrors = ceFrame;
    fake->input = "x";
    fake->Push(TComEvents(evRing) | evRxChar | evError);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }, kDeadlineMs));
    EXPECT_EQ(order, QStringList({QStringLiteral("error"), QStringLiteral("bytes"),
                                  QStringLiteral("ring")}));
}

TEST_F(PortEvents, ClosingWithAPendingHandOverNeverDeadlocks) {
    framer.SetComPort(port.get());
    for (int cycle = 0; cycle < 200; ++cycle) {
        port->OpenPort();
        fake->input = ":01\n";
        fake->Push(evRxChar);
        ASSERT_TRUE(SpinUntil([&] { return port->HandOverPending(); }));
        port->ClosePort();
        ASSERT_FALSE(port->HandOverPending());
    }
    // The dropped hand-overs left nothing behind that runs later.
    QCoreApplication::processEvents();
    EXPECT_TRUE(packets.isEmpty());
}

TEST_F(PortEvents, DestroyingAPortWithAPendingHandOverIsSafe) {
    framer.SetComPort(port.get());
    port->OpenPort();
    fake->input = ":01\n";
    fake->Push(evRxChar);
    ASSERT_TRUE(SpinUntil([&] { return port->HandOverPending(); }));
    port.reset();
    EXPECT_EQ(framer.ComPort(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(packets.isEmpty());
}
