#pragma once
// A backend for tests: counts what the port asks of it, fails on cue, and lets a test hand
// the event thread batches of events one at a time.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "transport/com_backend.h"

namespace torvel::testing {

class FakeBackend : public TComBackend {
public:
    // ---- What the port did (read on the test's thread).
    int opens = 0;
    int closes = 0;
    int bufferApplies = 0;
    int lineApplies = 0;
    int timeoutApplies = 0;
    QString openedPort;
    TComDeviceControl lastControl;
    TComTimeoutValues lastTimeouts;
    int lastWriteTimeout = 0;
    bool lastWriteReportsDrained = false;
    QByteArray written;
    QList<TComPurges> purges;
    // Calls of the delivery path, in order ("errors", "count", "read", "signals").
    QStringList calls;

    // ---- Cues.
    int openError = 0;
    int lineError = 0;
    int readError = 0;
    int countError = 0;
    int writeError = 0;
    int purgeError = 0;
    // Bytes a write still takes before the line stops (flow control held off); -1: no end.
    int writeRoom = -1;
    QByteArray input;
    TComErrors lineErrors;
    TComSignals lines;

    // Event thread: the next batch, or the device's loss.
    void Push(TComEvents events) {
        {
            std::lock_guard lock(mutex_);
            batches_.push_back(events);
        }
        changed_.notify_all();
    }
    void Vanish(int error) {
        {
            std::lock_guard lock(mutex_);
            gone_ = error;
        }
        changed_.notify_all();
    }

    int Open(const QString& port) override {
        ++opens;
        openedPort = port;
        if (openError) return openError;
        std::lock_guard lock(mutex_);
        stopped_ = false;
        gone_.reset();
        batches_.clear();
        return 0;
    }
    void Close() override { ++closes; }
    int ApplyBufferSizes(int, int) override {
        ++bufferApplies;
        return 0;
    }
    int ApplyLineSettings(const TComDeviceControl& control) override {
        ++lineApplies;
        lastControl = control;
        return lineError;
    }
    int ApplyTimeouts(const TComTimeoutValues& timeouts) override {
        ++timeoutApplies;
        lastTimeouts = timeouts;
        return 0;
    }
    TComWaitResult WaitForEvents(TComEvents) override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || gone_ || !batches_.empty(); });
        if (stopped_) return {TComWaitResult::Stopped, {}, 0};
        if (gone_) return {TComWaitResult::DeviceGone, {}, *gone_};
        const TComEvents events = batches_.front();
        batches_.pop_front();
        return {TComWaitResult::Events, events, 0};
    }
    void StopWaiting() override {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }
    TComIoResult PendingInput() override {
        calls.append(QStringLiteral("count"));
        if (countError) return {0, countError};
        return {static_cast<int>(input.size()), 0};
    }
    TComIoResult Read(char* buffer, int count) override {
        calls.append(QStringLiteral("read"));
        if (readError) return {0, readError};
        const int n = std::min(count, static_cast<int>(input.size()));
        std::copy_n(input.constData(), n, buffer);
        input.remove(0, n);
        return {n, 0};
    }
    TComIoResult Write(const char* data, int count, int timeoutMs, bool reportDrained) override {
        lastWriteTimeout = timeoutMs;
        lastWriteReportsDrained = reportDrained;
        if (writeError) return {0, writeError};
        const int taken = writeRoom < 0 ? count : std::min(count, writeRoom);
        if (writeRoom >= 0) writeRoom -= taken;
        written.append(data, taken);
        return {taken, 0};
    }
    int Purge(TComPurges what) override {
        purges.append(what);
        return purgeError;
    }
    int ModemSignals(TComSignals& result) override {
        calls.append(QStringLiteral("signals"));
        result = lines;
        return 0;
    }
    int TakeLineErrors(TComErrors& errors) override {
        calls.append(QStringLiteral("errors"));
        errors = std::exchange(lineErrors, {});
        return 0;
    }

    int Applies() const { return bufferApplies + lineApplies + timeoutApplies; }
    void ResetCounts() { bufferApplies = lineApplies = timeoutApplies = 0; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TComEvents> batches_;
    bool stopped_ = false;
    std::optional<int> gone_;
};

}  // namespace torvel::testing
