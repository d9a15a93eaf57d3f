#pragma once
// The board's side of the line going out: reply lines queue up in order and each byte gets
// the moment it may be written. At an emulated line speed a byte is written when its last
// bit would have left; split replies pause between their pieces. Lines never overlap.

#include <QByteArray>
#include <chrono>
#include <deque>
#include <optional>

#include "board/line_reader.h"

namespace torvel::board {

struct LinePacing {
    std::chrono::nanoseconds perByte{0};  // 0: no line speed
    int chunkSize = 0;                    // 0: whole lines
    std::chrono::nanoseconds chunkGap{0};
};

// Time on the wire of `bytes` characters at `baud` bit/s, 10 bits a character.
std::chrono::nanoseconds WireTime(qint64 bytes, unsigned baud);

class Transmitter {
public:
    explicit Transmitter(LinePacing pacing) : pacing_(pacing) {}

    // The line goes out no earlier than `earliest` and after every line queued before it.
    // `marked` lines are counted by markedTaken() once their last byte is taken.
    void Queue(QByteArray line, Clock::time_point earliest, bool marked = false);

    bool idle() const { return queue_.empty(); }
    qsizetype queued() const { return static_cast<qsizetype>(queue_.size()); }
    // When the next byte is due; nothing when idle.
    std::optional<Clock::time_point> nextDue() const;
    // Whether the next due byte is the last of its line.
    bool nextEndsLine() const {
        return !queue_.empty() && queue_.front().sent + 1 == queue_.front().bytes.size();
    }
    // The bytes due by `now`, up to the end of the current piece (one write's worth).
    QByteArray Take(Clock::time_point now);
    // The moment the last queued byte is due (the line is free from then on).
    Clock::time_point lineFreeAt() const { return lineFreeAt_; }
    qint64 markedTaken() const { return markedTaken_; }

private:
    struct Pending {
        QByteArray bytes;
        Clock::time_point start;
        qsizetype sent = 0;
        bool marked = false;
    };
    Clock::time_point DueOf(const Pending& line, qsizetype index) const;

    LinePacing pacing_;
    std::deque<Pending> queue_;
    Clock::time_point lineFreeAt_{};
    qint64 markedTaken_ = 0;
};

}  // namespace torvel::board
