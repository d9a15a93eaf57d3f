#pragma once
// The outcome of one exchange with the board, named once: a reply, a reply with a wrong
// LRC, an exception reply, or no reply in time. The window logs each outcome with the
// message and tag given here.

#include <QString>
#include <cstdint>

namespace torvel {

enum class ExchangeOutcome { eoReply, eoBadLrc, eoException, eoTimeout };

struct OutcomeReport {
    QString message;  // empty for eoReply
    QString tag;
};

// `exceptionCode` is used by eoException only; its tag is the exception's message.
OutcomeReport OutcomeText(ExchangeOutcome outcome, int exceptionCode = 0);

// A reply packet checked in the fixed order: LRC, then the exception bit.
struct ExaminedReply {
    ExchangeOutcome outcome = ExchangeOutcome::eoBadLrc;
    std::uint8_t function = 0;  // as received, exception bit included
    QString payload;            // data after the byte count, or the exception code text
    int exceptionCode = 0;      // eoException only
};

ExaminedReply ExamineReply(const QString& packet);

}  // namespace torvel
