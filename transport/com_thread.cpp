#include "transport/com_thread.h"

#include "transport/com_backend.h"

namespace torvel {

bool TComHandOver::Deliver(TComEvents batch) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        batch_ = batch;
        waiting_ = true;
        taken_ = false;
    }
    wake_();
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return !waiting_ || stopped_; });
    return !stopped_;
}

void TComHandOver::ReportDeviceGone(int error) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        deviceGone_ = error;
    }
    wake_();
}

std::optional<TComEvents> TComHandOver::TakeBatch() {
    std::lock_guard lock(mutex_);
    if (stopped_ || !waiting_ || taken_) return std::nullopt;
    taken_ = true;
    return batch_;
}

void TComHandOver::FinishBatch() {
    {
        std::lock_guard lock(mutex_);
        waiting_ = false;
        taken_ = false;
    }
    finished_.notify_all();
}

std::optional<int> TComHandOver::TakeDeviceGone() {
    std::lock_guard lock(mutex_);
    if (stopped_) return std::nullopt;
    return std::exchange(deviceGone_, std::nullopt);
}

void TComHandOver::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    finished_.notify_all();
}

bool TComHandOver::Pending() const {
    std::lock_guard lock(mutex_);
    return ((waiting_ && !taken_) || deviceGone_) && !stopped_;
}

TComThread::TComThread(TComBackend& backend, TComEvents events, TSyncMethod sync,
                       std::shared_ptr<TComHandOver> handOver)
    : backend_(backend),
      events_(events),
      sync_(sync),
      handOver_(std::move(handOver)),
      thread_([this] { Run(); }) {}

TComThread::~TComThread() {
    Stop();
}

void TComThread::Stop() {
    if (!thread_.joinable()) return;
    handOver_->Stop();
    backend_.StopWaiting();
    thread_.join();
}

void TComThread::Run() {
    for (;;) {
        const TComWaitResult result = backend_.WaitForEvents(events_);
        if (result.kind == TComWaitResult::Stopped) return;
        if (result.kind == TComWaitResult::DeviceGone) {
            handOver_->ReportDeviceGone(result.error);
            return;
        }
        if (result.events && !HandOver(result.events)) return;
    }
}

bool TComThread::HandOver(TComEvents events) {
    if (sync_ == smThreadSync) return handOver_->Deliver(events);
    // One hand-over per event, in the order a batch is delivered.
    for (TComEvent event : kEventDeliveryOrder) {
        if (events.testFlag(event) && !handOver_->Deliver(event)) return false;
    }
    return true;
}

}  // namespace torvel
