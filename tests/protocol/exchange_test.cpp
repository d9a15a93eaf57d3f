// The one request in flight: every way it ends reaches its operation once, through one Finish,
// and leaves the exchange ready for the next request.
#include "protocol/exchange.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/hex.h"
#include "protocol/frame.h"
#include "support/qt_printers.h"

using namespace torvel;
using enum ExchangeOutcome;

namespace {

QString Packet(const QString& body) {
    return body + Hex(ComputeLrc(body), 2) + u'\r';
}

class FakeHost final : public TExchangeHost {
public:
    WriteResult WriteRequestLine(const QString& line) override {
        lines.append(line);
        if (onWrite) onWrite();
        return nextWrite;
    }
    void RunReplyTimer(bool run) override { timerRunning = run; }
    void ExchangeEnded(ExchangeOutcome outcome, const DecodedReply&,
                       const QString& detail) override {
        ended.append(outcome);
        details.append(detail);
    }
    void LeftoverData(const QString& packet) override { leftovers.append(packet); }

    QStringList lines;
    WriteResult nextWrite;
    std::function<void()> onWrite;
    bool timerRunning = false;
    QList<ExchangeOutcome> ended;
    QStringList details;
    QStringList leftovers;
};

// The exchange, its host and one operation that records what it hears.
struct Rig {
    Rig() {
        operation.OnReply = [this](const DecodedReply& reply) { replies.append(reply.data); };
        operation.OnFailure = [this](ExchangeOutcome outcome, const DecodedReply&) {
            failures.append(outcome);
        };
    }
    // Identification at address 0 with a time-out of two ticks.
    void SendIdentify() { exchange.Send(operation, 0, 17, QString(), 2); }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) exchange.Tick();
    }

    FakeHost host;
    TExchange exchange{host};
    TExchangeOperation operation;
    QStringList replies;
    QList<ExchangeOutcome> failures;
};

struct EndCase {
    const char* name;
    ExchangeOutcome outcome;
    std::function<void(Rig&)> end;  // sends, then ends the exchange its own way
};

class EveryEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(EveryEnd, ReachesTheOperationOnceAndFreesTheLine) {
    const EndCase& c = GetParam();
    Rig rig;
    c.end(rig);

    EXPECT_EQ(rig.host.ended, QList<ExchangeOutcome>{c.outcome});
    if (c.outcome == eoReply) {
        EXPECT_EQ(rig.replies.size(), 1);
        EXPECT_TRUE(rig.failures.isEmpty());
    } else {
        EXPECT_EQ(rig.failures, QList<ExchangeOutcome>{c.outcome});
        EXPECT_TRUE(rig.replies.isEmpty());
    }
    EXPECT_FALSE(rig.exchange.ReplyExpected());
    EXPECT_FALSE(rig.host.timerRunning);

    // A late packet answers nothing, and the next request goes out and is awaited.
    rig.exchange.Packet(Packet("0011020102"));
    EXPECT_EQ(rig.host.ended.size(), 1);
    rig.host.nextWrite = {};
    rig.host.onWrite = nullptr;
    const qsizetype written = rig.host.lines.size();
    rig.SendIdentify();
    EXPECT_EQ(rig.host.lines.size(), written + 1);
    EXPECT_TRUE(rig.exchange.ReplyExpected());
    EXPECT_TRUE(rig.host.timerRunning);
}

std::function<void(Rig&)> Receive(const QString& packet) {
    return [packet](Rig& rig) {
        rig.SendIdentify();
        rig.exchange.Packet(packet);
    };
}

