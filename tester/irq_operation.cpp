#include "tester/irq_operation.h"

#include "common/hex.h"
#include "protocol/requests.h"
#include "tester/chunk_plan.h"
#include "tester/replies.h"

namespace torvel {

namespace {

constexpr std::int64_t kLastRegisterField = 0xFF;

}  // namespace

std::optional<TTesterRequest> TTesterIrq::Start(const TIrqSettings& settings) {
    settings_ = settings;
    armed_ = false;
    stopRequested_ = false;
    events_ = 0;
    if (settings.IrqReturnAddr < 0 || settings.IrqReturnAddr > kLastRegisterField)
        return std::nullopt;
    return TTesterRequest{
        fnInterrupt,
        ArmInterruptData(static_cast<unsigned>(settings.IrqNumber),
                         static_cast<unsigned>(settings.IrqRepeatCount), settings.IrqReadReg,
                         static_cast<unsigned>(settings.IrqReturnAddr),
                         static_cast<unsigned>(settings.IrqRegCount))};
}

TIrqStep TTesterIrq::Reply(const DecodedReply& reply) {
    TIrqStep step;
    if (!armed_) {
        armed_ = true;
        return step;
    }
    if (stopRequested_) {
        step.Kind = TIrqReplyKind::irDisarmed;
        step.End = TStepEnd::Stop;
        return step;
    }
    step.Kind = TIrqReplyKind::irEvent;
    step.EventNumber = ++events_;
    // Only a value that really arrived is shown.
    if (const std::optional<QString> shown = DecodeIrqEvent(reply.data).ShownValue)
        step.Shown = HexToInt(*shown);
    step.Progress = ProgressPercent(events_, settings_.IrqRepeatCount);
    if (events_ >= settings_.IrqRepeatCount) step.End = TStepEnd::Stop;
    return step;
}

TTesterRequest TTesterIrq::Disarm() {
    stopRequested_ = true;
    return DisarmRequest();
}

TTesterRequest TTesterIrq::DisarmRequest() const {
    return {fnInterrupt, DisarmInterruptData(static_cast<unsigned>(settings_.IrqNumber))};
}

}  // namespace torvel
