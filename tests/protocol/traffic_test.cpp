// The exchange monitor's record: the rows and counters a session leaves through the
// exchange's observer hook, the bounded ring, the round-trip figures, and the decoding of
// rows (hostile ones included) into what the window shows.
#include "protocol/traffic.h"

#include <gtest/gtest.h>

#include "common/hex.h"
#include "protocol/frame.h"
#include "protocol/traffic_text.h"
#include "support/qt_printers.h"

using namespace torvel;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMs = 1'000'000;

QString Packet(const QString& body) {
    return body + Hex(ComputeLrc(body), 2) + u'\r';
}

class QuietHost final : public TExchangeHost {
public:
    WriteResult WriteRequestLine(const QString&) override { return nextWrite; }
    void RunReplyTimer(bool) override {}
    void ExchangeEnded(ExchangeOutcome, const DecodedReply&, const QString&) override {}
    void LeftoverData(const QString&) override {}
    WriteResult nextWrite;
};

// A session on synthetic time: the exchange with the recorder as its observer.
struct Session {
    Session() {
        operation.OnReply = [](const DecodedReply&) {};
        operation.OnFailure = [](ExchangeOutcome, const DecodedReply&) {};
        exchange.SetObserver(&recorder);
    }
    void Send(std::uint8_t function, const QString& data) {
        exchange.Send(operation, 0, function, data, 2);
    }
    QStringList Column(int column) const {
        QStringList cells;
        for (quint64 i = recorder.Rows().First(); i < recorder.Rows().End(); ++i)
            cells.append(TrafficCell(*recorder.Rows().Find(i), column));
        return cells;
    }

    qint64 now = 0;
    QuietHost host;
    TExchange exchange{host};
    TExchangeOperation operation;
    TrafficRecorder recorder{[this] { return now; }};
};

TEST(TrafficRecorder, ASessionWithFaultsLeavesExactlyItsRowsAndCounters) {
    Session s;
    s.now = 1 * kMs;
    s.Send(17, QString());
    s.now = 3 * kMs;
    s.exchange.Packet(Packet("00110411001204"));
    s.now = 4 * kMs;
    s.Send(3, QStringLiteral("00100001"));
    s.now = 5 * kMs;
    s.exchange.Packet(QStringLiteral("0003021234FF\r"));  // wrong LRC
    s.Send(21, QStringLiteral("0806000A0000000100"));
    s.now = 7 * kMs;
    s.exchange.Packet(Packet("009504"));
    s.exchange.Noise(QStringLiteral("\xFF\x00#"));
    s.exchange.Packet(Packet("00030100"));  // nothing awaits it
    s.Send(1, QStringLiteral("00050001"));
    for (int tick = 0; tick < 3; ++tick) s.exchange.Tick();
    s.exchange.DeviceLost(QStringLiteral("gone"));  // while idle
    s.host.nextWrite = {ExchangeOutcome::eoWriteFailed, QStringLiteral("EIO")};
    s.Send(6, QStringLiteral("00100001"));

    EXPECT_EQ(s.Column(tcState),
              (QStringList{u"передан"_s, u"ок"_s, u"передан"_s, u"ошибка LRC"_s, u"передан"_s,
                           u"исключение: ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА"_s, u"шум"_s, u"остаток"_s,
                           u"передан"_s, u"таймаут"_s, u"связь потеряна"_s, u"передан"_s,
                           u"ошибка записи"_s}));
    EXPECT_EQ(s.Column(tcDirection),
              (QStringList{u"→"_s, u"←"_s, u"→"_s, u"←"_s, u"→"_s, u"←"_s, u"←"_s, u"←"_s, u"→"_s,
                           QString(), QString(), u"→"_s, QString()}));
    // Round trips in µs on answers only; the time-out row names the request it ended.
    EXPECT_EQ(
        s.Column(tcRoundTrip),
        (QStringList{QString(), u"2000"_s, QString(), u"1000"_s, QString(), u"2000"_s, QString(),
                     QString(), QString(), QString(), QString(), QString(), QString()}));
    EXPECT_EQ(s.Column(tcFunction)[9], u"1 Чтение битов"_s);
    EXPECT_EQ(s.Column(tcFunction)[10], QString());
    EXPECT_EQ(s.Column(tcMeaning)[10], u"gone"_s);
    EXPECT_EQ(s.Column(tcMeaning)[12], u"EIO"_s);
    EXPECT_EQ(s.Column(tcFrame)[0], u":0011EF"_s);
    EXPECT_EQ(s.Column(tcFrame)[6], u"FF 00 23"_s);
    EXPECT_EQ(s.Column(tcTime)[1], u"3.000"_s);

    const TrafficCounters& c = s.recorder.Stats().counters;
    EXPECT_EQ(c.requests, 5u);
    EXPECT_EQ(c.replies, 1u);
    EXPECT_EQ(c.badFrames, 1u);
    EXPECT_EQ(c.exceptions, 1u);
    EXPECT_EQ(c.leftovers, 2u);
    EXPECT_EQ(c.timeouts, 1u);
    EXPECT_EQ(c.linkErrors, 2u);
    // Lines with CR LF; packets with ":" and LF; noise as it came.
    EXPECT_EQ(c.bytesSent, 9u + 17 + 27 + 17 + 17);
    EXPECT_EQ(c.bytesReceived, 19u + 15 + 11 + 3 + 13);
    EXPECT_EQ(s.recorder.Stats().roundTrips.Count(), 2u);
    EXPECT_EQ(s.recorder.Stats().roundTrips.Min(), 2000);
}

