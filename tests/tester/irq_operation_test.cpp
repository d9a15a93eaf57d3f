// The interrupt stepper: which function-25 reply is which, and when the mode ends.
#include "tester/irq_operation.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

DecodedReply Reply(const QString& data) {
    return {0, 25, data, 0};
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

}  // namespace
