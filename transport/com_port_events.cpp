// The delivery of line events on the port's thread, and what happens when it fails.

#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>
#include <optional>

#include "transport/com_port.h"
#include "transport/com_thread.h"

namespace torvel {

namespace {

// Handlers of failures run from the event loop, where an escaping error would end the program.
template <typename Function>
void CallGuarded(const Function& function) {
    try {
        function();
    } catch (const std::exception& error) {
        qWarning("Serial port handler failed: %s", error.what());
    } catch (...) {
        qWarning("Serial port handler failed");
    }
}

// How soon bytes that nobody reads are looked at again.
constexpr int kUnreadSamplePeriodMs = 100;
// More than a reply: what is left is read at the next arrival.
constexpr int kWatchedReadSize = 4096;

}  // namespace

template <typename Delivery>
void TCustomComPort::DeliverGuarded(const Delivery& delivery) {
    try {
        delivery();
    } catch (const EComPort& error) {
        HandleEventError(error);
    } catch (const std::exception& error) {
        ReportEventError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ReportEventError(QStringLiteral("Unknown error"));
    }
}

void TCustomComPort::RunHandOver() {
    // Kept alive here: a handler may close the port, which drops the port's reference.
    const std::shared_ptr<TComHandOver> handOver = handOver_;
    if (!handOver) return;
    if (const std::optional<int> error = handOver->TakeDeviceGone()) {
        LoseDevice(EComPort(TComPortError::ReadFailed, *error).Message());
        return;
    }
    const std::optional<TComEvents> batch = handOver->TakeBatch();
    if (!batch) return;
    DeliverGuarded([&] { DeliverEvents(*batch, *handOver); });
    handOver->FinishBatch();
}

void TCustomComPort::StartInputWatch() {
    inputWatch_ = new QSocketNotifier(backend_->InputDescriptor(), QSocketNotifier::Read, this);
    connect(inputWatch_, &QSocketNotifier::activated, this, &TCustomComPort::InputArrived);
    unreadReported_ = 0;
}

void TCustomComPort::StopInputWatch() {
    if (!inputWatch_) return;
    // The descriptor closes next; the notifier may be the one whose signal runs now.
    inputWatch_->setEnabled(false);
    inputWatch_->deleteLater();
    inputWatch_ = nullptr;
}

void TCustomComPort::InputArrived() {
    const std::shared_ptr<TComHandOver> handOver = handOver_;
    if (!handOver || !Connected()) return;
    if (linksTakeBytes_) {
        DeliverGuarded([&] { ReceiveWatched(*handOver); });
        return;
    }
    LookAtUnreadInput();
}

TComEvents TCustomComPort::WatchedInputState() {
    const TComWaitResult state = backend_->InputState();
    if (state.kind != TComWaitResult::DeviceGone) return state.events;
    LoseDevice(EComPort(TComPortError::ReadFailed, state.error).Message());
    return {};
}

void TCustomComPort::ReceiveWatched(const TComHandOver& owner) {
    // Read at once, without asking for the count first: every arrival is a call fewer.
    char buffer[kWatchedReadSize];
    const int count = ReadBytes(buffer, kWatchedReadSize);
    if (count == 0) {
        // Readable with nothing to read: a line that hung up, or nothing at all.
        WatchedInputState();
        return;
    }
    TComEvents batch = evRxChar;
    TakeReceived(QByteArray(buffer, count), batch);
    if (batch.testFlag(evRxFlag) && handOver_.get() == &owner) DeliverEvents(evRxFlag, owner);
}

void TCustomComPort::LookAtUnreadInput() {
    if (!WatchedInputState().testFlag(evRxChar)) return;
    DeliverGuarded([&] { ReportUnreadInput(PendingInputCount()); });
}

void TCustomComPort::ReportUnreadInput(int count) {
    // Bytes nobody reads keep the line readable: the count is told once per growth, and the
    // line is looked at again a sample period later instead of at once, for ever.
    const bool grown = count > unreadReported_;
    unreadReported_ = count;
    if (grown && OnRxChar) OnRxChar(*this, count);
    QSocketNotifier* watch = inputWatch_;
    if (!watch || unreadReported_ == 0) return;
    watch->setEnabled(false);
    QTimer::singleShot(kUnreadSamplePeriodMs, watch, [this, watch] {
        // A notifier left behind by a close stays off.
        if (watch == inputWatch_) watch->setEnabled(true);
    });
}

void TCustomComPort::DeliverEvents(TComEvents events, const TComHandOver& owner) {
    if (!Connected()) return;
    TComEvents batch = events;
    for (TComEvent event : kEventDeliveryOrder) {
        if (!batch.testFlag(event)) continue;
        DeliverEvent(event, batch);
        // A handler closed (or closed and reopened) the port: the rest belongs to no one.
        if (handOver_.get() != &owner) return;
    }
}

void TCustomComPort::DeliverEvent(TComEvent event, TComEvents& batch) {
    switch (event) {
        case evError: {
            const TComErrors errors = ReadLineErrors();
            if (errors && OnError) OnError(*this, errors);
            break;
        }
        case evRxChar:
            DeliverReceived(batch);
            break;
        case evTxEmpty:
            CallLinks(&TComLink::OnTx, false);
            break;
        case evBreak:
        case evRx80Full:
            // Nothing here listens to these; a break also comes as a line error.
            break;
        case evRing:
            CallLinks(&TComLink::OnRing);
            if (OnRing) OnRing(*this);
            break;
        case evCTS: {
            const bool on = ReadModemSignals().testFlag(csCTS);
            CallLinks(&TComLink::OnCTSChange, on);
            if (OnCTSChange) OnCTSChange(*this, on);
            break;
        }
        case evDSR: {
            const bool on = ReadModemSignals().testFlag(csDSR);
            CallLinks(&TComLink::OnDSRChange, on);
            if (OnDSRChange) OnDSRChange(*this, on);
            break;
        }
        case evRLSD: {
            const bool on = ReadModemSignals().testFlag(csRLSD);
            CallLinks(&TComLink::OnRLSDChange, on);
            if (OnRLSDChange) OnRLSDChange(*this, on);
            break;
        }
        case evRxFlag:
            CallLinks(&TComLink::OnRxFlag);
            if (OnRxFlag) OnRxFlag(*this);
            break;
    }
}

void TCustomComPort::DeliverReceived(TComEvents& batch) {
    const int count = PendingInputCount();
    if (count <= 0) return;
    if (!linksTakeBytes_) {
        // Nobody takes bytes: they stay queued for the handler to read.
        if (OnRxChar) OnRxChar(*this, count);
        return;
    }
    // All waiting bytes in one read, handed to every listener as one shared chunk.
    QByteArray bytes(count, Qt::Uninitialized);
    bytes.truncate(ReadBytes(bytes.data(), count));
    TakeReceived(bytes, batch);
}

void TCustomComPort::TakeReceived(const QByteArray& bytes, TComEvents& batch) {
    if (bytes.isEmpty()) return;
    // The line cannot tell the event character apart; it is found among the bytes read.
    if (events_.testFlag(evRxFlag) && bytes.contains(eventChar_)) batch |= evRxFlag;
    if (OnRxBuf) OnRxBuf(*this, bytes);
    CallLinks(&TComLink::OnRxBuf, *this, bytes);
}

void TCustomComPort::HandleEventError(const EComPort& error) {
    if (IsDeviceGoneError(error.SystemErrorCode())) {
        LoseDevice(error.Message());
    } else {
        ReportEventError(error.Message());
    }
}

void TCustomComPort::ReportEventError(const QString& message) {
    if (!OnEventError) {
        qWarning("Serial port event failed: %s", qPrintable(message));
        return;
    }
    CallGuarded([&] { OnEventError(*this, message); });
}

void TCustomComPort::LoseDevice(const QString& message) {
    // Once per opening: the close below makes every later report of this loss a no-op, from
    // the event thread as from a write. A loss seen while the port closes anyway is no news.
    if (state_ != psOpen) return;
    // The close always ends closed; a step that failed in it is logged, the loss reported.
    CallGuarded([&] { ClosePort(); });
    if (!OnLinkLost) {
        qWarning("Serial device lost: %s", qPrintable(message));
        return;
    }
    CallGuarded([&] { OnLinkLost(*this, message); });
}

}  // namespace torvel
