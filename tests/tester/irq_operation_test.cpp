// The interrupt stepper: which function-25 reply is which, and when the mode ends.
#include "tester/irq_operation.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

DecodedReply Reply(const QString& data) {
    return {0, 25, data, 0};
}

TEST(TesterIrq, RefusesAFirstRegisterBeyondItsTwoDigitField) {
    TTesterIrq irq;
    EXPECT_FALSE(irq.Start({0, 1, true, 0x100, 1}));
    EXPECT_FALSE(irq.Start({0, 1, true, -1, 1}));
    EXPECT_EQ(irq.Start({1, 3, true, 0xFF, 2})->Data, QStringLiteral("010003FFFF02"));
}

TEST(TesterIrq, AcknowledgementThenEventsUntilTheCountAskedFor) {
    TTesterIrq irq;
    ASSERT_TRUE(irq.Start({1, 3, true, 0x10, 2}));
    EXPECT_EQ(irq.Reply(Reply(QStringLiteral("010003FF1002"))).Kind, TIrqReplyKind::irAcknowledged);
    EXPECT_TRUE(irq.Armed());

    std::vector<int> progress;
    TIrqStep step;
    for (const char* payload : {"0101021011", "0101021213", "0101021415"}) {
        step = irq.Reply(Reply(QString::fromLatin1(payload)));
        ASSERT_EQ(step.Kind, TIrqReplyKind::irEvent);
        progress.push_back(step.Progress);
    }
    EXPECT_EQ(progress, (std::vector<int>{33, 67, 100}));
    EXPECT_EQ(step.EventNumber, 3);
    EXPECT_EQ(step.Shown, 0x14);
    EXPECT_EQ(step.End, TStepEnd::Stop);
}

TEST(TesterIrq, AnEventWithoutValuesShowsNothing) {
    TTesterIrq irq;
    ASSERT_TRUE(irq.Start({0, 5, false, 0, 1}));
    irq.Reply(Reply(QStringLiteral("000001000001")));
    const TIrqStep step = irq.Reply(Reply(QStringLiteral("000000")));
    EXPECT_EQ(step.Kind, TIrqReplyKind::irEvent);
    EXPECT_FALSE(step.Shown);
    EXPECT_EQ(step.End, TStepEnd::Continue);
}

TEST(TesterIrq, AfterDisarmingTheNextReplyEndsTheMode) {
    TTesterIrq irq;
    ASSERT_TRUE(irq.Start({0, 100, true, 0x10, 1}));
    irq.Reply(Reply(QStringLiteral("000064FF1001")));
    EXPECT_EQ(irq.Disarm().Data, QStringLiteral("000000"));
    EXPECT_TRUE(irq.StopRequested());
    const TIrqStep step = irq.Reply(Reply(QStringLiteral("000000")));
    EXPECT_EQ(step.Kind, TIrqReplyKind::irDisarmed);
    EXPECT_EQ(step.End, TStepEnd::Stop);
}

}  // namespace
