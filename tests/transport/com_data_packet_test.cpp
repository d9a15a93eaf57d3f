// The framer: chunked byte streams in, packets and discarded text out.

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <stdexcept>

#include "support/qt_printers.h"
#include "transport/com_data_packet.h"

using namespace torvel;

namespace {

struct FramerCase {
    const char* name;
    QByteArray start;
    QByteArray stop;
    int size;
    bool includeStrings;
    bool caseInsensitive;
    QList<QByteArray> chunks;
    QList<QByteArray> packets;
    QList<QByteArray> discards;
    QByteArray left;
};

void PrintTo(const FramerCase& c, std::ostream* os) {
    *os << c.name;
}

QList<QByteArray> OneCharEach(const QByteArray& text) {
    QList<QByteArray> chunks;
    for (char c : text) chunks.append(QByteArray(1, c));
    return chunks;
}

QByteArray LineOfEveryByteButColonAndLf() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != ':' && b != '\n') bytes.append(static_cast<char>(b));
    }
    return bytes;
}

// clang-format off
const FramerCase kCases[] = {
    {"OneLineInOneChunk", ":", "\n", 0, false, false,
     {":0103020001F9\r\n"}, {"0103020001F9\r"}, {}, ""},
    {"OneLineOneCharacterPerChunk", ":", "\n", 0, false, false,
     OneCharEach(":0103020001F9\r\n"), {"0103020001F9\r"}, {}, ""},
    {"TwoLinesInOneChunkInOrder", ":", "\n", 0, false, false,
     {":0101\r\n:0202\r\n"}, {"0101\r", "0202\r"}, {}, ""},
    {"TextBeforeTheStartIsDiscarded", ":", "\n", 0, false, false,
     {"ab:01\r\n"}, {"01\r"}, {"ab"}, ""},
    {"AColonInsideALineStays", ":", "\n", 0, false, false,
     {":01:02\r\n"}, {"01:02\r"}, {}, ""},
    {"IncludeStringsHandsOutTheWholeLine", ":", "\n", 0, true, false,
     {":0103020001F9\r\n"}, {":0103020001F9\r\n"}, {}, ""},
    {"WithoutAStopRuleEveryChunkIsAPacket", ":", "", 0, false, false,
     {"ab:", "c\n", ""}, {"ab:", "c\n", ""}, {}, ""},
    {"SizeComesBeforeTheStopString", ":", "\n", 5, false, false,
     {":12\n345"}, {"12\n3"}, {}, "45"},
    {"APartialLineWaitsForTheRest", ":", "\n", 0, false, false,
     {"x:01", "02"}, {}, {"x"}, ":0102"},
    {"AStopStringAcrossChunks", ":", "\r\n", 0, false, false,
     {":01\r", "\n:02\r", "\n"}, {"01", "02"}, {}, ""},
    {"TheStopStringCountsOnlyAfterTheStart", "::", ":", 0, false, false,
     {"::ab:"}, {"ab"}, {}, ""},
    {"AnEmptyStartOpensAtTheHead", "", "\n", 0, false, false,
     {"ab\ncd\nef"}, {"ab", "cd"}, {}, "ef"},
    {"LettersMatchInAnyCaseWhenAsked", "ab", "yz", 0, false, true,
     {"xxAB123Yz"}, {"123"}, {"xx"}, ""},
    {"CaseMattersByDefault", "ab", "yz", 0, false, false,
     {"xxAB123YZ"}, {}, {}, "xxAB123YZ"},
    {"OnlyLettersFoldCase", "@", "\n", 0, false, true,
     {"`1@2\n"}, {"2"}, {"`1"}, ""},
    {"EveryByteValuePassesUnchanged", ":", "\n", 0, false, false,
     {":" + LineOfEveryByteButColonAndLf() + "\n"}, {LineOfEveryByteButColonAndLf()}, {}, ""},
    {"NulBytesStayInThePacket", ":", "\n", 0, false, false,
     {QByteArray(":\0\0\0\n", 5)}, {QByteArray(3, '\0')}, {}, ""},
    {"NoiseWithoutAStartIsDroppedAtTheLimit", ":", "\n", 0, false, false,
     {QByteArray(1000, 'x'), QByteArray(30, 'y')}, {},
     {QByteArray(1000, 'x') + QByteArray(30, 'y')}, ""},
    {"AnOverlongLineIsDroppedAndFramingRestarts", ":", "\n", 0, false, false,
     {":" + QByteArray(1100, '7'), ":05\r\n"}, {"05\r"}, {":" + QByteArray(1100, '7')}, ""},
};
// clang-format on