std::function<void(Rig&)> WriteEnds(ExchangeOutcome outcome) {
    return [outcome](Rig& rig) {
        rig.host.nextWrite = {outcome, QStringLiteral("port message")};
        rig.SendIdentify();
    };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Exchange, EveryEnd, ::testing::Values(
    EndCase{"Reply",        eoReply,        Receive(Packet("00110101"))},
    EndCase{"Exception",    eoException,    Receive(Packet("009102"))},
    EndCase{"BadLrc",       eoBadLrc,       Receive("00110101FF\r")},
    EndCase{"ColonAlone",   eoBadFrame,     Receive("\r")},
    EndCase{"ColonAndZero", eoBadFrame,     Receive("0\r")},
    EndCase{"Timeout",      eoTimeout,      [](Rig& rig) { rig.SendIdentify(); rig.Ticks(3); }},
    // Another function is leftover: the wait goes on until its time-out.
    EndCase{"WrongFunction", eoTimeout,     [](Rig& rig) {
        Receive(Packet("00030100"))(rig);
        EXPECT_TRUE(rig.exchange.ReplyExpected());
        EXPECT_TRUE(rig.host.timerRunning);
        EXPECT_EQ(rig.host.leftovers.size(), 1);
        rig.Ticks(3);
    }},
    EndCase{"WriteFailed",  eoWriteFailed,  WriteEnds(eoWriteFailed)},
    EndCase{"WriteTimeout", eoWriteTimeout, WriteEnds(eoWriteTimeout)},
    EndCase{"DeviceLost",   eoDeviceLost,   [](Rig& rig) { rig.SendIdentify(); rig.exchange.DeviceLost(QStringLiteral("gone")); }},
    // The port reports the loss while it writes, then its write fails too: one end.
    EndCase{"LostInWrite",  eoDeviceLost,   [](Rig& rig) {
        rig.host.onWrite = [&rig] { rig.exchange.DeviceLost(QStringLiteral("gone")); };
        rig.host.nextWrite = {eoWriteFailed, QStringLiteral("write failed")};
        rig.SendIdentify();
    }},
    EndCase{"EventError",   eoEventError,   [](Rig& rig) { rig.SendIdentify(); rig.exchange.EventError(QStringLiteral("poll")); }}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(Exchange, TimesOutOnTheTickAfterItsTimeout) {
    Rig rig;
    rig.SendIdentify();
    rig.Ticks(2);
    EXPECT_TRUE(rig.exchange.ReplyExpected());
    rig.exchange.Tick();
    EXPECT_EQ(rig.failures, QList<ExchangeOutcome>{eoTimeout});
    EXPECT_EQ(NextReplyTicks(std::numeric_limits<int>::max()), 20);
}

TEST(Exchange, PacketWhileIdleIsLeftoverAndEndsNothing) {
    Rig rig;
    rig.exchange.Packet(Packet("00110101"));
    EXPECT_EQ(rig.host.leftovers.size(), 1);
    EXPECT_TRUE(rig.host.ended.isEmpty());
}

TEST(Exchange, ReplyHandlerSendsTheNextRequestOfAChain) {
    Rig rig;
    int left = 3;
    rig.operation.OnReply = [&](const DecodedReply&) {
        if (--left > 0) rig.exchange.Send(rig.operation, 0, 21, QStringLiteral("00"), 2);
    };
    rig.exchange.Send(rig.operation, 0, 21, QStringLiteral("00"), 2);
    while (rig.exchange.ReplyExpected()) rig.exchange.Packet(Packet("00150100"));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(rig.host.lines.size(), 3);
    EXPECT_FALSE(rig.host.timerRunning);
}

TEST(Exchange, RefusesASecondRequestWhileOneIsInFlight) {
    Rig rig;
    rig.SendIdentify();
    EXPECT_FALSE(rig.exchange.Send(rig.operation, 0, 3, QStringLiteral("00100001"), 2));
    EXPECT_EQ(rig.host.lines.size(), 1);
    EXPECT_EQ(rig.exchange.LastRequestFunction(), 17);
}

// Arming (function 25) acknowledged, then listening for the board's unasked reports.
void ArmAndListen(Rig& rig) {
    rig.operation.OnReply = [&rig](const DecodedReply& reply) {
        rig.replies.append(reply.data);
        if (rig.replies.size() == 1) rig.exchange.Listen(rig.operation, 25);
    };
    rig.exchange.Send(rig.operation, 0, 25, QStringLiteral("000003FF1001"), 2);
    rig.exchange.Packet(
        Packet("0019060000"
               "03FF1001"));
}

TEST(ExchangeListening, HandsOnUnaskedReportsWithoutATimeout) {
    Rig rig;
    ArmAndListen(rig);
    rig.exchange.Packet(Packet("00190401000110"));
    rig.exchange.Packet(Packet("00030100"));  // another function: leftover
    rig.Ticks(50);
    rig.exchange.Packet(Packet("00190401000111"));

    EXPECT_EQ(rig.replies, (QStringList{QStringLiteral("000003FF1001"), QStringLiteral("01000110"),
                                        QStringLiteral("01000111")}));
    EXPECT_TRUE(rig.failures.isEmpty());
    EXPECT_EQ(rig.host.leftovers.size(), 1);
    EXPECT_TRUE(rig.exchange.Listening());
    EXPECT_FALSE(rig.exchange.ReplyExpected());  // the tabs may change while armed
    EXPECT_FALSE(rig.host.timerRunning);
}

struct ListenEndCase {
    const char* name;
    std::function<void(Rig&)> end;
    QList<ExchangeOutcome> told;  // what the listening operation hears
};

class ListeningEnd : public ::testing::TestWithParam<ListenEndCase> {};

TEST_P(ListeningEnd, StopsTheReportsAndTellsTheOperationOnce) {
    Rig rig;
    ArmAndListen(rig);
    GetParam().end(rig);
    EXPECT_EQ(rig.failures, GetParam().told);
    EXPECT_FALSE(rig.exchange.Listening());
    rig.exchange.Packet(Packet("00190401000110"));
    EXPECT_EQ(rig.replies.size(), 1);
    EXPECT_EQ(rig.host.leftovers.size(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Exchange, ListeningEnd, ::testing::Values(
    ListenEndCase{"BadLrc",     [](Rig& rig) { rig.exchange.Packet("00190401000110FF\r"); }, {eoBadLrc}},
    ListenEndCase{"Exception",  [](Rig& rig) { rig.exchange.Packet(Packet("009904")); },     {eoException}},
    ListenEndCase{"DeviceLost", [](Rig& rig) { rig.exchange.DeviceLost(QStringLiteral("gone")); }, {eoDeviceLost}},
    ListenEndCase{"Withdrawn",  [](Rig& rig) { rig.exchange.Withdraw(rig.operation); },      {}}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

}  // namespace
