#include "board/device.h"

#include <gtest/gtest.h>

#include "board_test_util.h"
#include "support/qt_printers.h"

namespace torvel::board {
namespace {

TEST(BoardIdentity, ReportsTheDefaultBoardFieldByField) {
    BoardDevice device{BoardOptions{}};
    // Board 11, not configured, version 1.2, FPGA 04, coils 0F..00, registers 3F..10,
    // 4 pages of 8000h bytes, a 64-byte buffer.
    EXPECT_EQ(Reply(device, 17, ""), QStringLiteral("110C110012040F003F1004800040"));
}

TEST(BoardIdentity, TakesEveryFieldFromTheOptions) {
    BoardOptions options;
    Identity& id = options.identity;
    id.boardCode = 0x21;
    id.version = QStringLiteral("25");
    id.fpgaCode = 0x13;
    id.coilStart = 0x02;
    id.coilEnd = 0x05;
    id.holdStart = 0x20;
    id.holdEnd = 0x27;
    id.pageCount = 2;
    id.pageSize = 1024;
    id.bufferSize = 26;
    BoardDevice device{options};
    EXPECT_EQ(Reply(device, 17, ""), QStringLiteral("110C21002513050227200204001A"));
}

TEST(BoardIdentity, SendsAVerbatimFlagOrAnEmptyPayloadOnCue) {
    BoardOptions options;
    options.identity.configFlag = QStringLiteral("ff");
    BoardDevice lowerCase{options};
    EXPECT_EQ(Reply(lowerCase, 17, ""), QStringLiteral("110C11ff12040F003F1004800040"));

    options.identity.emptyPayload = true;
    BoardDevice empty{options};
    EXPECT_EQ(Reply(empty, 17, ""), QStringLiteral("1100"));
}

TEST(BoardIdentity, RefusesDataAfterTheFunction) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 17, "00"), QStringLiteral("9103"));
}

TEST(BoardDevice, AnswersAnUnknownFunctionWithExceptionOne) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 2, "00000001"), QStringLiteral("8201"));
    EXPECT_EQ(Reply(device, 0x10, ""), QStringLiteral("9001"));
}

struct ExchangeCase {
    int function;
    const char* data;
    const char16_t* reply;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) {
    *os << "function " << c.function << " \"" << c.data << '"';
}

class CoilsAndRegisters : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(CoilsAndRegisters, AnswerLikeAModbusSlave) {
    BoardDevice device{BoardOptions{}};
    ASSERT_EQ(Reply(device, 5, "0003FF00"), QStringLiteral("050003FF00"));
    ASSERT_EQ(Reply(device, 6, "00111234"), QStringLiteral("0600111234"));
    const ExchangeCase& c = GetParam();
    EXPECT_EQ(Reply(device, static_cast<std::uint8_t>(c.function), c.data),
              QString::fromUtf16(c.reply));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, CoilsAndRegisters, ::testing::Values(
    ExchangeCase{1, "00030001", u"010101"},         // coil 3 is on
    ExchangeCase{1, "00020001", u"010100"},
    ExchangeCase{1, "00000008", u"010108"},         // eight coils: bit 3 set
    ExchangeCase{1, "00000010", u"01020800"},       // sixteen coils in two bytes
    ExchangeCase{1, "000F0002", u"8102"},           // runs past coil 0F
    ExchangeCase{1, "00100001", u"8102"},
    ExchangeCase{1, "00000000", u"8103"},           // quantity 0
    ExchangeCase{1, "000001", u"8103"},             // short data
    ExchangeCase{5, "0003FF00", u"050003FF00"},     // echo of the request
    ExchangeCase{5, "00030000", u"0500030000"},
    ExchangeCase{5, "00030100", u"8503"},           // neither on nor off
    ExchangeCase{5, "0010FF00", u"8502"},
    ExchangeCase{3, "00100001", u"03020010"},       // registers hold their address
    ExchangeCase{3, "00110001", u"03021234"},
    ExchangeCase{3, "003E0002", u"0304003E003F"},
    ExchangeCase{3, "000F0001", u"8302"},           // below the first register
    ExchangeCase{3, "003F0002", u"8302"},
    ExchangeCase{3, "0010007E", u"8303"},           // more than 125 registers
    ExchangeCase{3, "0010000100", u"8303"},
    ExchangeCase{6, "003F00FF", u"06003F00FF"},
    ExchangeCase{6, "0040000F", u"8602"},
    ExchangeCase{6, "0010", u"8603"}));
// clang-format on

TEST(BoardDevice, KeepsWrittenCoilsAndRegisters) {
    BoardDevice device{BoardOptions{}};
    Ask(device, 5, "000FFF00");
    Ask(device, 6, "003FBEEF");
    EXPECT_TRUE(device.coil(0x0F));
    EXPECT_FALSE(device.coil(0x0E));
    EXPECT_EQ(device.holdingRegister(0x3F), 0xBEEF);
    Ask(device, 5, "000F0000");
    EXPECT_FALSE(device.coil(0x0F));
}

TEST(BoardInterrupts, AcknowledgesTheArmingAndReportsTheRegisterValues) {
    BoardDevice device{BoardOptions{}};
    Ask(device, 6, "001000A5");
    EXPECT_EQ(Reply(device, 25, "010003FF1002"), QStringLiteral("1906010003FF1002"));
    EXPECT_EQ(device.pendingInterrupts(), 3);
    // Record flag 01, line 01, two values: the low bytes of registers 10h and 11h.
    const DeviceReply event = device.NextInterruptEvent();
    EXPECT_EQ(event.function, 25);
    EXPECT_EQ(event.data, QStringLiteral("05010102A511"));
    device.NextInterruptEvent();
    device.NextInterruptEvent();
    EXPECT_EQ(device.pendingInterrupts(), 0);
}

TEST(BoardInterrupts, ReportsBareEventsWithoutRegisters) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 25, "000001000001"), QStringLiteral("1906000001000001"));
    EXPECT_EQ(device.NextInterruptEvent().data, QStringLiteral("03000000"));
    EXPECT_EQ(device.pendingInterrupts(), 0);
}

TEST(BoardInterrupts, StopsOnDisarming) {
    BoardDevice device{BoardOptions{}};
    Ask(device, 25, "000064FF1001");
    EXPECT_EQ(Reply(device, 25, "000000"), QStringLiteral("1903000000"));
    EXPECT_EQ(device.pendingInterrupts(), 0);
}

TEST(BoardInterrupts, RefusesBadArmings) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 25, "020001FF1001"), QStringLiteral("9902"));  // line 2
    EXPECT_EQ(Reply(device, 25, "000001FF1009"), QStringLiteral("9903"));  // 9 registers
    EXPECT_EQ(Reply(device, 25, "000001FF1000"), QStringLiteral("9903"));
    EXPECT_EQ(Reply(device, 25, "000001FF3F02"), QStringLiteral("9902"));  // past 3Fh
    EXPECT_EQ(Reply(device, 25, "0000017F1001"), QStringLiteral("9903"));  // flag 7F
    EXPECT_EQ(Reply(device, 25, "000001"), QStringLiteral("9903"));        // count without the rest
    EXPECT_EQ(Reply(device, 25, "00000100"), QStringLiteral("9903"));
    EXPECT_EQ(device.pendingInterrupts(), 0);
}

}  // namespace
}  // namespace torvel::board