class FramerCases : public ::testing::TestWithParam<FramerCase> {};

}  // namespace

TEST_P(FramerCases, CutsPacketsFromChunks) {
    const FramerCase& c = GetParam();
    TComDataPacket framer;
    framer.SetStartString(c.start);
    framer.SetStopString(c.stop);
    framer.SetSize(c.size);
    framer.SetIncludeStrings(c.includeStrings);
    framer.SetCaseInsensitive(c.caseInsensitive);
    QList<QByteArray> packets;
    QList<QByteArray> discards;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& p) { packets.append(p); };
    framer.OnDiscard = [&](TComDataPacket&, const QByteArray& d) { discards.append(d); };
    for (const QByteArray& chunk : c.chunks) framer.AppendReceived(chunk);
    EXPECT_EQ(packets, c.packets);
    EXPECT_EQ(discards, c.discards);
    EXPECT_EQ(framer.ReceiveBuffer(), c.left);
}

INSTANTIATE_TEST_SUITE_P(Framer, FramerCases, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

namespace {

class Framer : public ::testing::Test {
protected:
    Framer() {
        framer.SetStartString(":");
        framer.SetStopString("\n");
        framer.OnPacket = [this](TComDataPacket&, const QByteArray& p) { packets.append(p); };
        framer.OnDiscard = [this](TComDataPacket&, const QByteArray& d) { discards.append(d); };
    }

    TComDataPacket framer;
    QList<QByteArray> packets;
    QList<QByteArray> discards;
};

}  // namespace

TEST_F(Framer, ChangingAStringToAnotherValueEmptiesTheBuffer) {
    framer.AppendReceived(":01");
    framer.SetStartString(":");
    framer.SetIncludeStrings(true);
    framer.SetMaxBufferSize(2048);
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray(":01"));
    EXPECT_TRUE(framer.StartFound());
    framer.SetStopString("\r\n");
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray());
    EXPECT_FALSE(framer.StartFound());
    EXPECT_EQ(discards, QList<QByteArray>({":01"}));
    framer.AppendReceived(":02");
    framer.SetSize(10);
    framer.AppendReceived(":03");
    framer.SetCaseInsensitive(true);
    EXPECT_EQ(discards, QList<QByteArray>({":01", ":02", ":03"}));
}

TEST_F(Framer, AnErrorFromOnPacketLeavesTheFramerConsistent) {
    framer.OnPacket = [this](TComDataPacket&, const QByteArray& p) {
        packets.append(p);
        if (p == "a") throw std::runtime_error("bad packet");
    };
    EXPECT_THROW(framer.AppendReceived(":a\n:b\n:c"), std::runtime_error);
    // The failing packet is off the buffer; the rest waits for the next chunk.
    EXPECT_FALSE(framer.StartFound());
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray(":b\n:c"));
    framer.AppendReceived("\n");
    EXPECT_EQ(packets, QList<QByteArray>({"a", "b", "c"}));
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray());
}

TEST_F(Framer, TheSizeLimitHoldsAlsoWhenOnPacketFails) {
    framer.OnPacket = [](TComDataPacket&, const QByteArray&) { throw std::runtime_error("x"); };
    EXPECT_THROW(framer.AppendReceived(":a\n" + QByteArray(1100, 'z')), std::runtime_error);
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray());
    EXPECT_EQ(discards, QList<QByteArray>({QByteArray(1100, 'z')}));
}

TEST_F(Framer, AnErrorFromOnDiscardStillEmptiesTheBuffer) {
    framer.OnDiscard = [](TComDataPacket&, const QByteArray&) { throw std::runtime_error("x"); };
    framer.AppendReceived(":01");
    EXPECT_THROW(framer.DiscardBuffer(), std::runtime_error);
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray());
    EXPECT_FALSE(framer.StartFound());
}

TEST_F(Framer, CustomHandlersSetTheBoundaries) {
    framer.SetStartString("");
    framer.SetStopString("");
    framer.OnCustomStart = [](TComDataPacket&, const QByteArray& str, int& pos) {
        const qsizetype at = str.indexOf('$');
        if (at >= 0) pos = static_cast<int>(at) + 1;
    };
    framer.OnCustomStop = [](TComDataPacket&, const QByteArray& str, int& pos) {
        pos = str.size() >= 4 ? 4 : 0;
    };
    framer.AppendReceived("xx$ab");
    framer.AppendReceived("c$defg");
    EXPECT_EQ(packets, QList<QByteArray>({"$abc", "$def"}));
    EXPECT_EQ(discards, QList<QByteArray>({"xx"}));
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray("g"));
}

