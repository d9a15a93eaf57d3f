#pragma once
// The interrupt handler mode as a stepper: the arming request, then every function-25 reply
// in turn: the acknowledgement, the events the board reports, and the answer to disarming.

#include <cstdint>
#include <optional>

#include "protocol/outcome.h"
#include "tester/repetition.h"

namespace torvel {

struct TIrqSettings {
    int IrqNumber = 0;               // the line, 0 or 1
    int IrqRepeatCount = 1;          // the events to handle
    bool IrqReadReg = false;         // the board returns register values with each event
    std::int64_t IrqReturnAddr = 0;  // the full value of the first-register field
    int IrqRegCount = 1;
};

enum class TIrqReplyKind {
    irAcknowledged,  // the board has armed its handler; events come from now on
    irEvent,         // one interrupt
    irDisarmed,      // the answer to disarming: the mode is over
};

struct TIrqStep {
    TIrqReplyKind Kind = TIrqReplyKind::irAcknowledged;
    // An event: its number from 1, the register value shown (byte 4, when it arrived), the
    // progress, and whether it was the last one asked for.
    int EventNumber = 0;
    std::optional<std::uint8_t> Shown;
    int Progress = 0;
    TStepEnd End = TStepEnd::Continue;
};

class TTesterIrq {
public:
    // The arming request; nothing when the first register does not fit the request's two-digit
    // field (it is refused, never cut to its low byte).
    std::optional<TTesterRequest> Start(const TIrqSettings& settings);
    bool Armed() const { return armed_; }
    bool StopRequested() const { return stopRequested_; }

    // A function-25 reply: whichever of the three the mode now waits for.
    TIrqStep Reply(const DecodedReply& reply);

    // The disarming request, after which the next reply ends the mode.
    TTesterRequest Disarm();
    // The same request for a board that is left without waiting for its answer.
    TTesterRequest DisarmRequest() const;

private:
    TIrqSettings settings_;
    bool armed_ = false;
    bool stopRequested_ = false;
    int events_ = 0;
};

}  // namespace torvel
