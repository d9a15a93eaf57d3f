#include "common/hex.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

struct HexCase {
    const char16_t* text;
    int value;
};

class HexToIntTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexToIntTest, ConvertsAsTheFrameCodecNeeds) {
    EXPECT_EQ(HexToInt(QString::fromUtf16(GetParam().text)), GetParam().value)
        << QString::fromUtf16(GetParam().text).toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, HexToIntTest, ::testing::Values(
    HexCase{u"ff", 255},          // lower case accepted
    HexCase{u" 0A", 10},          // a leading blank is dropped
    HexCase{u"0A ", 160},         // a trailing blank counts as digit 0
    HexCase{u"1234567", 0x56},    // only six characters count
    HexCase{u"", 0},
    HexCase{u"G", 0},             // invalid characters are digit 0
    HexCase{u"1A3", 0xA3},
    HexCase{u"7", 7},
    HexCase{u"G1", 1},
    HexCase{u"ЖF", 15}));
// clang-format on

TEST(HexDigitValue, MapsDigitsLettersAndJunk) {
    EXPECT_EQ(HexDigitValue(u'0'), 0);
    EXPECT_EQ(HexDigitValue(u'9'), 9);
    EXPECT_EQ(HexDigitValue(u'a'), 10);
    EXPECT_EQ(HexDigitValue(u'F'), 15);
    EXPECT_EQ(HexDigitValue(u'g'), 0);
    EXPECT_EQ(HexDigitValue(u':'), 0);
}

// Any character a line or a file can bring reads as its upper case would.
TEST(HexDigitValue, ReadsEveryCharacterAsItsUpperCase) {
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        const char16_t upper = c.toUpper().unicode();
        const int expected = upper >= u'0' && upper <= u'9'   ? upper - u'0'
                             : upper >= u'A' && upper <= u'F' ? upper - u'A' + 10
                                                              : 0;
        ASSERT_EQ(HexDigitValue(c), expected) << static_cast<unsigned>(u);
    }
}

TEST(Hex, PadsAndCutsToItsWidth) {
    EXPECT_EQ(Hex(0x0F, 2), QStringLiteral("0F"));
    EXPECT_EQ(Hex(0x7FFF, 4), QStringLiteral("7FFF"));
    EXPECT_EQ(Hex(0x1AB, 2), QStringLiteral("AB"));
    EXPECT_EQ(Hex(0, 4), QStringLiteral("0000"));
}
