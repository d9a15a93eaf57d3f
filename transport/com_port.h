#pragma once
// TComPort: one serial line with its settings, its event thread and its listeners. All of
// its operations and handlers run on the thread that owns the port object (the GUI thread);
// the event thread only waits for line events and hands each batch over to that thread.
// Received bytes, the one event that comes many times a reply, are watched on the port's
// thread itself where the line allows it.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "transport/com_backend.h"
#include "transport/com_error.h"
#include "transport/com_port_settings.h"
#include "transport/com_types.h"

class QSocketNotifier;

namespace torvel {

class IniFile;
class TComHandOver;
class TComThread;
class TCustomComPort;

// A listener of a port. Every callback is optional; a framer sets only OnRxBuf.
struct TComLink {
    std::function<void(bool on)> OnConn;
    std::function<void(TCustomComPort& sender, const QByteArray& bytes)> OnRxBuf;
    std::function<void(TCustomComPort& sender, const QByteArray& bytes)> OnTxBuf;
    std::function<void()> OnRxFlag;
    std::function<void(bool on)> OnCTSChange;
    std::function<void(bool on)> OnDSRChange;
    std::function<void(bool on)> OnRLSDChange;
    std::function<void()> OnRing;
    // On when a write starts, off when the line reports its output queue empty.
    std::function<void(bool on)> OnTx;
};

class TCustomComPort : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TCustomComPort& sender)>;
    using TRxCharEvent = std::function<void(TCustomComPort& sender, int count)>;
    using TRxBufEvent = std::function<void(TCustomComPort& sender, const QByteArray& bytes)>;
    using TComSignalEvent = std::function<void(TCustomComPort& sender, bool onOff)>;
    using TComErrorEvent = std::function<void(TCustomComPort& sender, TComErrors errors)>;
    using TComMessageEvent = std::function<void(TCustomComPort& sender, const QString& message)>;

    // The port of this platform, closed, with every setting at its default.
    explicit TCustomComPort(QObject* parent = nullptr);
    // Tests plug in a backend that counts or fails.
    explicit TCustomComPort(std::unique_ptr<TComBackend> backend, QObject* parent = nullptr);
    // Closes the port first; errors of that close are dropped.
    ~TCustomComPort() override;

    // ---- Settings. A changed value takes effect at once on an open port, or at the closing
    // EndSettingsUpdate inside a bracket. A setter may raise EComPort.
    QString Port() const { return port_; }
    // On an open port a different name closes and reopens it at once, bracket or not.
    void SetPort(const QString& value);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool value);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char value);
    TComParity& Parity() { return parity_; }
    const TComParity& Parity() const { return parity_; }
    TComFlowControl& FlowControl() { return flowControl_; }
    const TComFlowControl& FlowControl() const { return flowControl_; }
    TComTimeouts& Timeouts() { return timeouts_; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    TComBuffer& Buffer() { return buffer_; }
    const TComBuffer& Buffer() const { return buffer_; }
    // Taken when the event thread starts, at the next OpenPort.
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents value) { events_ = value; }
    TSyncMethod SyncMethod() const { return syncMethod_; }
    // A different value while open raises code 14.
    void SetSyncMethod(TSyncMethod value);
    TComPortState State() const { return state_; }
    // Open, not closing: handlers that run during a close already see false.
    bool Connected() const { return state_ == psOpen; }
    void SetConnected(bool value);

    // ---- Operations.
    // Nothing when open. Raises code 1 (with errno) when the device cannot be opened, then
    // nothing has changed; a setting the driver refuses closes it again and raises code 7.
    // Input that waited in the line from before this opening is dropped, since it answers no
    // request of ours (code 5, closed again, if that fails). Called by a handler while the
    // port closes: code 1 with EBUSY.
    void OpenPort();
    // Nothing unless open. Ends the event thread (a pending hand-over is dropped, unsent
    // output and unread input with it) and releases the device. Always ends closed, with the
    // listeners told; a failed step or handler is raised only then, the first one seen.
    void ClosePort();
    void BeginSettingsUpdate() { ++updateDepth_; }
    // Closing the outermost bracket puts every setting into effect on an open port.
    void EndSettingsUpdate();
    int UpdateDepth() const { return updateDepth_; }

    // Each character is one byte (code points above 255 go out as '?'). Returns the count
    // written, which is all of it; every failure is code 2 with its errno:
    // - The write blocks the calling thread for at most kWriteLimitMs, whatever the write
    //   time-outs allow. What is not out by then is purged, so no part of it reaches the far
    //   side later, and the error carries ETIMEDOUT. The port stays open.
    // - When the device is gone, the port has already closed itself and run OnLinkLost by
    //   the time the error is raised: Connected() is then false, and the caller must not
    //   report the loss again.
    // - Any other failure leaves the port open.
    int WriteText(const QString& text);
    int WriteBytes(QByteArrayView bytes);
    static constexpr int kWriteLimitMs = 100;
    int PendingInputCount();
    int ReadBytes(char* buffer, int count);
    TComErrors ReadLineErrors();
    TComSignals ReadModemSignals();

    // Code 18 for a link registered twice or removed while not registered. The port does not
    // own its links.
    void AddListener(TComLink* link);
    void RemoveListener(TComLink* link);

    // The basic group in the section named after the port (its objectName, "ComPort1" when it
    // has none). Code 16 when saving fails, 17 when loading fails.
    void SavePortSettings(const QString& fileName) const;
    void LoadPortSettings(const QString& fileName);
    // The same against a file already read, so that its owner writes it once with its own
    // sections. Writing the keys cannot fail; loading raises code 17 as above.
    void SavePortSettings(IniFile& file) const;
    void LoadPortSettings(const IniFile& file);
    QString SectionName() const;

    void ApplyLineSettings();
    void ApplyTimeoutSettings();
    void ApplyBufferSizes();
    void ApplyAllSettings();
    TComDeviceControl DeviceControl() const;

    // A batch or the device's loss handed over by the event thread, or input waiting for this
    // thread to take it, not yet taken up (for diagnostics).
    bool HandOverPending() const;

    // ---- Handlers (all optional).
    TNotifyEvent OnBeforeOpen, OnAfterOpen, OnBeforeClose, OnAfterClose;
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnRing, OnRxFlag;
    TComSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    TComErrorEvent OnError;
    // The device vanished (far side hung up, adapter pulled), seen by the event thread or by
    // a write. Reported once per opening; the port has already closed itself, so the next
    // OpenPort opens it again.
    TComMessageEvent OnLinkLost;
    // An error escaped the delivery of line events (a failed read or query, or an error thrown
    // by a handler or listener). The port stays open and goes on receiving.
    TComMessageEvent OnEventError;