TEST(TrafficRecorder, PauseKeepsNoRowsButCountsAndAClosedMonitorCostsNothing) {
    Session s;
    s.recorder.SetPaused(true);
    s.Send(17, QString());
    s.exchange.Packet(Packet("00110411001204"));
    EXPECT_EQ(s.recorder.Rows().Size(), 0u);
    EXPECT_EQ(s.recorder.Stats().counters.replies, 1u);

    s.recorder.SetPaused(false);
    s.exchange.SetObserver(nullptr);
    s.Send(17, QString());
    s.exchange.Packet(Packet("00110411001204"));
    EXPECT_EQ(s.recorder.Rows().Size(), 0u);
    EXPECT_EQ(s.recorder.Stats().counters.requests, 1u);
}

TrafficRow Numbered(qint64 n) {
    TrafficRow row;
    row.at = n;
    return row;
}

TEST(TrafficRing, KeepsTheNewestRowsAcrossWrapsAndClears) {
    TrafficRing ring(5);
    for (int n = 0; n < 12; ++n) ring.Append(Numbered(n));
    EXPECT_EQ(ring.Size(), 5u);
    EXPECT_EQ(ring.End() - ring.First(), 5u);
    EXPECT_EQ(ring.Find(ring.First() - 1), nullptr);
    EXPECT_EQ(ring.Find(ring.End()), nullptr);
    for (quint64 i = ring.First(); i < ring.End(); ++i)
        EXPECT_EQ(ring.Find(i)->at, 7 + qint64(i - ring.First()));

    // A clear in the middle of the slots, then a refill that wraps again.
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
    for (int n = 100; n < 108; ++n) ring.Append(Numbered(n));
    ASSERT_EQ(ring.Size(), 5u);
    for (quint64 i = ring.First(); i < ring.End(); ++i)
        EXPECT_EQ(ring.Find(i)->at, 103 + qint64(i - ring.First()));
}

TEST(RoundTripHistogram, ExtremesExactPercentilesWithinOnePercent) {
    RoundTripHistogram histogram;
    EXPECT_EQ(histogram.Percentile(0.5), 0);
    for (qint64 v = 1000; v >= 1; --v) histogram.Add(v * 1003);
    EXPECT_EQ(histogram.Min(), 1003);
    EXPECT_EQ(histogram.Max(), 1'003'000);
    EXPECT_NEAR(histogram.Percentile(0.5), 500 * 1003, 500 * 1003 / 100);
    EXPECT_NEAR(histogram.Percentile(0.99), 990 * 1003, 990 * 1003 / 100);
    EXPECT_EQ(histogram.Percentile(1.0), 1'003'000);
    histogram.Add(-5);  // a clock that stepped back counts as 0
    EXPECT_EQ(histogram.Min(), 0);
}

// --- what a row shows ---

struct ShownCase {
    const char* name;
    QByteArray frame;  // LRC appended when `lrc`
    bool lrc;
    TrafficKind kind;
    TrafficState state;
    const char16_t* function;
    const char16_t* meaning;
    const char16_t* stateText;
};

void PrintTo(const ShownCase& c, std::ostream* os) {
    *os << c.name;
}