TEST_F(Framer, ACustomStopBeyondTheBufferTakesWhatIsThere) {
    framer.OnCustomStop = [](TComDataPacket&, const QByteArray&, int& pos) { pos = 1000; };
    framer.SetIncludeStrings(true);
    framer.AppendReceived(":ab");
    EXPECT_EQ(packets, QList<QByteArray>({":ab"}));
    EXPECT_EQ(framer.ReceiveBuffer(), QByteArray());
}

TEST_F(Framer, TextFedFromAHandlerIsFramedAfterWhatCameBefore) {
    framer.OnPacket = [this](TComDataPacket& sender, const QByteArray& p) {
        packets.append(p);
        if (p == "1") sender.AppendReceived(":3\n");
    };
    framer.AppendReceived(":1\n:2\n");
    EXPECT_EQ(packets, QList<QByteArray>({"1", "2", "3"}));
}

TEST_F(Framer, WithoutALimitALongLineIsKept) {
    framer.SetMaxBufferSize(0);
    const QByteArray body(200000, 'a');
    for (qsizetype at = 0; at < body.size(); at += 100) framer.AppendReceived(body.mid(at, 100));
    framer.AppendReceived(QByteArray(":") + body + "\n");
    EXPECT_EQ(packets, QList<QByteArray>({body}));
}

TEST_F(Framer, BindingFollowsThePort) {
    TComPort first;
    TComPort second;
    framer.SetComPort(&first);
    framer.SetComPort(&second);
    EXPECT_EQ(framer.ComPort(), &second);
    // Left the first port: registering anew there works.
    TComLink link;
    EXPECT_NO_THROW(first.AddListener(&link));
    framer.SetComPort(nullptr);
    EXPECT_EQ(framer.ComPort(), nullptr);
    {
        TComPort third;
        framer.SetComPort(&third);
    }
    EXPECT_EQ(framer.ComPort(), nullptr);
    first.RemoveListener(&link);
}

// ---- Hostile input: bounded buffer, no invented packets, no crash.

TEST_F(Framer, AMegabyteWithoutColonOrLineFeedYieldsNothing) {
    QRandomGenerator random(7);
    QByteArray noise;
    while (noise.size() < 1024 * 1024) {
        const char c = static_cast<char>(random.bounded(256));
        if (c != ':' && c != '\n') noise.append(c);
    }
    for (qsizetype at = 0; at < noise.size();) {
        const qsizetype n = 1 + random.bounded(4096);
        framer.AppendReceived(noise.mid(at, n));
        at += n;
        ASSERT_LT(framer.ReceiveBuffer().size(), 1024);
    }
    EXPECT_TRUE(packets.isEmpty());
}

TEST_F(Framer, RandomBytesYieldOnlyPacketsThatWereSent) {
    QRandomGenerator random(11);
    QByteArray stream;
    for (int i = 0; i < 200000; ++i) {
        // Mostly noise, with colons and line feeds often enough to cut packets.
        const int kind = random.bounded(40);
        stream.append(kind == 0 ? ':' : kind == 1 ? '\n' : static_cast<char>(random.bounded(256)));
    }
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = 1 + random.bounded(300);
        framer.AppendReceived(stream.mid(at, n));
        at += n;
        ASSERT_LT(framer.ReceiveBuffer().size(), 1024);
    }
    ASSERT_FALSE(packets.isEmpty());
    for (const QByteArray& p : packets) {
        EXPECT_FALSE(p.contains('\n'));
        EXPECT_TRUE(stream.contains(":" + p + "\n"));
    }
}

TEST_F(Framer, FiveThousandCharacterLinesAreDroppedAndTheNextLineComesThrough) {
    // Each line arrives in pieces, so 1024 characters of it are held before its LF comes.
    const QByteArray line = ":" + QByteArray(5000, 'F') + "\r\n";
    for (int i = 0; i < 10; ++i) {
        for (qsizetype at = 0; at < line.size(); at += 500) {
            framer.AppendReceived(line.mid(at, 500));
            ASSERT_LT(framer.ReceiveBuffer().size(), 1024);
        }
    }
    framer.AppendReceived(":0101\r\n");
    EXPECT_EQ(packets, QList<QByteArray>({"0101\r"}));
}
