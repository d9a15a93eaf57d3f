#include "transport/com_port.h"

#include <QDebug>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <exception>

#include "transport/com_text.h"
#include "transport/com_thread.h"

namespace torvel {

namespace {

[[noreturn]] void Raise(TComPortError code, int systemError = -1) {
    throw EComPort(code, systemError);
}

}  // namespace

TCustomComPort::TCustomComPort(QObject* parent) : TCustomComPort(CreatePlatformBackend(), parent) {}

TCustomComPort::TCustomComPort(std::unique_ptr<TComBackend> backend, QObject* parent)
    : QObject(parent), backend_(std::move(backend)) {}

TCustomComPort::~TCustomComPort() {
    try {
        ClosePort();
    } catch (const std::exception& error) {
        qWarning("Closing the serial port failed: %s", error.what());
    } catch (...) {
        qWarning("Closing the serial port failed");
    }
}

// ---- Settings

template <typename T>
static bool Store(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}

void TCustomComPort::SetPort(const QString& value) {
    if (!Store(port_, value)) return;
    if (Connected()) {
        ClosePort();
        OpenPort();
    }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
    if (Store(baudRate_, value)) ApplyLineSettings();
}

void TCustomComPort::SetCustomBaudRate(int value) {
    if (Store(customBaudRate_, value)) ApplyLineSettings();
}

void TCustomComPort::SetDataBits(TDataBits value) {
    if (Store(dataBits_, value)) ApplyLineSettings();
}

void TCustomComPort::SetStopBits(TStopBits value) {
    if (Store(stopBits_, value)) ApplyLineSettings();
}

void TCustomComPort::SetDiscardNull(bool value) {
    if (Store(discardNull_, value)) ApplyLineSettings();
}

void TCustomComPort::SetEventChar(char value) {
    if (Store(eventChar_, value)) ApplyLineSettings();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (value == syncMethod_) return;
    if (state_ != psClosed) Raise(TComPortError::SetWhileConnected);
    syncMethod_ = value;
}

void TCustomComPort::SetConnected(bool value) {
    if (value) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void TCustomComPort::EndSettingsUpdate() {
    if (updateDepth_ < 1) return;
    if (--updateDepth_ == 0) ApplyAllSettings();
}

TComDeviceControl TCustomComPort::DeviceControl() const {
    TComDeviceControl control;
    control.baudRate = baudRate_ == brCustom ? customBaudRate_ : BaudRateValue(baudRate_);
    std::uint32_t flags = dcb::fBinary;
    const TComFlowControl& flow = flowControl_;
    if (parity_.Check()) flags |= dcb::fParity;
    if (flow.OutCTSFlow()) flags |= dcb::fOutxCtsFlow;
    if (flow.OutDSRFlow()) flags |= dcb::fOutxDsrFlow;
    constexpr std::uint32_t kDtr[] = {0, dcb::fDtrControlEnable, dcb::fDtrHandshake};
    flags |= kDtr[flow.ControlDTR()];
    if (flow.DSRSensitivity()) flags |= dcb::fDsrSensitivity;
    if (flow.TxContinueOnXoff()) flags |= dcb::fTXContinueOnXoff;
    if (flow.XonXoffOut()) flags |= dcb::fOutX;
    if (flow.XonXoffIn()) flags |= dcb::fInX;
    const bool replace = parity_.Check() && parity_.Replace();
    if (replace) flags |= dcb::fErrorChar;
    if (discardNull_) flags |= dcb::fNull;
    constexpr std::uint32_t kRts[] = {0, dcb::fRtsControlEnable, dcb::fRtsHandshake,
                                      dcb::fRtsToggle};
    flags |= kRts[flow.ControlRTS()];
    control.flags = flags;
    const int limit = buffer_.InputSize() / 4;
    control.xonLim = control.xoffLim = static_cast<std::uint16_t>(limit);
    control.byteSize = static_cast<std::uint8_t>(5 + dataBits_);
    control.parity = static_cast<std::uint8_t>(parity_.Bits());
    control.stopBits = static_cast<std::uint8_t>(stopBits_);
    control.xonChar = flow.XonChar();
    control.xoffChar = flow.XoffChar();
    control.errorChar = replace ? parity_.ReplaceChar() : 0;
    control.eofChar = 0;
    control.evtChar = eventChar_;
    return control;
}

void TCustomComPort::ApplyLineSettings() {
    if (!Connected() || updateDepth_ > 0) return;
    if (int error = backend_->ApplyLineSettings(DeviceControl()))
        Raise(TComPortError::SetStateFailed, error);
}

void TCustomComPort::ApplyTimeoutSettings() {
    if (!Connected() || updateDepth_ > 0) return;
    if (int error = backend_->ApplyTimeouts(timeouts_.Values()))
        Raise(TComPortError::SetTimeoutsFailed, error);
    appliedTimeouts_ = timeouts_.Values();
}

void TCustomComPort::ApplyBufferSizes() {
    if (!Connected() || updateDepth_ > 0) return;
    if (int error = backend_->ApplyBufferSizes(buffer_.InputSize(), buffer_.OutputSize()))
        Raise(TComPortError::SetupFailed, error);
}

void TCustomComPort::ApplyAllSettings() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeoutSettings();
}

// ---- Open and close

void TCustomComPort::OpenPort() {
    if (state_ == psOpen) return;
    if (state_ == psClosing) Raise(TComPortError::OpenFailed, EBUSY);
    if (OnBeforeOpen) OnBeforeOpen(*this);
    if (int error = backend_->Open(port_)) Raise(TComPortError::OpenFailed, error);
    state_ = psOpen;
    try {
        ApplyAllSettings();
        // A reply the previous user of the line never read would pass for the answer to our
        // first request.
        if (int error = backend_->Purge(puRxClear)) Raise(TComPortError::PurgeFailed, error);
    } catch (...) {
        backend_->Close();
        state_ = psClosed;
        throw;
    }
    if (events_) StartEventThread();
    NotifyConnection(true);
    if (OnAfterOpen) OnAfterOpen(*this);
    ReportSignals(ReadModemSignals());
}

void TCustomComPort::ClosePort() {
    if (state_ != psOpen) return;
    state_ = psClosing;
    // Every step runs whatever the ones before did: a port left half open could be neither
    // used nor opened again.
    std::exception_ptr firstError;
    auto step = [&firstError](const auto& action) {
        try {
            action();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    step([this] { ReportSignals({}); });
    step([this] {
        if (OnBeforeClose) OnBeforeClose(*this);
    });
    step([this] {
        if (int error = backend_->Purge(TComPurges(puTxAbort) | puRxAbort))
            Raise(TComPortError::PurgeFailed, error);
    });
    StopEventThread();
    backend_->Close();
    state_ = psClosed;
    step([this] { NotifyConnection(false); });
    step([this] {
        if (OnAfterClose) OnAfterClose(*this);
    });
    if (firstError) std::rethrow_exception(firstError);
}

void TCustomComPort::StartEventThread() {
    // By name: the queued call is then made of Qt's objects alone. A slot object of ours, made
    // on the event thread and freed on this one under Qt's locks, would pass for a data race
    // to the thread sanitizer, which cannot see those locks.
    handOver_ = std::make_shared<TComHandOver>(
        [this] { QMetaObject::invokeMethod(this, "RunHandOver", Qt::QueuedConnection); });
    // A reply comes in as many small arrivals (a byte every 87 us at 115200 bit/s). Waking the
    // event thread for each and handing it over would cost more than the arrival itself, so
    // this thread watches the line for input where the line offers a descriptor; the event
    // thread waits for the other events and still notices a line that hangs up. Every handler
    // runs here either way, one arrival at a time.
    TComEvents threadEvents = events_;
    if (events_.testFlag(evRxChar) && syncMethod_ == smThreadSync &&
        backend_->InputDescriptor() >= 0) {
        threadEvents &= ~TComEvents(evRxChar);
        StartInputWatch();
    }
    thread_ = std::make_unique<TComThread>(*backend_, threadEvents, syncMethod_, handOver_);
}

void TCustomComPort::StopEventThread() {
    StopInputWatch();
    if (!thread_) return;
    thread_->Stop();
    thread_.reset();
    handOver_.reset();
    // What the line still held belongs to the opening that ends here.
    backend_->Purge(TComPurges(puTxClear) | puRxClear);
}

bool TCustomComPort::HandOverPending() const {
    if (!handOver_) return false;
    if (handOver_->Pending()) return true;
    return inputWatch_ && inputWatch_->isEnabled() &&
           backend_->InputState().events.testFlag(evRxChar);
}

void TCustomComPort::NotifyConnection(bool on) {
    CallLinks(&TComLink::OnConn, on);
}

void TCustomComPort::ReportSignals(TComSignals lines) {
    const bool cts = lines.testFlag(csCTS);
    const bool dsr = lines.testFlag(csDSR);
    const bool rlsd = lines.testFlag(csRLSD);
    CallLinks(&TComLink::OnCTSChange, cts);
    if (OnCTSChange) OnCTSChange(*this, cts);
    CallLinks(&TComLink::OnDSRChange, dsr);
    if (OnDSRChange) OnDSRChange(*this, dsr);
    CallLinks(&TComLink::OnRLSDChange, rlsd);
    if (OnRLSDChange) OnRLSDChange(*this, rlsd);
}

// ---- Transfers

int TCustomComPort::WriteText(const QString& text) {
    return WriteBytes(text.toLatin1());
}

int TCustomComPort::WriteBytes(QByteArrayView bytes) {
    if (bytes.isEmpty()) return 0;
    if (!Connected()) Raise(TComPortError::WriteFailed, EBADF);
    const int size = static_cast<int>(bytes.size());
    CallLinks(&TComLink::OnTx, true);
    // The caller is the GUI thread: a line held up by flow control must not freeze it for
    // the seconds the time-outs would allow.
    const int configured = WriteTimeoutMs(appliedTimeouts_, size);
    const int limit = configured < 0 ? kWriteLimitMs : std::min(configured, kWriteLimitMs);
    // The drained queue only tells listeners that sending is off; without one, the event
    // thread need not wake for it after every request.
    const TComIoResult result =
        backend_->Write(bytes.data(), size, limit, AnyLinkHas(&TComLink::OnTx));
    if (result.error) {
        if (IsDeviceGoneError(result.error))
            LoseDevice(EComPort(TComPortError::WriteFailed, result.error).Message());
        Raise(TComPortError::WriteFailed, result.error);
    }
    if (result.count < size) {
        // The head of a request without its tail would reach the far side as garbage, or
        // worse, complete a later one; the time-out itself is the error reported.
        backend_->Purge(puTxClear);
        Raise(TComPortError::WriteFailed, ETIMEDOUT);
    }
    if (AnyLinkHas(&TComLink::OnTxBuf)) {
        const QByteArray sent = bytes.toByteArray();
        CallLinks(&TComLink::OnTxBuf, *this, sent);
    }
    return result.count;
}

int TCustomComPort::PendingInputCount() {
    if (!Connected()) Raise(TComPortError::ClearErrorFailed, EBADF);
    const TComIoResult result = backend_->PendingInput();
    if (result.error) Raise(TComPortError::ClearErrorFailed, result.error);
    return result.count;
}

int TCustomComPort::ReadBytes(char* buffer, int count) {
    if (count <= 0) return 0;
    if (!Connected()) Raise(TComPortError::ReadFailed, EBADF);
    unreadReported_ = 0;
    const TComIoResult result = backend_->Read(buffer, count);
    if (result.error) Raise(TComPortError::ReadFailed, result.error);
    return result.count;
}

TComErrors TCustomComPort::ReadLineErrors() {
    TComErrors errors;
    if (!Connected()) Raise(TComPortError::ClearErrorFailed, EBADF);
    if (int error = backend_->TakeLineErrors(errors)) Raise(TComPortError::ClearErrorFailed, error);
    if (!parity_.Check()) errors &= ~TComErrors(ceRxParity);
    return errors;
}

TComSignals TCustomComPort::ReadModemSignals() {
    TComSignals lines;
    if (!Connected()) Raise(TComPortError::ModemStatusFailed, EBADF);
    if (int error = backend_->ModemSignals(lines)) Raise(TComPortError::ModemStatusFailed, error);
    return lines;
}

// ---- Listeners

void TCustomComPort::AddListener(TComLink* link) {
    if (!link || links_.contains(link)) Raise(TComPortError::LinkRegistration);
    links_.append(link);
    linksTakeBytes_ = AnyLinkHas(&TComLink::OnRxBuf);
}

void TCustomComPort::RemoveListener(TComLink* link) {
    if (!links_.removeOne(link)) Raise(TComPortError::LinkRegistration);
    linksTakeBytes_ = AnyLinkHas(&TComLink::OnRxBuf);
}

}  // namespace torvel
