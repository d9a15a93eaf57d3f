#include "protocol/outcome.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

TEST(ExamineReply, TellsAReplyWithItsPayload) {
    const ExaminedReply reply = ExamineReply(QStringLiteral("0103020001F9\r"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::eoReply);
    EXPECT_EQ(reply.function, 3);
    EXPECT_EQ(reply.payload, QStringLiteral("0001"));
}

TEST(ExamineReply, TellsAWrongLrcBeforeLookingAtTheFunction) {
    const ExaminedReply reply = ExamineReply(QStringLiteral("0181027D\r"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::eoBadLrc);
    EXPECT_EQ(reply.payload, QString());
}

TEST(ExamineReply, TellsAnExceptionWithItsCode) {
    const ExaminedReply reply = ExamineReply(QStringLiteral("01950466\r"));
    EXPECT_EQ(reply.outcome, ExchangeOutcome::eoException);
    EXPECT_EQ(reply.function, 0x95);
    EXPECT_EQ(reply.exceptionCode, 4);
}

TEST(OutcomeText, GivesTheJournalMessageAndTagOfEachFailure) {
    EXPECT_EQ(OutcomeText(ExchangeOutcome::eoReply).message, QString());
    const OutcomeReport lrc = OutcomeText(ExchangeOutcome::eoBadLrc);
    EXPECT_EQ(lrc.message, QStringLiteral("Ошибка при обмене с устройством"));
    EXPECT_EQ(lrc.tag, QStringLiteral("Ошибка CRC"));
    const OutcomeReport exception = OutcomeText(ExchangeOutcome::eoException, 2);
    EXPECT_EQ(exception.message, QStringLiteral("Ошибка при обмене с устройством"));
    EXPECT_EQ(exception.tag, QStringLiteral("НЕВЕРНЫЙ АДРЕС"));
    EXPECT_EQ(OutcomeText(ExchangeOutcome::eoException, 9).tag, QString());
    const OutcomeReport timeout = OutcomeText(ExchangeOutcome::eoTimeout);
    EXPECT_EQ(timeout.message, QStringLiteral("Ошибка обмена с устройством"));
    EXPECT_EQ(timeout.tag, QStringLiteral("ТАЙМАУТ"));
}

}  // namespace
