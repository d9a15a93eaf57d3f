#include "tester/replies.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

TEST(ReadReply, TakesTheCoilByteOrTheWholeRegister) {
    EXPECT_EQ(ReadReplyValue(1, QStringLiteral("01")), QStringLiteral("01"));
    EXPECT_EQ(ReadReplyValue(3, QStringLiteral("0107")), QStringLiteral("0107"));
    EXPECT_EQ(ReadReplyValue(3, QStringLiteral("010")), std::nullopt);  // short: no value 0
    EXPECT_EQ(ReadReplyValue(1, QString()), std::nullopt);
}

struct PageCase {
    const char* Payload;
    int Asked;
    QStringList Values;
};

class PageReplyTest : public testing::TestWithParam<PageCase> {};

TEST_P(PageReplyTest, YieldsOnlyTheValuesReallyThere) {
    EXPECT_EQ(PageReplyValues(QString::fromLatin1(GetParam().Payload), GetParam().Asked),
              GetParam().Values);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PageReplyTest, testing::Values(
    PageCase{"0306AABBCC",   3, {QStringLiteral("AA"), QStringLiteral("BB"), QStringLiteral("CC")}},
    PageCase{"0506AABB",     5, {QStringLiteral("AA"), QStringLiteral("BB")}},  // count past the bytes
    PageCase{"FF06AABBCC",   2, {QStringLiteral("AA"), QStringLiteral("BB")}},  // more than asked
    PageCase{"0206AAB",      2, {QStringLiteral("AA")}},                        // half a byte
    PageCase{"0106",         1, {}},
    PageCase{"",             1, {}}));
// clang-format on

TEST(IrqEventReply, CarriesRegistersAndTheShownByte) {
    const TIrqEvent event = DecodeIrqEvent(QStringLiteral("010002ABCD"));
    EXPECT_TRUE(event.CarriesRecord);
    EXPECT_EQ(event.Values, (QStringList{QStringLiteral("AB"), QStringLiteral("CD")}));
    EXPECT_EQ(event.ShownValue, QStringLiteral("AB"));
}

TEST(IrqEventReply, AShortOrFlaggedOffEventReadsNothingPastItsPayload) {
    const TIrqEvent shortEvent = DecodeIrqEvent(QStringLiteral("010008"));
    EXPECT_TRUE(shortEvent.CarriesRecord);
    EXPECT_TRUE(shortEvent.Values.isEmpty());
    EXPECT_EQ(shortEvent.ShownValue, std::nullopt);

    EXPECT_FALSE(DecodeIrqEvent(QStringLiteral("000001AB")).CarriesRecord);
    const TIrqEvent tooMany = DecodeIrqEvent(QStringLiteral("0100090102030405060708090A"));
    EXPECT_FALSE(tooMany.CarriesRecord);
    EXPECT_EQ(tooMany.ShownValue, QStringLiteral("01"));  // still shown, as the count allows
}

}  // namespace
