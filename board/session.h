#pragma once
// One run of the board on its line, without the line itself: bytes come in with the time
// they arrived, bytes go out when they are due. It filters frames (address, LRC), injects
// the configured faults, times replies to an emulated line speed and paces the interrupt
// events. Tests drive it with a clock of their own.

#include <QByteArray>
#include <QByteArrayView>
#include <deque>
#include <optional>

#include "board/device.h"
#include "board/line_reader.h"
#include "board/options.h"
#include "board/request_frame.h"
#include "board/request_log.h"
#include "board/transmitter.h"

namespace torvel::board {

class BoardSession {
public:
    explicit BoardSession(const BoardOptions& options, RequestLog* log = nullptr);

    void Receive(QByteArrayView bytes, Clock::time_point now);
    // When TakeOutput next has something to do; nothing while there is nothing to send.
    std::optional<Clock::time_point> NextWakeUp() const;
    // Whether that wake-up writes the last byte of a line: the moment a reply is complete.
    bool NextWakeUpEndsLine() const;
    // The bytes for one write at `now`; empty when nothing is due yet.
    QByteArray TakeOutput(Clock::time_point now);
    // The configured hang-up has come and every reply before it is out.
    bool hangUpDue() const { return hangUpPending_ && transmitter_.idle(); }

    const BoardDevice& device() const { return device_; }
    int requests() const { return requests_; }
    int replies() const { return replies_; }
    // Interrupt events whose last byte TakeOutput has given out.
    qint64 eventsOut() const { return transmitter_.markedTaken(); }

    // Whether the loop may read more from the line. False while received requests wait for
    // room among the queued replies: a burst then waits in the line, unread, and every
    // request is still answered in its turn.
    bool AcceptsInput() const { return backlog_.empty(); }

    // At most this many replies wait for a reader; the requests after them wait as they came.
    static constexpr qsizetype kMaxQueuedLines = 64;

private:
    // Serves received lines in order while the reply queue has room.
    void HandleBacklog(Clock::time_point now);
    void HandleLine(const ReceivedLine& line, Clock::time_point now);
    DeviceReply Answer(const RequestFrame& frame, qsizetype lineLength);
    void SendReply(const DeviceReply& reply, Clock::time_point earliest, bool event = false);
    void GenerateInterrupts(Clock::time_point now);
    void Ignore(const QByteArray& line, const QString& why);

    BoardOptions options_;
    RequestLog* log_;
    BoardDevice device_;
    LineReader reader_;
    Transmitter transmitter_;
    // Bounded by one read of the line, since nothing more is read while it is not empty.
    std::deque<ReceivedLine> backlog_;
    int requests_ = 0;
    int replies_ = 0;
    bool hangUpPending_ = false;
    std::optional<Clock::time_point> nextInterrupt_;
};

}  // namespace torvel::board
