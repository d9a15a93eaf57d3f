#include "app/paint_pacer.h"

#include <QTimer>
#include <QWidget>
#include <utility>

namespace torvel {

TPaintPacer::TPaintPacer(QList<QWidget*> widgets, std::function<bool()> lineBusy, QObject* parent)
    : QObject(parent), lineBusy_(std::move(lineBusy)), timer_(new QTimer(this)) {
    for (QWidget* widget : widgets) widgets_.append(widget);
    timer_->setInterval(kIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TPaintPacer::Tick);
}

void TPaintPacer::Hold() {
    if (holding_) return;
    holding_ = true;
    due_ = false;
    // Disabled updates make a new value's repaint a no-op; the window system's own paints
    // (an expose) still come through.
    for (QWidget* widget : widgets_)
        if (widget) widget->setUpdatesEnabled(false);
    timer_->start();
}

void TPaintPacer::Changed() {
    if (!holding_ || !due_ || queued_) return;
    queued_ = true;
    // Queued: the request has been written and the run's other displays of this record are
    // set by the time it runs.
    QMetaObject::invokeMethod(
        this,
        [this] {
            queued_ = false;
            if (holding_ && due_) Paint();
        },
        Qt::QueuedConnection);
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
    for (QWidget* widget : widgets_) {
        if (!widget) continue;
        widget->setUpdatesEnabled(true);
        widget->repaint();
        widget->setUpdatesEnabled(false);
    }
}

void TPaintPacer::Release() {
    if (!holding_) return;
    holding_ = false;
    due_ = false;
    timer_->stop();
    for (QWidget* widget : widgets_) {
        if (!widget) continue;
        widget->setUpdatesEnabled(true);
        widget->repaint();
    }
}

}  // namespace torvel
