// The read stepper on replies the board would not send: fields are outside input.
#include "tester/read_operation.h"

#include <gtest/gtest.h>

#include "example_board.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

TReadSettings Settings(TAddrType type, int address, bool repeat, int count) {
    return {type, address, repeat, count, test::ExampleBoard()};
}

DecodedReply Reply(std::uint8_t function, const QString& data) {
    return {0, function, data, 0};
}

TEST(TesterRead, RegisterReplyWithoutItsValueIsMalformedNotZero) {
    TTesterRead read;
    ASSERT_TRUE(read.Start(Settings(atRegister, 0x10, false, 2)));
    const TReadStep step = read.Reply(Reply(3, QStringLiteral("00")));
    EXPECT_TRUE(step.Malformed);
    EXPECT_FALSE(step.Shown);
    EXPECT_TRUE(step.Values.empty());
}

TEST(TesterRead, PageReplyGivesOnlyTheValuesThatArrived) {
    TTesterRead read;
    ASSERT_TRUE(read.Start(Settings(atPage, 0x100, true, 25)));
    // The count says 10, two arrived.
    const TReadStep step = read.Reply(Reply(20, QStringLiteral("0A060102")));
    ASSERT_EQ(step.Values.size(), 2u);
    EXPECT_EQ(step.Values[1].Text, QStringLiteral("02"));
    EXPECT_EQ(step.Values[1].Base, 0x100);
    EXPECT_EQ(step.Values[1].Ordinal, 2);
    EXPECT_EQ(step.End, TStepEnd::Continue);
    // The next chunk still starts where the plan says.
    EXPECT_EQ(read.NextPage().Request->Data, QStringLiteral("07060000010A000A"));
}

TEST(TesterRead, RepetitionsStopAfterStepcountRequests) {
    TTesterRead read;
    ASSERT_TRUE(read.Start(Settings(atCoil, 3, true, 3)));
    EXPECT_EQ(read.NextRepetition().Progress, 67);
    EXPECT_EQ(read.NextRepetition().Progress, 100);
    EXPECT_FALSE(read.NextRepetition().Request);
}

}  // namespace
