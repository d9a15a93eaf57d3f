#include "transport/com_text.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

TEST(ComText, ListsHoldTheirTextsInOrder) {
    const QStringList baud = BaudRateTexts();
    ASSERT_EQ(baud.size(), 16);
    EXPECT_EQ(baud.first(), QStringLiteral("Custom"));
    EXPECT_EQ(baud.at(7), QStringLiteral("9600"));
    EXPECT_EQ(baud.last(), QStringLiteral("256000"));
    EXPECT_EQ(DataBitsTexts(), QStringList({QStringLiteral("5"), QStringLiteral("6"),
                                            QStringLiteral("7"), QStringLiteral("8")}));
    EXPECT_EQ(StopBitsTexts(),
              QStringList({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")}));
    EXPECT_EQ(ParityTexts(),
              QStringList({QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                           QStringLiteral("Mark"), QStringLiteral("Space")}));
    EXPECT_EQ(FlowControlTexts(),
              QStringList({QStringLiteral("Hardware"), QStringLiteral("Software"),
                           QStringLiteral("None"), QStringLiteral("Custom")}));
}

TEST(ComText, EveryValueRoundTripsThroughItsText) {
    for (int v = brCustom; v <= br256000; ++v) {
        EXPECT_EQ(TextToBaudRate(BaudRateToText(static_cast<TBaudRate>(v))), v);
    }
    for (int v = dbFive; v <= dbEight; ++v) {
        EXPECT_EQ(TextToDataBits(DataBitsToText(static_cast<TDataBits>(v))), v);
    }
    for (int v = sbOneStopBit; v <= sbTwoStopBits; ++v) {
        EXPECT_EQ(TextToStopBits(StopBitsToText(static_cast<TStopBits>(v))), v);
    }
    for (int v = prNone; v <= prSpace; ++v) {
        EXPECT_EQ(TextToParity(ParityToText(static_cast<TParityBits>(v))), v);
    }
    for (int v = fcHardware; v <= fcCustom; ++v) {
        EXPECT_EQ(TextToFlowControl(FlowControlToText(static_cast<TFlowControl>(v))), v);
    }
}

TEST(ComText, LettersMatchInAnyCaseAndUnknownTextsGiveTheDefaults) {
    EXPECT_EQ(TextToParity(QStringLiteral("mark")), prMark);
    EXPECT_EQ(TextToParity(QStringLiteral("eVEN")), prEven);
    EXPECT_EQ(TextToParity(QStringLiteral("Marks")), prNone);
    EXPECT_EQ(TextToParity(QStringLiteral(" Odd")), prNone);
    EXPECT_EQ(TextToFlowControl(QString()), fcCustom);
    EXPECT_EQ(TextToFlowControl(QStringLiteral("hardware")), fcHardware);
    EXPECT_EQ(TextToBaudRate(QStringLiteral("custom")), brCustom);
    EXPECT_EQ(TextToBaudRate(QStringLiteral("9601")), br9600);
    EXPECT_EQ(TextToBaudRate(QStringLiteral("300")), br300);
    EXPECT_EQ(TextToDataBits(QStringLiteral("9")), dbEight);
    EXPECT_EQ(TextToStopBits(QStringLiteral("1,5")), sbOneStopBit);
    EXPECT_EQ(TextToStopBits(QStringLiteral("1.5")), sbOne5StopBits);
}

TEST(ComText, OnlyTheLettersAToZFoldCase) {
    EXPECT_TRUE(
        SameTextIgnoringCase(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/DEV/TTYusb0")));
    // Other letters are not folded: the rule is the same on every system.
    EXPECT_FALSE(SameTextIgnoringCase(QStringLiteral("порт"), QStringLiteral("ПОРТ")));
    EXPECT_FALSE(SameTextIgnoringCase(QStringLiteral("Odd"), QStringLiteral("Od")));
}

TEST(ComText, ListedRatesHaveTheirSpeed) {
    EXPECT_EQ(BaudRateValue(brCustom), 0);
    EXPECT_EQ(BaudRateValue(br110), 110);
    EXPECT_EQ(BaudRateValue(br9600), 9600);
    EXPECT_EQ(BaudRateValue(br56000), 56000);
    EXPECT_EQ(BaudRateValue(br256000), 256000);
}
