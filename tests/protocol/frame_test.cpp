#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "common/hex.h"
#include "common/text.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

struct LrcCase {
    const char16_t* text;
    int lrc;
};

// Readable, stable test names instead of the bytes of the case.
void PrintTo(const LrcCase& c, std::ostream* os) {
    *os << '"' << QString::fromUtf16(c.text).toStdString() << '"';
}

class ComputeLrcTest : public ::testing::TestWithParam<LrcCase> {};

TEST_P(ComputeLrcTest, GivesTheTwosComplementOfThePairSum) {
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_EQ(ComputeLrc(text), GetParam().lrc) << text.toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ComputeLrcTest, ::testing::Values(
    LrcCase{u"0111", 0xEE},
    LrcCase{u"", 0},
    LrcCase{u"7", 0},                // an odd last character is ignored
    LrcCase{u"0111E", 0xEE},
    LrcCase{u"0103020001", 0xF9},
    LrcCase{u"01FF", 0},             // the sum wraps to 0, and 0 stays 0
    LrcCase{u"FF", 0x01},
    LrcCase{u"0a", 0xF6},            // lower case counts like upper case
    LrcCase{u"GG", 0},               // non-hex digits count as 0
    LrcCase{u" A", 0xF6},            // a leading blank is trimmed away
    LrcCase{u"A ", 0x60}));          // a trailing blank is a digit 0
// clang-format on

TEST(ComputeLrc, DropsATrailingNulOfAPairAsHexToIntDoes) {
    const QString text = QStringLiteral("0A") + QChar(u'A') + QChar(u'\0');
    EXPECT_EQ(ComputeLrc(text), 0xEC);
}

// Up to `maxLength` characters of digits, letters, blanks, CRs and NULs.
QString RandomText(QRandomGenerator& random, int maxLength) {
    const char16_t alphabet[] = u"0123456789ABCDEFabcdefG :\r\0";
    QString text;
    const int length = static_cast<int>(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        text += QChar(alphabet[random.bounded(static_cast<int>(std::size(alphabet)))]);
    return text;
}

// The pair arithmetic must agree with HexToInt on any two characters, blanks and NULs
// included, since the window's LRC and the board's must never disagree.
TEST(ComputeLrc, AgreesWithHexToIntOfEveryPair) {
    QRandomGenerator random(1234);
    for (int round = 0; round < 2000; ++round) {
        const QString text = RandomText(random, 11);
        const int length = static_cast<int>(text.size());
        unsigned sum = 0;
        for (int i = 0; i + 1 < length; i += 2) sum += HexToInt(text.mid(i, 2));
        EXPECT_EQ(ComputeLrc(text), (256 - sum % 256) % 256) << text.toStdString();
    }
}

// Fields are read in place; the copy they stand for decides, at every position a packet of
// any length has, before its start and past its end included.
TEST(HexField, AgreesWithHexToIntOfTheCopiedPair) {
    QRandomGenerator random(4321);
    for (int round = 0; round < 500; ++round) {
        const QString text = RandomText(random, 8);
        const int length = static_cast<int>(text.size());
        for (int position = -1; position <= length + 2; ++position)
            EXPECT_EQ(HexField(text, position), HexToInt(CopyText(text, position, 2)))
                << text.toStdString() << " at " << position;
    }
}

TEST(RequestLine, BuildsTheIdentificationRequest) {
    EXPECT_EQ(RequestLine(1, 17, QString()), QStringLiteral(":0111EE\r\n"));
    EXPECT_EQ(RequestLine(0, 17, QString()), QStringLiteral(":0011EF\r\n"));
}

TEST(RequestLine, PutsTheDataFieldBetweenFunctionAndLrc) {
    EXPECT_EQ(RequestLine(0, 21, QStringLiteral("0806000A0000000100")),
              QStringLiteral(":00150806000A0000000100D2\r\n"));
    EXPECT_EQ(RequestLine(0xF7, 3, QStringLiteral("00100001")),
              QStringLiteral(":F70300100001F5\r\n"));
}

struct FrameCase {
    const char16_t* packet;
    bool valid;
    int function;
    const char16_t* payload;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << '"' << QString::fromUtf16(c.packet).replace(u'\r', QStringLiteral("\\r")).toStdString()
        << '"';
}

class ValidateFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ValidateFrameTest, ChecksTheLrcAndSplitsThePacket) {
    const FrameCase& c = GetParam();
    const QString packet = QString::fromUtf16(c.packet);
    std::uint8_t function = 0x42;
    QString payload = QStringLiteral("stale");
    EXPECT_EQ(ValidateFrame(packet, function, payload), c.valid);
    EXPECT_EQ(function, c.function);
    EXPECT_EQ(payload, QString::fromUtf16(c.payload));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ValidateFrameTest, ::testing::Values(
    FrameCase{u"0103020001F9\r", true, 3, u"0001"},
    FrameCase{u"0103020001f9\r", true, 3, u"0001"},      // lower-case LRC digits
    FrameCase{u"0181027C\r", true, 0x81, u"02"},          // exception: the code is the payload
    FrameCase{u"\r", true, 0, u""},                       // the line ":" CR LF
    FrameCase{u"", true, 0, u""},
    FrameCase{u"0103050001F6\r", true, 3, u"0001F6\r"},   // a count too large stops at the end
    FrameCase{u"0103020001F8\r", false, 0x42, u""},       // wrong LRC: function not written
    FrameCase{u"0103020001F9", false, 0x42, u""},         // LF-only line: no CR
    FrameCase{u"01\r", false, 0x42, u""},                 // too short for its LRC
    FrameCase{u"0103020001F9\r\r", false, 0x42, u""}));
// clang-format on

TEST(ExceptionMessage, CoversCodesOneToEightOnly) {
    // clang-format off
    const char16_t* expected[] = {
        u"", u"НЕВЕРНАЯ ФУНКЦИЯ", u"НЕВЕРНЫЙ АДРЕС", u"НЕВЕРНЫЕ ДАННЫЕ",
        u"ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА", u"ПОДТВЕРЖДЕНИЕ", u"УСТРОЙСТВО ЗАНЯТО",
        u"ОПЕРАЦИЯ НЕ МОЖЕТ БЫТЬ ВЫПОЛНЕНА", u"ОШИБКА ПАМЯТИ УСТРОЙСТВА", u""};
    // clang-format on
    for (int code = 0; code <= 9; ++code)
        EXPECT_EQ(ExceptionMessage(code), QString::fromUtf16(expected[code])) << code;
    EXPECT_EQ(ExceptionMessage(-1), QString());
    EXPECT_EQ(ExceptionMessage(0x102), QString());
}

}  // namespace
