#include "board/transmitter.h"

#include <algorithm>

namespace torvel::board {

std::chrono::nanoseconds WireTime(qint64 bytes, unsigned baud) {
    if (baud == 0) return std::chrono::nanoseconds(0);
    // Integer nanoseconds over the whole count, so long lines do not gather rounding.
    return std::chrono::nanoseconds(bytes * 10'000'000'000LL / baud);
}

Clock::time_point Transmitter::DueOf(const Pending& line, qsizetype index) const {
    const qsizetype piece = pacing_.chunkSize > 0 ? index / pacing_.chunkSize : 0;
    return line.start + pacing_.perByte * (index + 1) + pacing_.chunkGap * piece;
}

void Transmitter::Queue(QByteArray line, Clock::time_point earliest, bool marked) {
    if (line.isEmpty()) return;
    Pending pending{std::move(line), std::max(earliest, lineFreeAt_), 0, marked};
    lineFreeAt_ = DueOf(pending, pending.bytes.size() - 1);
    queue_.push_back(std::move(pending));
}

std::optional<Clock::time_point> Transmitter::nextDue() const {
    if (queue_.empty()) return std::nullopt;
    return DueOf(queue_.front(), queue_.front().sent);
}

QByteArray Transmitter::Take(Clock::time_point now) {
    if (queue_.empty()) return {};
    Pending& line = queue_.front();
    qsizetype end = line.sent;
    const qsizetype pieceEnd = pacing_.chunkSize > 0
                                   ? (line.sent / pacing_.chunkSize + 1) * pacing_.chunkSize
                                   : line.bytes.size();
    const qsizetype limit = std::min(pieceEnd, line.bytes.size());
    while (end < limit && DueOf(line, end) <= now) ++end;
    QByteArray bytes = line.bytes.mid(line.sent, end - line.sent);
    line.sent = end;
    if (line.sent == line.bytes.size()) {
        if (line.marked) ++markedTaken_;
        queue_.pop_front();
    }
    return bytes;
}

}  // namespace torvel::board
