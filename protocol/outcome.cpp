#include "protocol/outcome.h"

#include "common/hex.h"
#include "common/text.h"
#include "protocol/frame.h"
#include "protocol/requests.h"

namespace torvel {

namespace {

// Address and function, LRC, CR: anything shorter holds no reply at all.
constexpr int kMinimumPacket = 7;
// What a packet holds around its data: address, function, byte count, LRC, CR.
constexpr int kCountedFraming = 9;
// Functions 5 and 6 echo an address and a value, two bytes each, without a byte count.
constexpr int kEchoPacket = 4 + 8 + 3;

bool EchoesWithoutCount(std::uint8_t function) {
    return function == fnWriteCoil || function == fnWriteRegister;
}

}  // namespace

OutcomeRule OutcomeText(ExchangeOutcome outcome, int exceptionCode) {
    using enum ExchangeOutcome;
    using enum OutcomeReportKind;
    struct Row {
        ExchangeOutcome outcome;
        OutcomeReportKind report;
        const char16_t* message;
        const char16_t* tag;
        bool deviceSilent;
    };
    static constexpr const char16_t* kFailed = u"Ошибка при обмене с устройством";
    // clang-format off
    static constexpr Row kRows[] = {
        // outcome      report        message                          tag             silent
        {eoReply,        orkNone,      u"",                             u"",             false},
        {eoException,    orkEvent,     kFailed,                         nullptr,         false},
        {eoBadLrc,       orkEvent,     kFailed,                         u"Ошибка CRC",   false},
        {eoBadFrame,     orkEvent,     kFailed,                         u"Ошибка кадра", false},
        {eoTimeout,      orkEvent,     u"Ошибка обмена с устройством",  u"ТАЙМАУТ",      true},
        {eoWriteTimeout, orkEvent,     u"Запрос не передан устройству", u"ТАЙМАУТ",      true},
        {eoWriteFailed,  orkLinkError, u"",                             u"",             false},
        {eoDeviceLost,   orkLinkError, u"",                             u"",             true},
        {eoEventError,   orkLinkError, u"",                             u"",             false},
        {eoWithdrawn,    orkNone,      u"",                             u"",             false},
    };
    // clang-format on
    for (const Row& row : kRows) {
        if (row.outcome != outcome) continue;
        // Every reply comes this way: an empty text is made without converting anything.
        const auto text = [](const char16_t* s) { return *s ? QString::fromUtf16(s) : QString(); };
        // An exception is tagged with the text of its code.
        const QString tag = row.tag ? text(row.tag) : ExceptionMessage(exceptionCode);
        return {row.report, text(row.message), tag, row.deviceSilent};
    }
    return {};
}

ExaminedReply ExamineReply(const QString& packet, std::uint8_t requestFunction) {
    ExaminedReply examined;
    DecodedReply& reply = examined.reply;
    const int length = static_cast<int>(packet.size());
    if (length < kMinimumPacket) return examined;
    QString payload;
    if (!ValidateFrame(packet, reply.function, payload)) {
        examined.outcome = ExchangeOutcome::eoBadLrc;
        return examined;
    }
    reply.address = HexField(packet, 1);
    if ((reply.function & 0x7F) != (requestFunction & 0x7F)) {
        examined.otherFunction = true;
        return examined;
    }
    if (reply.function & 0x80) {
        if (length != kCountedFraming) return examined;
        reply.exceptionCode = HexToInt(payload);
        examined.outcome = ExchangeOutcome::eoException;
        return examined;
    }
    if (EchoesWithoutCount(reply.function)) {
        if (length != kEchoPacket) return examined;
        reply.data = CopyText(packet, 5, 8);
    } else {
        const int count = HexField(packet, 5);
        if (length != kCountedFraming + 2 * count) return examined;
        reply.data = payload;
    }
    examined.outcome = ExchangeOutcome::eoReply;
    return examined;
}

}  // namespace torvel
