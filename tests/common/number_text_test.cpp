// Command-line numbers as torvel-board and torvel-cli take them: decimal or 0x-hexadecimal,
// and nothing else slipping through the conversion underneath.
#include "common/number_text.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const char* text;
    std::optional<unsigned long long> value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, ReadsDecimalOrHexadecimalOnly) {
    EXPECT_EQ(torvel::ParseNumberText(QString::fromUtf8(GetParam().text)), GetParam().value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, NumberText, ::testing::Values(
    NumberCase{"0", 0}, NumberCase{"010", 10}, NumberCase{"115200", 115200},
    NumberCase{"0x1F", 31}, NumberCase{"0X1f", 31}, NumberCase{"0x0010", 16},
    NumberCase{"18446744073709551615", 18446744073709551615ULL},
    NumberCase{"0xFFFFFFFFFFFFFFFF", 18446744073709551615ULL},
    NumberCase{"18446744073709551616", {}}, NumberCase{"0x10000000000000000", {}},
    NumberCase{"", {}}, NumberCase{"0x", {}}, NumberCase{" 5", {}}, NumberCase{"5 ", {}},
    NumberCase{"+5", {}}, NumberCase{"-5", {}}, NumberCase{"0x-1", {}}, NumberCase{"0x+1", {}},
    NumberCase{"0x0x10", {}}, NumberCase{"1e3", {}}, NumberCase{"1A", {}},
    NumberCase{"١٢", {}}, NumberCase{"0b101", {}}));
// clang-format on

TEST(NumberInRange, RefusesEitherSideOfItsBounds) {
    EXPECT_EQ(torvel::ParseNumberInRange(QStringLiteral("10"), 10, 20), 10u);
    EXPECT_EQ(torvel::ParseNumberInRange(QStringLiteral("0x14"), 10, 20), 20u);
    EXPECT_FALSE(torvel::ParseNumberInRange(QStringLiteral("9"), 10, 20));
    EXPECT_FALSE(torvel::ParseNumberInRange(QStringLiteral("21"), 10, 20));
    EXPECT_FALSE(torvel::ParseNumberInRange(QStringLiteral("x"), 10, 20));
}

TEST(DigitsText, StopAtTheirMaximum) {
    EXPECT_EQ(torvel::ParseDigitsText(u"00FFFFFFFF", 16, 0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_FALSE(torvel::ParseDigitsText(u"100000000", 16, 0xFFFFFFFF));
    EXPECT_EQ(torvel::ParseDigitsText(u"4294967295", 10, 0xFFFFFFFF), 4294967295u);
    EXPECT_FALSE(torvel::ParseDigitsText(u"4294967296", 10, 0xFFFFFFFF));
    EXPECT_FALSE(torvel::ParseDigitsText(u"1F", 10, 0xFFFFFFFF));
}

}  // namespace
