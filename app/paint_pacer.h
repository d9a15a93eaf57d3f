#pragma once
// TPaintPacer: keeps the painting of displays that change with every record of a long run (a
// load, a repeated tester operation) off the exchange's path. While it holds them, the widgets
// take every new value at once (their texts and values stay exact) but are painted only at a
// steady pace: just after a request has gone out, when the reply is a wire time away, or at
// the tick itself while the line is quiet. A shown label also keeps its size, since a new text
// would otherwise lay its window out again. Released, they are painted in their final state.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <functional>

class QTimer;
class QWidget;

namespace torvel {

class TPaintPacer : public QObject {
public:
    // About 25 paints a second: plenty for a person, nothing a reply would notice.
    static constexpr int kIntervalMs = 40;

    // `lineBusy` says whether a reply is awaited, so that painting now could hold it up.
    TPaintPacer(QList<QWidget*> widgets, std::function<bool()> lineBusy, QObject* parent);

    // From now on the widgets are painted at the pace only; nothing when already held.
    void Hold();
    // A display changed just after its run sent a request: a paint that is due goes now,
    // once the change's handler is over.
    void Changed();
    // Paints the widgets as they stand and lets them paint freely again.
    void Release();
    bool Holding() const { return holding_; }

    // One tick of the pace (the timer's; tests call it themselves).
    void Tick();

private:
    // A widget held, and the size limits it had when its size was kept.
    struct THeld {
        QPointer<QWidget> Widget;
        bool Frozen = false;
        QSize MinimumSize{};
        QSize MaximumSize{};
    };

    void Paint();

    QList<THeld> widgets_;
    std::function<bool()> lineBusy_;
    QTimer* timer_ = nullptr;
    bool holding_ = false;
    bool due_ = false;
    bool queued_ = false;
};

}  // namespace torvel
