#include "tester/result_format.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

const QString kStamp = QStringLiteral("05.03.2026 9:07:31");

TEST(ResultHeader, ReadHeaderNamesAddressRepeatAndFormat) {
    EXPECT_EQ(ReadHeader(kStamp, 0x10, false, 2, false),
              QStringLiteral("// [05.03.2026 9:07:31] Результаты чтения по адресу 00010h\r\n"
                             "// Формат HEX\r\n"));
    EXPECT_EQ(ReadHeader(kStamp, 0xFFFF, true, 25, true),
              QStringLiteral("// [05.03.2026 9:07:31] Результаты чтения по адресу 0FFFFh\r\n"
                             "// с повтором 25 раз, формат DEC\r\n"));
}

TEST(ResultHeader, IrqHeaderHasFourLines) {
    EXPECT_EQ(IrqHeader(kStamp, 1, 3, 0x10, 2, false),
              QStringLiteral("// [05.03.2026 9:07:31] Обработчик прерывания #1\r\n"
                             "// Количество обрабатываемых прерываний 3\r\n"
                             "// Стартовый регистр 00010h, всего регистров 2\r\n"
                             "// Формат HEX\r\n"));
}

QString LayOut(const TResultFormat& format, std::uint16_t base, const QStringList& values) {
    TResultLayout layout(format);
    QString text;
    for (int i = 0; i < values.size(); ++i)
        text += layout.FormatResultValue(values[i], base, i + 1);
    return text;
}

const QStringList kSix = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                          QStringLiteral("04"), QStringLiteral("0A"), QStringLiteral("FF")};

TEST(ResultLayout, LabelsEachLineWithTheAddressOfItsFirstValue) {
    EXPECT_EQ(LayOut({false, true, 4}, 0x10, kSix),
              QStringLiteral("00010:  01 02 03 04 \r\n00014:  0A FF "));
}

TEST(ResultLayout, DecimalPadsValuesToThreeAndLabelsWithZeros) {
    EXPECT_EQ(LayOut({true, true, 4}, 10, kSix),
              QStringLiteral("00010:    1   2   3   4 \r\n00014:   10 255 "));
}

TEST(ResultLayout, OneColumnWithoutStepsPutsEachValueOnItsLine) {
    EXPECT_EQ(LayOut({false, false, 1}, 0, kSix.mid(0, 3)),
              QStringLiteral("01 \r\n02 \r\n03 \r\n"));
}

TEST(ResultLayout, RegisterKeepsFourDigitsInHexAndItsLowByteInDecimal) {
    TResultLayout hex({false, true, 16});
    EXPECT_EQ(hex.FormatResultValue(QStringLiteral("1234"), 0, 1), QStringLiteral("00000:  1234 "));
    TResultLayout dec({true, true, 16});
    EXPECT_EQ(dec.FormatResultValue(QStringLiteral("0107"), 4, 1), QStringLiteral("00004:    7 "));
}

struct IrqCase {
    bool Decimal;
    int Columns;
    int Event;
    const char* Payload;
    const char16_t* Text;
};

class IrqEventTest : public testing::TestWithParam<IrqCase> {};

TEST_P(IrqEventTest, WritesOneRecord) {
    const IrqCase& c = GetParam();
    EXPECT_EQ(FormatIrqEvent(c.Event, QString::fromLatin1(c.Payload), {c.Decimal, true, c.Columns}),
              QString::fromUtf16(c.Text));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, IrqEventTest, testing::Values(
    IrqCase{false, 16, 1,   "010002ABCD",   u"\r\nEvent 001: AB CD "},
    IrqCase{true,  16, 12,  "010002ABCD",   u"\r\nEvent 00012:   171   205 "},
    IrqCase{false, 16, 1000,"010000",       u"\r\nEvent 3E8: "},
    IrqCase{false, 2,  2,   "010003010203", u"\r\nEvent 002: 01 02 \r\n03 "},
    IrqCase{false, 16, 1,   "000002ABCD",   u""},                      // flag 0: no record
    IrqCase{false, 16, 1,   "0100090102030405060708", u""},            // above 8 registers
    IrqCase{false, 16, 1,   "010008AB",     u"\r\nEvent 001: AB "},    // short: what came
    IrqCase{false, 16, 1,   "010002ABC",    u"\r\nEvent 001: AB "},    // half a byte is none
    IrqCase{false, 16, 1,   "01",           u"\r\nEvent 001: "}));
// clang-format on

}  // namespace
