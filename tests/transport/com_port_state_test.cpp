// The port's state through open, close and the loss of its device, and the bound on a write,
// driven through a backend that fails on cue.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTest>
#include <stdexcept>

#include "fake_backend.h"
#include "spin_until.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::FakeBackend;
using torvel::testing::SpinUntil;

namespace {

class PortState : public ::testing::Test {
protected:
    PortState() {
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        port = std::make_unique<TComPort>(std::move(backend));
        port->OnLinkLost = [this](TCustomComPort& sender, const QString& message) {
            lost.append(message);
            connectedWhenLost = sender.Connected();
        };
    }

    // The error a call raises; code 0 when it raises none.
    static EComPort ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const EComPort& error) {
            return error;
        }
        return EComPort(TComPortError{}, -1);
    }

    // Declared before the port, which still reports to its handlers when it is destroyed.
    QStringList lost;
    bool connectedWhenLost = true;
    FakeBackend* fake = nullptr;
    std::unique_ptr<TComPort> port;
};

}  // namespace

TEST_F(PortState, HandlersOfACloseSeeItClosingAndCannotReopenOrCloseItTwice) {
    port->SetEvents({});
    TComLink link;
    QStringList seen;
    auto note = [&](const char* where) {
        const char* names[] = {"closed", "open", "closing"};
        seen.append(
            QStringLiteral("%1:%2").arg(QLatin1String(where), QLatin1String(names[port->State()])));
    };
    link.OnConn = [&](bool on) { note(on ? "conn-on" : "conn-off"); };
    port->AddListener(&link);
    int nestedOpenError = 0;
    port->OnBeforeClose = [&](TCustomComPort& p) {
        note("before-close");
        p.ClosePort();
        nestedOpenError = ErrorOf([&] { p.OpenPort(); }).SystemErrorCode();
    };
    port->OnAfterClose = [&](TCustomComPort&) { note("after-close"); };

    EXPECT_EQ(port->State(), psClosed);
    port->OpenPort();
    EXPECT_EQ(port->State(), psOpen);
    port->ClosePort();
    EXPECT_EQ(seen, QStringList(
                        {QStringLiteral("conn-on:open"), QStringLiteral("before-close:closing"),
                         QStringLiteral("conn-off:closed"), QStringLiteral("after-close:closed")}));
    EXPECT_EQ(nestedOpenError, EBUSY);
    EXPECT_EQ(fake->opens, 1);
    EXPECT_EQ(fake->closes, 1);
    port->RemoveListener(&link);
}

// ---- ClosePort finishes whatever fails on the way.

namespace {

struct CloseFailure {
    const char* name;
    int purgeError;
    bool beforeCloseThrows;
    bool afterCloseThrows;
    const char* firstError;  // what ClosePort raises in the end
};

class FailingClose : public PortState, public ::testing::WithParamInterface<CloseFailure> {};

}  // namespace

