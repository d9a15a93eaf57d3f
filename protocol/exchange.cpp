#include "protocol/exchange.h"

#include <limits>

#include "protocol/frame.h"

namespace torvel {

namespace {

// What the tick count restarts from when it would overflow.
constexpr int kTicksAfterOverflow = 20;

// ExamineReply gives only these four outcomes for a packet that answers the request.
PacketVerdict VerdictOf(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::eoReply:
            return PacketVerdict::pvReply;
        case ExchangeOutcome::eoException:
            return PacketVerdict::pvException;
        case ExchangeOutcome::eoBadLrc:
            return PacketVerdict::pvBadLrc;
        default:
            return PacketVerdict::pvBadFrame;
    }
}

}  // namespace

int NextReplyTicks(int ticks) {
    return ticks == std::numeric_limits<int>::max() ? kTicksAfterOverflow : ticks + 1;
}

TRequestLine MakeRequestLine(std::uint8_t address, std::uint8_t function, const QString& data) {
    return {address, function, data, RequestLine(address, function, data)};
}

bool TExchange::Send(const TExchangeOperation& operation, std::uint8_t address,
                     std::uint8_t function, const QString& data, int timeoutTicks) {
    if (operation_) return false;
    return Send(operation, MakeRequestLine(address, function, data), timeoutTicks);
}

bool TExchange::Send(const TExchangeOperation& operation, const TRequestLine& request,
                     int timeoutTicks) {
    if (operation_) return false;
    // The answer to this request is what the line brings next, not an unasked report.
    listener_ = nullptr;
    // Kept even when the write fails: a repeating operation resends from these.
    lastFunction_ = request.function;
    lastData_ = request.data;
    operation_ = &operation;
    timeoutTicks_ = timeoutTicks;
    ticks_ = 0;
    const quint64 serial = ++serial_;
    const QString& line = request.line;
    if (observer_) {
        // Told before the write, so anything the write ends comes after it.
        sentAt_ = observer_->Now();
        observer_->RequestSent(line, sentAt_);
    }
    const WriteResult written = host_.WriteRequestLine(line);
    // A loss reported by the port while it wrote has ended this request already.
    if (serial != serial_ || !operation_) return true;
    if (written.outcome != ExchangeOutcome::eoReply) {
        Finish(written.outcome, {}, written.message);
        return true;
    }
    host_.RunReplyTimer(true);
    return true;
}

void TExchange::Packet(const QString& packet) {
    if (!operation_ && listener_) {
        Unasked(packet);
        return;
    }
    if (!operation_) {
        Leftover(packet);
        return;
    }
    const ExaminedReply examined = ExamineReply(packet, lastFunction_);
    if (examined.otherFunction) {
        // Not the answer: the wait and its time-out go on.
        Leftover(packet);
        return;
    }
    ObservePacket(packet, VerdictOf(examined.outcome), true);
    if (examined.outcome != ExchangeOutcome::eoBadFrame &&
        examined.outcome != ExchangeOutcome::eoBadLrc)
        replyFunction_ = examined.reply.function;
    Finish(examined.outcome, examined.reply);
}

void TExchange::Leftover(const QString& packet) {
    ObservePacket(packet, PacketVerdict::pvLeftover, false);
    host_.LeftoverData(packet);
}

void TExchange::Unasked(const QString& packet) {
    const ExaminedReply examined = ExamineReply(packet, listenFunction_);
    if (examined.otherFunction) {
        Leftover(packet);
        return;
    }
    ObservePacket(packet, VerdictOf(examined.outcome), false);
    if (examined.outcome != ExchangeOutcome::eoReply) {
        Finish(examined.outcome, examined.reply);
        return;
    }
    replyFunction_ = examined.reply.function;
    // The handler may send (which ends the listening) or withdraw.
    if (listener_->OnReply) listener_->OnReply(examined.reply);
}

void TExchange::Listen(const TExchangeOperation& operation, std::uint8_t function) {
    if (operation_) return;
    listener_ = &operation;
    listenFunction_ = function;
}

void TExchange::Noise(const QString& bytes) {
    if (observer_) observer_->NoiseReceived(bytes, observer_->Now());
}

void TExchange::ObservePacket(const QString& packet, PacketVerdict verdict, bool answers) {
    if (!observer_) return;
    const qint64 at = observer_->Now();
    observer_->PacketReceived(packet, verdict, at, answers ? at - sentAt_ : -1);
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
    if (operation_ == &operation || listener_ == &operation) Finish(ExchangeOutcome::eoWithdrawn);
}

void TExchange::DeviceLost(const QString& message) {
    Finish(ExchangeOutcome::eoDeviceLost, {}, message);
}

void TExchange::EventError(const QString& message) {
    Finish(ExchangeOutcome::eoEventError, {}, message);
}

void TExchange::Finish(ExchangeOutcome outcome, const DecodedReply& reply, const QString& detail) {
    const bool inFlight = operation_ != nullptr;
    // A listening operation hears how the line ended as a requesting one does.
    const TExchangeOperation* operation = inFlight ? operation_ : listener_;
    operation_ = nullptr;
    listener_ = nullptr;
    ++serial_;
    if (observer_) {
        const qint64 at = observer_->Now();
        observer_->ExchangeFinished(outcome, detail, at, inFlight ? at - sentAt_ : -1);
    }
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
