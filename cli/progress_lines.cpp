#include "cli/progress_lines.h"

#include <QByteArray>
#include <chrono>

namespace torvel::cli {

namespace {

// ANSI: the cursor up n lines, the line erased, the screen erased from the cursor on.
QByteArray CursorUp(int lines) {
    return "\x1b[" + QByteArray::number(lines) + 'A';
}
constexpr char kEraseLine[] = "\r\x1b[2K";
constexpr char kEraseBelow[] = "\x1b[J";

}  // namespace

qint64 SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ProgressLines::ProgressLines(QIODevice& terminal, int width, SteadyClock clock)
    : terminal_(terminal), width_(width), clock_(std::move(clock)) {}

QString ProgressLines::LineText(const QString& port, qint64 done, qint64 total,
                                const RateEstimator& rate) {
    // The window's words for the same figures (its load's speed and time left).
    QString text = port + QStringLiteral(": %1/%2 байт").arg(done).arg(total);
    if (total > 0) text += QStringLiteral("  %1 %").arg(done >= total ? 100 : done * 100 / total);
    if (!rate.Known()) return text + QStringLiteral("  скорость измеряется");
    text += QStringLiteral("  ") + RateText(rate.Rate()) + QStringLiteral(" байт/с");
    if (done < total && rate.TimeLeftNs() >= 0)
        text += QStringLiteral("  осталось ") + DurationText(rate.TimeLeftNs());
    return text;
}

void ProgressLines::Update(const QString& port, qint64 done, qint64 total) {
    const qint64 now = clock_();
    Board* board = nullptr;
    for (Board& each : boards_)
        if (each.port == port) board = &each;
    if (!board) {
        boards_.push_back({port, done, total, RateEstimator()});
        board = &boards_.back();
        board->rate.Start(now, done, total);
    } else if (total != board->total || done < board->done) {
        board->rate.Start(now, done, total);  // a new piece of work on the same board
    } else {
        board->rate.Add(now, done);
    }
    board->done = done;
    board->total = total;
    if (!everDrawn_ || done >= total || now - lastDrawNs_ >= kRedrawNs) Draw();
}

void ProgressLines::Hide() {
    if (drawnLines_ == 0) return;
    terminal_.write(CursorUp(drawnLines_) + kEraseBelow);
    drawnLines_ = 0;
}

void ProgressLines::Show() {
    if (!boards_.empty()) Draw();
}

void ProgressLines::Draw() {
    // Each line ends with its line end, so the cursor waits below the block: whatever ends
    // the process leaves the shell's prompt on a line of its own.
    QByteArray bytes = drawnLines_ > 0 ? CursorUp(drawnLines_) : QByteArray();
    for (const Board& board : boards_) {
        QString line = LineText(board.port, board.done, board.total, board.rate);
        if (width_ > 1 && line.size() >= width_) line.truncate(width_ - 1);
        bytes += kEraseLine + line.toUtf8() + '\n';
    }
    terminal_.write(bytes);
    drawnLines_ = static_cast<int>(boards_.size());
    lastDrawNs_ = clock_();
    everDrawn_ = true;
}

}  // namespace torvel::cli