TEST_P(FailingClose, StillEndsClosedAndRaisesTheFirstErrorAfterwards) {
    const CloseFailure& c = GetParam();
    TComLink link;
    QList<bool> connection;
    link.OnConn = [&](bool on) { connection.append(on); };
    port->AddListener(&link);
    port->OnBeforeClose = [&](TCustomComPort&) {
        if (c.beforeCloseThrows) throw std::runtime_error("before close failed");
    };
    port->OnAfterClose = [&](TCustomComPort&) {
        if (c.afterCloseThrows) throw std::runtime_error("after close failed");
    };
    port->OpenPort();
    fake->purgeError = c.purgeError;

    try {
        port->ClosePort();
        ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), c.firstError);
    }
    EXPECT_EQ(port->State(), psClosed);
    EXPECT_EQ(fake->closes, 1);
    EXPECT_EQ(connection, QList<bool>({true, false}));
    EXPECT_FALSE(port->HandOverPending());
    port->RemoveListener(&link);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Close, FailingClose, ::testing::Values(
    CloseFailure{"PurgeFails", EIO, false, false, "PurgeComm function failed (win error code: 5)"},
    CloseFailure{"HandlerBeforeFails", 0, true, false, "before close failed"},
    CloseFailure{"HandlerAfterFails", 0, false, true, "after close failed"},
    CloseFailure{"AllFailTheFirstWins", EIO, true, true, "before close failed"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

// ---- The loss of the device, wherever it shows.

namespace {

class WriteFindsDeviceGone : public PortState, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(WriteFindsDeviceGone, ClosesReportsOnceThenRaises) {
    const int error = GetParam();
    const QString message =
        QStringLiteral("WriteFile function failed (win error code: %1)").arg(error);
    port->OpenPort();
    fake->writeError = error;
    const EComPort raised = ErrorOf([&] { port->WriteText(QStringLiteral(":0111\r\n")); });
    EXPECT_EQ(raised.PortErrorCode(), 2);
    EXPECT_EQ(raised.Message(), message);
    // The report came first, from a port already closed.
    EXPECT_EQ(lost, QStringList({message}));
    EXPECT_FALSE(connectedWhenLost);
    EXPECT_EQ(port->State(), psClosed);
    EXPECT_EQ(fake->closes, 1);

    // A second write finds a closed port and tells nobody of a loss again.
    EXPECT_EQ(ErrorOf([&] { port->WriteText(QStringLiteral("x")); }).SystemErrorCode(), EBADF);
    EXPECT_EQ(lost.size(), 1);
    // The next opening has its own loss to report.
    fake->writeError = 0;
    port->OpenPort();
    fake->Vanish(EIO);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.size() == 2; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Errno, WriteFindsDeviceGone, ::testing::Values(EIO, ENXIO, ENODEV));

TEST_F(PortState, ALossSeenByTheEventThreadAndThenByAWriteIsReportedOnce) {
    port->OpenPort();
    fake->Vanish(EIO);
    // The event thread's notice waits for the event loop; the write comes first.
    ASSERT_TRUE(SpinUntil([&] { return port->HandOverPending(); }));
    fake->writeError = EIO;
    EXPECT_EQ(ErrorOf([&] { port->WriteText(QStringLiteral("x")); }).PortErrorCode(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(lost, QStringList({QStringLiteral("WriteFile function failed (win error code: 5)")}));
    EXPECT_EQ(fake->closes, 1);
}

// ---- A write never holds the caller longer than the port's limit.

namespace {

struct WriteBound {
    const char* name;
    int multiplier;
    int constant;
    int size;
    int bound;  // what the backend may spend, in ms
};

class WriteBounds : public PortState, public ::testing::WithParamInterface<WriteBound> {};

}  // namespace

TEST_P(WriteBounds, TheBackendGetsTheSmallerOfTheTimeoutsAndTheLimit) {
    const WriteBound& c = GetParam();
    port->SetEvents({});
    port->Timeouts().SetWriteTotalMultiplier(c.multiplier);
    port->Timeouts().SetWriteTotalConstant(c.constant);
    port->OpenPort();
    EXPECT_EQ(port->WriteBytes(QByteArray(c.size, 'x')), c.size);
    EXPECT_EQ(fake->lastWriteTimeout, c.bound);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Timeouts, WriteBounds, ::testing::Values(
    WriteBound{"Defaults",        100, 1000, 255, TComPort::kWriteLimitMs},
    WriteBound{"NoLimitAtAll",      0,    0,  17, TComPort::kWriteLimitMs},
    WriteBound{"AllOnes",           0,   -1,  17, TComPort::kWriteLimitMs},
    WriteBound{"ShorterThanLimit",  1,   10,  50, 60},
    WriteBound{"JustTheLimit",      0,  100,  10, 100}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(PortState, AWriteCutShortPurgesTheRestAndRaisesATimeOut) {
    port->SetEvents({});
    TComLink link;
    int sentReports = 0;
    link.OnTxBuf = [&](TCustomComPort&, const QByteArray&) { ++sentReports; };
    port->AddListener(&link);
    port->OpenPort();
    fake->purges.clear();
    fake->writeRoom = 3;

    const EComPort error = ErrorOf([&] { port->WriteText(QStringLiteral(":0111\r\n")); });
    EXPECT_EQ(error.PortErrorCode(), 2);
    EXPECT_EQ(error.SystemErrorCode(), ETIMEDOUT);
    EXPECT_EQ(fake->written, QByteArray(":01"));
    // The head already queued must not go out later as the start of a garbled request.
    EXPECT_EQ(fake->purges, QList<TComPurges>{TComPurges(puTxClear)});
    EXPECT_EQ(sentReports, 0);
    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(lost.isEmpty());
    port->RemoveListener(&link);
}