private:
    Q_INVOKABLE void RunHandOver();
    // Errors that escape a delivery are reported; the port goes on receiving.
    template <typename Delivery>
    void DeliverGuarded(const Delivery& delivery);

    // Arrivals watched on the port's own thread (see StartEventThread).
    void StartInputWatch();
    void StopInputWatch();
    void InputArrived();
    void ReceiveWatched(const TComHandOver& owner);
    // The line's state for the watch; a line that hung up is lost here.
    TComEvents WatchedInputState();
    void LookAtUnreadInput();
    void ReportUnreadInput(int count);

    // What one batch of line events does, in its fixed order. `owner` is the hand-over of the
    // opening the batch belongs to.
    void DeliverEvents(TComEvents events, const TComHandOver& owner);
    void StartEventThread();
    void StopEventThread();
    void NotifyConnection(bool on);
    void ReportSignals(TComSignals lines);
    void DeliverEvent(TComEvent event, TComEvents& batch);
    void DeliverReceived(TComEvents& batch);
    // Hands bytes read to OnRxBuf and every listener; the event character raises evRxFlag.
    void TakeReceived(const QByteArray& bytes, TComEvents& batch);
    void HandleEventError(const EComPort& error);
    void ReportEventError(const QString& message);
    // The one way a gone device is handled: close, then OnLinkLost, once per opening.
    void LoseDevice(const QString& message);
    template <typename Callback, typename... Args>
    void CallLinks(Callback TComLink::*callback, Args&&... args);
    template <typename Callback>
    bool AnyLinkHas(Callback TComLink::*callback) const;

    std::unique_ptr<TComBackend> backend_;
    QString port_ = QStringLiteral("COM1");
    TBaudRate baudRate_ = br9600;
    int customBaudRate_ = 9600;
    TDataBits dataBits_ = dbEight;
    TStopBits stopBits_ = sbOneStopBit;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TComParity parity_{[this] { ApplyLineSettings(); }};
    TComFlowControl flowControl_{[this] { ApplyLineSettings(); }};
    TComTimeouts timeouts_{[this] { ApplyTimeoutSettings(); }};
    TComBuffer buffer_{[this] { ApplyBufferSizes(); }};
    TComEvents events_ = kAllComEvents;
    TSyncMethod syncMethod_ = smThreadSync;

    TComPortState state_ = psClosed;
    int updateDepth_ = 0;
    // The time-outs last put into effect; writes are bounded by these.
    TComTimeoutValues appliedTimeouts_;
    QList<TComLink*> links_;
    bool linksTakeBytes_ = false;
    // One per opening with an event thread: a batch whose hand-over is no longer this one
    // belongs to an opening that has ended.
    std::shared_ptr<TComHandOver> handOver_;
    std::unique_ptr<TComThread> thread_;
    QSocketNotifier* inputWatch_ = nullptr;
    // The count last given to OnRxChar while nobody takes bytes; a read starts afresh.
    int unreadReported_ = 0;
};

// Listeners in registration order; one removed by an earlier callback is skipped.
template <typename Callback, typename... Args>
void TCustomComPort::CallLinks(Callback TComLink::*callback, Args&&... args) {
    const QList<TComLink*> links = links_;
    for (TComLink* link : links) {
        if (!links_.contains(link)) continue;
        const Callback& function = link->*callback;
        if (function) function(args...);
    }
}

template <typename Callback>
bool TCustomComPort::AnyLinkHas(Callback TComLink::*callback) const {
    for (const TComLink* link : links_) {
        if (link->*callback) return true;
    }
    return false;
}

// The system's port: all logic is in TCustomComPort.
class TComPort : public TCustomComPort {
    Q_OBJECT

public:
    using TCustomComPort::TCustomComPort;
};

}  // namespace torvel
