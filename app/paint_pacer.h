#pragma once
// TPaintPacer: keeps the painting of displays that change with every record of a long run (a
// load, a repeated tester operation) off the exchange's path. While it holds them, the widgets
// take every new value at once (their texts and values stay exact) without asking for a paint,
// and an estimate (speed, time left) is worked out only when it is about to be painted;
// they are painted at a steady pace: just after a request has gone out, when the reply is a
// wire time away, or at the tick itself while the line is quiet. The window system's own
// paints (an expose) show them as they stand. A shown label also keeps its size, since a new
// text would otherwise lay its window out again. Released, they are painted in their final
// state.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>

class QTimer;

namespace torvel {

class TPaintPacer : public QObject {
public:
    // About 25 paints a second: plenty for a person, nothing a reply would notice.
    static constexpr int kIntervalMs = 40;
    // A paint due while a reply is awaited waits this long after the next request has gone
    // out: the far side takes the request in the meantime, the processor being free for it.
    static constexpr int kAfterRequestMs = 1;

    // `lineBusy` says whether a reply is awaited, so that painting now could hold it up.
    // `intervalMs` is the pace (tests that tick by hand give one that never comes).
    TPaintPacer(QList<QWidget*> widgets, std::function<bool()> lineBusy, QObject* parent,
                int intervalMs = kIntervalMs);

    // From now on the widgets are painted at the pace only; nothing when already held.
    void Hold();
    // Gives `widget` (one of the pacer's) its new value by `change`. While held, the change
    // asks for no paint, and a paint that is due goes kAfterRequestMs after the change: the
    // run reports a record's displays just after its request has gone out.
    template <typename Change>
    void Take(QWidget& widget, Change&& change);
    // For a display that estimates (a speed, a time left) rather than counts: while held, the
    // change is kept, in place of the one kept before, and made just before the widget is
    // painted or released, so the records in between cost nothing. A change taken replaces a
    // kept one. Made at once when not held, and the first one after Hold: the display is
    // there from the run's start.
    void Defer(QWidget& widget, std::function<void()> change);
    // Has the widgets painted as they stand and lets their changes paint at once again.
    void Release();
    bool Holding() const { return holding_; }

    // One tick of the pace (the timer's; tests call it themselves).
    void Tick();

private:
    // A widget held, and the size limits it had when its size was kept.
    struct THeld {
        QPointer<QWidget> Widget;
        bool Changed = false;  // since it was last painted
        std::function<void()> Deferred;
        bool Estimated = false;  // a deferred change was made since Hold
        bool Frozen = false;
        QSize MinimumSize{};
        QSize MaximumSize{};
    };

    void Changed(QWidget& widget);
    THeld* Find(const QWidget& widget);
    void QueuePaintIfDue();
    void MakeDeferred();
    void Paint();

    QList<THeld> widgets_;
    std::function<bool()> lineBusy_;
    QTimer* timer_ = nullptr;
    bool holding_ = false;
    bool due_ = false;
    bool queued_ = false;
};

// Qt's own flag, around the change alone: update() and repaint() do nothing for as long,
// while an expose still paints the widget as ever (QWidget::setUpdatesEnabled would leave it
// blank then, and ask for a paint when given back).
template <typename Change>
void WithoutPaint(QWidget& widget, Change&& change) {
    const bool disabled = widget.testAttribute(Qt::WA_UpdatesDisabled);
    widget.setAttribute(Qt::WA_UpdatesDisabled, true);
    change();
    widget.setAttribute(Qt::WA_UpdatesDisabled, disabled);
}

template <typename Change>
void TPaintPacer::Take(QWidget& widget, Change&& change) {
    if (!holding_) {
        change();
        return;
    }
    WithoutPaint(widget, change);
    Changed(widget);
}

}  // namespace torvel
