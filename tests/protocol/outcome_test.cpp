#include "protocol/outcome.h"

#include <gtest/gtest.h>

#include "common/hex.h"
#include "protocol/frame.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

// A packet as the framer hands it on: `body` (address, function, the rest), LRC, CR.
QString Packet(const QString& body) {
    return body + Hex(ComputeLrc(body), 2) + u'\r';
}

struct ExamineCase {
    const char* name;
    QString packet;
    std::uint8_t requestFunction;
    ExchangeOutcome outcome;
    bool otherFunction;
    QString data;
    int exceptionCode;
};

class ExamineReplyCase : public ::testing::TestWithParam<ExamineCase> {};

TEST_P(ExamineReplyCase, DecodesOrRefusesThePacket) {
    const ExamineCase& c = GetParam();
    const ExaminedReply examined = ExamineReply(c.packet, c.requestFunction);
    EXPECT_EQ(examined.otherFunction, c.otherFunction);
    if (c.otherFunction) return;
    EXPECT_EQ(examined.outcome, c.outcome);
    EXPECT_EQ(examined.reply.data, c.data);
    EXPECT_EQ(examined.reply.exceptionCode, c.exceptionCode);
}

using enum ExchangeOutcome;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Packets, ExamineReplyCase, ::testing::Values(
    ExamineCase{"Reply",               Packet("0103020001"),   3,  eoReply,     false, "0001", 0},
    ExamineCase{"ReplyOfAnotherSlave", Packet("0711020001"),   17, eoReply,     false, "0001", 0},
    ExamineCase{"Exception",           Packet("018102"),       1,  eoException, false, "",     2},
    ExamineCase{"WrongLrc",            "0181027D\r",           1,  eoBadLrc,    false, "",     0},
    // ":" CR LF and ":0" CR LF pass the LRC (an empty body sums to 0) but hold no reply.
    ExamineCase{"ColonAlone",          "\r",                   17, eoBadFrame,  false, "",     0},
    ExamineCase{"ColonAndOneDigit",    "0\r",                  17, eoBadFrame,  false, "",     0},
    ExamineCase{"CountBeyondData",     Packet("0103030001"),   3,  eoBadFrame,  false, "",     0},
    ExamineCase{"CountShortOfData",    Packet("010301000102"), 3,  eoBadFrame,  false, "",     0},
    ExamineCase{"ExceptionWithExtra",  Packet("01810200"),     1,  eoBadFrame,  false, "",     0},
    ExamineCase{"CoilEcho",            Packet("00050003FF00"), 5,  eoReply,     false, "0003FF00", 0},
    ExamineCase{"ShortEcho",           Packet("000500"),       5,  eoBadFrame,  false, "",     0},
    ExamineCase{"AnotherFunction",     Packet("0103020001"),   17, eoReply,     true,  "",     0},
    ExamineCase{"AnotherException",    Packet("018302"),       17, eoReply,     true,  "",     0}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(OutcomeText, GivesEachEndItsOwnReport) {
    using enum OutcomeReportKind;
    const auto event = [](ExchangeOutcome outcome, int code = 0) {
        const OutcomeRule rule = OutcomeText(outcome, code);
        EXPECT_EQ(rule.report, orkEvent);
        return rule.tag + u' ' + rule.message;
    };
    EXPECT_EQ(event(eoException, 2),
              QStringLiteral("НЕВЕРНЫЙ АДРЕС Ошибка при обмене с устройством"));
    EXPECT_EQ(event(eoException, 9), QStringLiteral(" Ошибка при обмене с устройством"));
    EXPECT_EQ(event(eoBadLrc), QStringLiteral("Ошибка CRC Ошибка при обмене с устройством"));
    EXPECT_EQ(event(eoBadFrame), QStringLiteral("Ошибка кадра Ошибка при обмене с устройством"));
    EXPECT_EQ(event(eoTimeout), QStringLiteral("ТАЙМАУТ Ошибка обмена с устройством"));
    EXPECT_EQ(event(eoWriteTimeout), QStringLiteral("ТАЙМАУТ Запрос не передан устройству"));
    for (ExchangeOutcome outcome : {eoWriteFailed, eoDeviceLost, eoEventError})
        EXPECT_EQ(OutcomeText(outcome).report, orkLinkError);
    EXPECT_EQ(OutcomeText(eoReply).report, orkNone);
    // Only an end that leaves the line silent makes the load command connect again.
    for (ExchangeOutcome outcome : {eoTimeout, eoWriteTimeout, eoDeviceLost})
        EXPECT_TRUE(OutcomeText(outcome).deviceSilent);
    for (ExchangeOutcome outcome :
         {eoReply, eoException, eoBadLrc, eoBadFrame, eoWriteFailed, eoEventError})
        EXPECT_FALSE(OutcomeText(outcome).deviceSilent);
}

}  // namespace
