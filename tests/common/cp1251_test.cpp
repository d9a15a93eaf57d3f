#include "common/cp1251.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

TEST(Cp1251, RoundTripsRussianTextByteForByte) {
    const QString text = QStringLiteral("Начало сеанса ёЁ №");
    const QByteArray bytes = ToCp1251(text);
    ASSERT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes.at(0)), 0xCD);  // Н
    EXPECT_EQ(FromCp1251(bytes), text);
}

TEST(Cp1251, EveryByteDecodesToOneCharacter) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    EXPECT_EQ(FromCp1251(all).size(), 256);
}