class TrafficShown : public ::testing::TestWithParam<ShownCase> {};

TEST_P(TrafficShown, DecodesFunctionMeaningAndState) {
    const ShownCase& c = GetParam();
    TrafficRow row;
    row.kind = c.kind;
    row.state = c.state;
    row.frame = c.frame;
    if (c.lrc) row.frame += Hex(ComputeLrc(QString::fromLatin1(c.frame.mid(1))), 2).toLatin1();
    EXPECT_EQ(TrafficCell(row, tcFunction), QString::fromUtf16(c.function));
    EXPECT_EQ(TrafficCell(row, tcMeaning), QString::fromUtf16(c.meaning));
    EXPECT_EQ(TrafficCell(row, tcState), QString::fromUtf16(c.stateText));
}

using enum TrafficKind;
using enum TrafficState;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, TrafficShown, ::testing::Values(
    ShownCase{"ReadRegister",  ":000300100001", true, tkRequest, tsSent, u"3 Чтение регистров", u"регистр 0010h", u"передан"},
    ShownCase{"RegisterValue", ":0003021234",   true, tkPacket,  tsOk,   u"3 Чтение регистров", u"значение 1234h", u"ок"},
    ShownCase{"WriteRegister", ":0006001000FF", true, tkRequest, tsSent, u"6 Запись регистра",  u"регистр 0010h = 00FFh", u"передан"},
    ShownCase{"UploadRecord",  ":00150806000A0000000100", true, tkRequest, tsSent, u"21 Запись файла", u"файл 10, запись 0000h, 1 байт", u"передан"},
    ShownCase{"ReadRecords",   ":0014070600000100" "0010", true, tkRequest, tsSent, u"20 Чтение файла", u"файл 0, запись 0100h, 16 байт", u"передан"},
    ShownCase{"Identity",      ":0011041100120400", true, tkPacket, tsOk, u"17 Идентификация", u"плата 11h, версия 1.2, ПЛИС 04h", u"ок"},
    ShownCase{"ArmInterrupt",  ":001900000AFF1002", true, tkRequest, tsSent, u"25 Прерывания", u"линия 0, событий 10, регистров 2 с 10h", u"передан"},
    ShownCase{"Disarm",        ":0019010000", true, tkRequest, tsSent, u"25 Прерывания", u"линия 1, снять", u"передан"},
    ShownCase{"IrqEvent",      ":0019050100021234", true, tkPacket, tsOk, u"25 Прерывания", u"событие: 12h 34h", u"ок"},
    // A count of 255 values over data for one: only what is there is read.
    ShownCase{"IrqEventLies",  ":0019040100FF12", true, tkPacket, tsOk, u"25 Прерывания", u"событие: 12h", u"ок"},
    ShownCase{"Exception",     ":009504", true, tkPacket, tsException, u"21 Запись файла", u"код 04h", u"исключение: ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА"},
    ShownCase{"UnknownCode",   ":009509", true, tkPacket, tsException, u"21 Запись файла", u"код 09h", u"исключение: 09h"},
    ShownCase{"BadLrcNotRead", ":0003021234", false, tkPacket, tsBadLrc, u"3 Чтение регистров", u"", u"ошибка LRC"},
    ShownCase{"ColonAlone",    ":", false, tkPacket, tsBadFrame, u"", u"", u"ошибка кадра"},
    ShownCase{"UnknownFunction", ":0002", false, tkPacket, tsLeftover, u"2", u"", u"остаток"},
    ShownCase{"Garbage",       ":\xFF\x01zz\x7F", false, tkPacket, tsLeftover, u"0", u"", u"остаток"},
    ShownCase{"Noise",         "\xFF\x00", false, tkNoise, tsNoise, u"", u"", u"шум"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(TrafficShown, FramesShowUnprintableBytesAndTheirCut) {
    TrafficRow row;
    row.kind = tkPacket;
    row.frame = QByteArray(":00\x01\xE9", 5);
    EXPECT_EQ(TrafficCell(row, tcFrame), u":00<01><E9>"_s);
    row.frame = QByteArray(kMaxFrameKept, 'A');
    row.cut = true;
    EXPECT_TRUE(TrafficCell(row, tcFrame).endsWith(u"A..."_s));
    EXPECT_EQ(TrafficCell(row, tcDirection, true), u"<-"_s);
}

}  // namespace
