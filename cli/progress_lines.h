#pragma once
// The live progress of each board on a terminal: one line a board (bytes, percent, bytes a
// second, time left), redrawn in place. Only for a terminal: the caller makes none when
// standard error is not one.

#include <QIODevice>
#include <QString>
#include <functional>
#include <vector>

#include "common/rate_estimator.h"

namespace torvel::cli {

// Nanoseconds of a monotonic clock.
using SteadyClock = std::function<qint64()>;
qint64 SteadyNowNs();

class ProgressLines {
public:
    // `width`: the terminal's columns (0: unknown); a longer line is cut so that it never
    // wraps, since a wrapped line would throw the redraw off by a line.
    explicit ProgressLines(QIODevice& terminal, int width = 0, SteadyClock clock = SteadyNowNs);

    // Redraws at most every kRedrawNs, and at once when a board reaches its total.
    void Update(const QString& port, qint64 done, qint64 total);
    // Takes the lines off the screen, so that a line for standard output can be written in
    // their place, and puts them back below it.
    void Hide();
    void Show();

    static constexpr qint64 kRedrawNs = 100'000'000;

    // The line of one board as it is drawn.
    static QString LineText(const QString& port, qint64 done, qint64 total,
                            const RateEstimator& rate);

private:
    struct Board {
        QString port;
        qint64 done = 0;
        qint64 total = 0;
        RateEstimator rate;
    };
    void Draw();

    QIODevice& terminal_;
    int width_;
    SteadyClock clock_;
    std::vector<Board> boards_;  // in the order they first reported
    int drawnLines_ = 0;
    qint64 lastDrawNs_ = 0;
    bool everDrawn_ = false;
};

}  // namespace torvel::cli
