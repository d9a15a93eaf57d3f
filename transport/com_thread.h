#pragma once
// Private to transport/: the port's event thread and its hand-over to the port's own thread.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "transport/com_types.h"

namespace torvel {

class TComBackend;

// One batch at a time passes from the event thread to the port's thread. The event thread
// waits until the batch has run there or until it is told to stop, never longer, so a close
// on the port's thread cannot wait on a delivery that waits on it.
class TComHandOver {
public:
    // `wake` asks the port's thread to come and take what is waiting; it must not block.
    explicit TComHandOver(std::function<void()> wake) : wake_(std::move(wake)) {}

    // Event thread: false when told to stop (the batch may then never run).
    bool Deliver(TComEvents batch);
    // Event thread: the device is gone; reported once, the thread then ends.
    void ReportDeviceGone(int error);

    // Port's thread.
    std::optional<TComEvents> TakeBatch();
    void FinishBatch();
    std::optional<int> TakeDeviceGone();
    void Stop();
    bool Pending() const;

private:
    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool stopped_ = false;
    bool waiting_ = false;  // a batch was handed over and has not finished
    bool taken_ = false;
    TComEvents batch_;
    std::optional<int> deviceGone_;
};

class TComThread {
public:
    TComThread(TComBackend& backend, TComEvents events, TSyncMethod sync,
               std::shared_ptr<TComHandOver> handOver);
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Signals the stop and waits until the thread has ended.
    void Stop();

private:
    void Run();
    bool HandOver(TComEvents events);

    TComBackend& backend_;
    const TComEvents events_;
    const TSyncMethod sync_;
    std::shared_ptr<TComHandOver> handOver_;
    std::thread thread_;
};

}  // namespace torvel
