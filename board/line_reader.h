#pragma once
// Cuts the received byte stream into request lines, ":" to LF. Anything before a ":" is
// noise; a second ":" starts the line afresh; a line longer than the bound is dropped
// whole, so hostile input never grows the buffer.

#include <QByteArray>
#include <QByteArrayView>
#include <chrono>
#include <vector>

namespace torvel::board {

using Clock = std::chrono::steady_clock;

struct ReceivedLine {
    QByteArray text;          // ":" ... LF, both included
    Clock::time_point start;  // when the ":" arrived
};

class LineReader {
public:
    // Far above the longest request the board's buffer admits (255 characters).
    static constexpr qsizetype kMaxLine = 1024;

    void Append(QByteArrayView bytes, Clock::time_point now, std::vector<ReceivedLine>& lines);
    // Bytes thrown away so far: noise, cut-off lines, overlong lines.
    qint64 discarded() const { return discarded_; }

private:
    QByteArray line_;
    bool inLine_ = false;
    Clock::time_point start_{};
    qint64 discarded_ = 0;
};

}  // namespace torvel::board
