#include "board/session.h"

#include <algorithm>
#include <vector>

#include "board/request_frame.h"
#include "protocol/requests.h"

namespace torvel::board {

namespace {

LinePacing PacingOf(const BoardOptions& options) {
    LinePacing pacing;
    pacing.perByte = WireTime(1, options.baud);
    pacing.chunkSize = options.faults.chunkSize;
    pacing.chunkGap = options.faults.chunkGap;
    return pacing;
}

bool EveryNth(int count, int n) {
    return n > 0 && count % n == 0;
}

}  // namespace

BoardSession::BoardSession(const BoardOptions& options, RequestLog* log)
    : options_(options), log_(log), device_(options), transmitter_(PacingOf(options)) {}

void BoardSession::Receive(QByteArrayView bytes, Clock::time_point now) {
    std::vector<ReceivedLine> lines;
    reader_.Append(bytes, now, lines);
    for (ReceivedLine& line : lines) backlog_.push_back(std::move(line));
    HandleBacklog(now);
}

void BoardSession::HandleBacklog(Clock::time_point now) {
    while (!backlog_.empty() && transmitter_.queued() < kMaxQueuedLines) {
        const ReceivedLine line = std::move(backlog_.front());
        backlog_.pop_front();
        HandleLine(line, now);
    }
}

void BoardSession::Ignore(const QByteArray& line, const QString& why) {
    if (log_) log_->Ignored(line, why);
}

void BoardSession::HandleLine(const ReceivedLine& line, Clock::time_point now) {
    if (hangUpPending_) return Ignore(line.text, QStringLiteral("hanging up"));
    RequestFrame frame;
    // A slave stays silent on a damaged frame: the master's time-out tells the story.
    if (const FrameFault fault = DecodeRequest(line.text, frame); fault != FrameFault::ffNone)
        return Ignore(line.text, FrameFaultText(fault));
    if (frame.address != options_.address)
        return Ignore(line.text, QStringLiteral("another address"));

    ++requests_;
    if (options_.faults.hangUpAfter > 0 && requests_ >= options_.faults.hangUpAfter)
        hangUpPending_ = true;
    if (EveryNth(requests_, options_.faults.dropEvery))
        return Ignore(line.text, QStringLiteral("dropped on cue"));
    if (log_) log_->Request(line.text);

    const DeviceReply reply = Answer(frame, line.text.size());
    // At a line speed the request itself took its wire time to arrive, counted from its ":".
    Clock::time_point earliest = now;
    if (options_.baud > 0)
        earliest = std::max(now, line.start + WireTime(line.text.size(), options_.baud));
    SendReply(reply, earliest + options_.replyDelay);

    if (frame.function == fnInterrupt && !reply.isException())
        nextInterrupt_ = device_.pendingInterrupts() > 0 ? std::optional(now + options_.irqInterval)
                                                         : std::nullopt;
}

DeviceReply BoardSession::Answer(const RequestFrame& frame, qsizetype lineLength) {
    if (const auto forced = options_.faults.exceptions.find(frame.function);
        forced != options_.faults.exceptions.end())
        return DeviceReply::Exception(frame.function, forced->second);
    if (EveryNth(requests_, options_.faults.exceptionEvery))
        return DeviceReply::Exception(frame.function, exDeviceFailure);
    // The exchange buffer holds a request from after its ":" to its LF.
    if (lineLength - 1 > options_.identity.bufferSize)
        return DeviceReply::Exception(frame.function, exIllegalValue);
    return device_.Serve(frame.function, frame.data);
}

void BoardSession::SendReply(const DeviceReply& reply, Clock::time_point earliest, bool event) {
    ++replies_;
    const Faults& faults = options_.faults;
    const bool badLrc = EveryNth(replies_, faults.badLrcEvery);
    const std::uint8_t function = EveryNth(replies_, faults.wrongFunctionEvery)
                                      ? static_cast<std::uint8_t>(reply.function + 1)
                                      : reply.function;
    QByteArray line = ReplyLine(options_.address, function, reply.data, badLrc ? 1 : 0);
    if (EveryNth(replies_, faults.shortReplyEvery)) line = ':' + faults.shortReply + "\r\n";
    if (EveryNth(replies_, options_.faults.noiseEvery)) line.prepend(options_.faults.noise);
    if (log_) log_->Reply(line);
    transmitter_.Queue(std::move(line), earliest, event);
}

void BoardSession::GenerateInterrupts(Clock::time_point now) {
    // Events wait for a free queue, so a zero interval cannot flood memory.
    while (nextInterrupt_ && *nextInterrupt_ <= now && transmitter_.queued() < 2) {
        SendReply(device_.NextInterruptEvent(), *nextInterrupt_, true);
        if (device_.pendingInterrupts() > 0)
            *nextInterrupt_ += options_.irqInterval;
        else
            nextInterrupt_.reset();
    }
}

std::optional<Clock::time_point> BoardSession::NextWakeUp() const {
    std::optional<Clock::time_point> wake = transmitter_.nextDue();
    if (nextInterrupt_ && transmitter_.queued() < 2)
        wake = wake ? std::min(*wake, *nextInterrupt_) : *nextInterrupt_;
    return wake;
}

bool BoardSession::NextWakeUpEndsLine() const {
    return transmitter_.nextEndsLine() && NextWakeUp() == transmitter_.nextDue();
}

QByteArray BoardSession::TakeOutput(Clock::time_point now) {
    HandleBacklog(now);
    GenerateInterrupts(now);
    QByteArray out = transmitter_.Take(now);
    // What went out made room for requests that were waiting.
    HandleBacklog(now);
    return out;
}

}  // namespace torvel::board
