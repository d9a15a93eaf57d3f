#include "protocol/outcome.h"

#include "common/hex.h"
#include "protocol/frame.h"

namespace torvel {

OutcomeReport OutcomeText(ExchangeOutcome outcome, int exceptionCode) {
    switch (outcome) {
        case ExchangeOutcome::eoReply:
            return {};
        case ExchangeOutcome::eoBadLrc:
            return {QStringLiteral("Ошибка при обмене с устройством"),
                    QStringLiteral("Ошибка CRC")};
        case ExchangeOutcome::eoException:
            return {QStringLiteral("Ошибка при обмене с устройством"),
                    ExceptionMessage(exceptionCode)};
        case ExchangeOutcome::eoTimeout:
            return {QStringLiteral("Ошибка обмена с устройством"), QStringLiteral("ТАЙМАУТ")};
    }
    return {};
}

ExaminedReply ExamineReply(const QString& packet) {
    ExaminedReply reply;
    if (!ValidateFrame(packet, reply.function, reply.payload)) return reply;
    QString message;
    if (CheckException(reply.function, reply.payload, message)) {
        reply.outcome = ExchangeOutcome::eoReply;
    } else {
        reply.outcome = ExchangeOutcome::eoException;
        reply.exceptionCode = HexToInt(reply.payload.left(2));
    }
    return reply;
}

}  // namespace torvel
