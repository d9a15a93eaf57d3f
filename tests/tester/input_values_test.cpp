#include "tester/input_values.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

TEST(InputValues, CoilRepetitionsPastTheFileWriteZero) {
    const TInputValues values{0x01, 0x02, 0x03};
    QStringList sent;
    for (int repeat = 0; repeat < 5; ++repeat) sent << NextInputValue(values, repeat);
    EXPECT_EQ(sent.join(QChar(u' ')), QStringLiteral("01 02 03 00 00"));
}

TEST(InputValues, ChunksTakeTheNextValuesAndAdvance) {
    const TInputValues values{0x0A, 0xB0, 0xFF, 0x00, 0x12};
    int index = 0;
    EXPECT_EQ(NextInputValues(values, index, 2), QStringLiteral("0AB0"));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(NextInputValues(values, index, 3), QStringLiteral("FF0012"));
    EXPECT_EQ(index, 5);
    // Asked for more than remain: the text still holds the bytes its length claims.
    EXPECT_EQ(NextInputValues(values, index, 2), QStringLiteral("0000"));
    EXPECT_EQ(NextInputValue(values, -1), QStringLiteral("00"));
}

TEST(RepeatReduction, ARunLongerThanTheFileShrinksToIt) {
    const TRepeatReduction reduced = ReduceRepeatCount(50, 12, QStringLiteral("/data/in.txt"));
    EXPECT_EQ(reduced.Stepcount, 12);
    const std::vector<TTesterEvent> expected{
        {QStringLiteral("Количество повторов превышает объем выбранного файла /data/in.txt"),
         QStringLiteral("ОПЕРАТОР")},
        {QStringLiteral("Количество повторов уменьшено до 12"), QStringLiteral("ТЕСТЕР")}};
    EXPECT_EQ(reduced.Events, expected);
}

TEST(RepeatReduction, ARunWithinTheFileStaysAsItIs) {
    const TRepeatReduction kept = ReduceRepeatCount(12, 12, QStringLiteral("in.txt"));
    EXPECT_EQ(kept.Stepcount, 12);
    EXPECT_TRUE(kept.Events.empty());
    const TRepeatReduction empty = ReduceRepeatCount(5, 0, QStringLiteral("in.txt"));
    EXPECT_EQ(empty.Stepcount, 0);
    EXPECT_EQ(empty.Events.size(), 2u);
}

}  // namespace
