#include "app/paint_pacer.h"

#include <QLabel>
#include <QTimer>
#include <utility>

namespace torvel {

TPaintPacer::TPaintPacer(QList<QWidget*> widgets, std::function<bool()> lineBusy, QObject* parent,
                         int intervalMs)
    : QObject(parent), lineBusy_(std::move(lineBusy)), timer_(new QTimer(this)) {
    for (QWidget* widget : widgets) {
        THeld held;
        held.Widget = widget;
        widgets_.append(held);
    }
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, &TPaintPacer::Tick);
}

void TPaintPacer::Hold() {
    if (holding_) return;
    holding_ = true;
    due_ = false;
    for (THeld& held : widgets_) {
        QWidget* widget = held.Widget;
        if (!widget) continue;
        held.Changed = false;
        held.Estimated = false;
        // A label asks its window for a new layout at every text; kept at the size it has,
        // it asks nothing. One not shown yet has no size to keep.
        held.Frozen = qobject_cast<QLabel*>(widget) && widget->isVisible();
        if (!held.Frozen) continue;
        held.MinimumSize = widget->minimumSize();
        held.MaximumSize = widget->maximumSize();
        widget->setFixedSize(widget->size());
    }
    timer_->start();
}

TPaintPacer::THeld* TPaintPacer::Find(const QWidget& widget) {
    for (THeld& held : widgets_)
        if (held.Widget == &widget) return &held;
    return nullptr;
}

void TPaintPacer::Changed(QWidget& widget) {
    if (THeld* held = Find(widget)) {
        held->Changed = true;
        held->Deferred = nullptr;
    }
    QueuePaintIfDue();
}

void TPaintPacer::Defer(QWidget& widget, std::function<void()> change) {
    THeld* held = holding_ ? Find(widget) : nullptr;
    if (!held) {
        change();
        return;
    }
    held->Changed = true;
    if (held->Estimated) {
        held->Deferred = std::move(change);
    } else {
        held->Estimated = true;
        WithoutPaint(widget, change);
    }
    QueuePaintIfDue();
}

void TPaintPacer::MakeDeferred() {
    for (THeld& held : widgets_) {
        const std::function<void()> change = std::exchange(held.Deferred, nullptr);
        if (change && held.Widget) WithoutPaint(*held.Widget, change);
    }
}

void TPaintPacer::QueuePaintIfDue() {
    if (!due_ || queued_) return;
    queued_ = true;
    // Later: the run's other displays of this record are set by then, and the far side has had
    // the processor to take the request (painting at once held its reading up by as long).
    QTimer::singleShot(kAfterRequestMs, Qt::PreciseTimer, this, [this] {
        queued_ = false;
        if (holding_ && due_) Paint();
    });
}

void TPaintPacer::Tick() {
    if (!holding_) return;
    // A reply awaited is not held up: the paint waits for the next request to go out, or
    // for the next tick when none has gone for a whole interval.
    if (!lineBusy_() || due_) {
        Paint();
        return;
    }
    due_ = true;
}

void TPaintPacer::Paint() {
    due_ = false;
    MakeDeferred();
    // The others are marked, the last one painted now: one pass of the window's backing
    // store paints them all.
    QWidget* last = nullptr;
    for (THeld& held : widgets_) {
        if (!held.Changed || !held.Widget) continue;
        held.Changed = false;
        if (last) last->update();
        last = held.Widget;
    }
    if (last) last->repaint();
}

void TPaintPacer::Release() {
    if (!holding_) return;
    MakeDeferred();
    holding_ = false;
    due_ = false;
    timer_->stop();
    for (THeld& held : widgets_) {
        QWidget* widget = held.Widget;
        if (!widget) continue;
        if (held.Frozen) {
            widget->setMinimumSize(held.MinimumSize);
            widget->setMaximumSize(held.MaximumSize);
            held.Frozen = false;
        }
        held.Changed = false;
        // With the rest of the window the end changes, at the event loop's next pass: the
        // handler that ends the run is not kept painting.
        widget->update();
    }
}

}  // namespace torvel
