#include "protocol/exchange.h"

#include <limits>

#include "protocol/frame.h"

namespace torvel {

namespace {

// What the tick count restarts from when it would overflow.
constexpr int kTicksAfterOverflow = 20;

}  // namespace

int NextReplyTicks(int ticks) {
    return ticks == std::numeric_limits<int>::max() ? kTicksAfterOverflow : ticks + 1;
}

bool TExchange::Send(const TExchangeOperation& operation, std::uint8_t address,
                     std::uint8_t function, const QString& data, int timeoutTicks) {
    if (operation_) return false;
    // Kept even when the write fails: a repeating operation resends from these.
    lastFunction_ = function;
    lastData_ = data;
    operation_ = &operation;
    timeoutTicks_ = timeoutTicks;
    ticks_ = 0;
    const quint64 request = ++serial_;
    const WriteResult written = host_.WriteRequestLine(RequestLine(address, function, data));
    // A loss reported by the port while it wrote has ended this request already.
    if (request != serial_ || !operation_) return true;
    if (written.outcome != ExchangeOutcome::eoReply) {
        Finish(written.outcome, {}, written.message);
        return true;
    }
    host_.RunReplyTimer(true);
    return true;
}

void TExchange::Packet(const QString& packet) {
    if (!operation_) {
        host_.LeftoverData(packet);
        return;
    }
    const ExaminedReply examined = ExamineReply(packet, lastFunction_);
    if (examined.otherFunction) {
        // Not the answer: the wait and its time-out go on.
        host_.LeftoverData(packet);
        return;
    }
    if (examined.outcome != ExchangeOutcome::eoBadFrame &&
        examined.outcome != ExchangeOutcome::eoBadLrc)
        replyFunction_ = examined.reply.function;
    Finish(examined.outcome, examined.reply);
}

void TExchange::Tick() {
    if (!operation_) {
        host_.RunReplyTimer(false);
        return;
    }
    ticks_ = NextReplyTicks(ticks_);
    if (ticks_ > timeoutTicks_) Finish(ExchangeOutcome::eoTimeout);
}

void TExchange::Withdraw(const TExchangeOperation& operation) {
    if (operation_ == &operation) Finish(ExchangeOutcome::eoWithdrawn);
}

void TExchange::DeviceLost(const QString& message) {
    Finish(ExchangeOutcome::eoDeviceLost, {}, message);
}

void TExchange::EventError(const QString& message) {
    Finish(ExchangeOutcome::eoEventError, {}, message);
}

void TExchange::Finish(ExchangeOutcome outcome, const DecodedReply& reply, const QString& detail) {
    const TExchangeOperation* operation = operation_;
    operation_ = nullptr;
    ++serial_;
    host_.RunReplyTimer(false);
    host_.ExchangeEnded(outcome, reply, detail);
    if (!operation || outcome == ExchangeOutcome::eoWithdrawn) return;
    // The reply handler may send the next request; the exchange is idle again by now.
    if (outcome == ExchangeOutcome::eoReply) {
        if (operation->OnReply) operation->OnReply(reply);
    } else if (operation->OnFailure) {
        operation->OnFailure(outcome, reply);
    }
}

}  // namespace torvel
