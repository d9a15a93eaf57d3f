#pragma once
// Every way an exchange with the board can end, named once, with the text the window logs
// for it; and the one check of a received packet against the request it should answer.

#include <QString>
#include <cstdint>

namespace torvel {

enum class ExchangeOutcome {
    eoReply,         // the answer to the request
    eoException,     // the board refused the request
    eoBadLrc,        // a reply whose check characters do not match
    eoBadFrame,      // a reply too short, or whose byte count disagrees with its data
    eoTimeout,       // no reply within the time-out
    eoWriteFailed,   // the request could not be written
    eoWriteTimeout,  // the line did not take the request in time (flow control holds it)
    eoDeviceLost,    // the device vanished
    eoEventError,    // the port failed while waiting for line events
    eoWithdrawn,     // the operation that sent the request gave it up; its reply is leftover
};

// How the window reports an outcome.
enum class OutcomeReportKind {
    orkNone,       // nothing to report: the operation goes on
    orkEvent,      // one journal event: message and tag
    orkLinkError,  // the port's failure: its message, then the advice to choose another port
};

struct OutcomeRule {
    OutcomeReportKind report = OutcomeReportKind::orkNone;
    QString message;  // orkEvent only
    QString tag;      // orkEvent only; an exception's tag is the text of its code
    // The board can no longer be taken as answering: the load command must connect again.
    bool deviceSilent = false;
};

// `exceptionCode` is used by eoException only.
OutcomeRule OutcomeText(ExchangeOutcome outcome, int exceptionCode = 0);

// A reply packet as the exchange hands it on.
struct DecodedReply {
    std::uint8_t address = 0;
    std::uint8_t function = 0;  // as received; bit 7 set for an exception
    QString data;               // hex text of the data bytes after the byte count; for 5 and
                                // 6, which echo without a count, everything after the function
    int exceptionCode = 0;      // eoException only
};

struct ExaminedReply {
    // eoReply, eoException, eoBadLrc or eoBadFrame.
    ExchangeOutcome outcome = ExchangeOutcome::eoBadFrame;
    // A sound frame of another function than the request's: leftover data, not an answer.
    bool otherFunction = false;
    DecodedReply reply;
};

// Checks a packet (the characters after ":" up to, not including, the LF) in a fixed order:
// length, LRC, function against `requestFunction` (bit 7 aside), exception, byte count.
ExaminedReply ExamineReply(const QString& packet, std::uint8_t requestFunction);

}  // namespace torvel
