// TForm1: the one request in flight. SendRequest writes it, Timer1 bounds the wait for its
// reply, CDP1Packet checks each reply and hands it to the branch of the operation that asked.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "app/form1.h"
#include "protocol/frame.h"
#include "protocol/requests.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "ui_form1.h"

namespace {

// Leftover data shows at most this many characters of the packet.
constexpr int kLeftoverShown = 40;
// What the time-out counter restarts from when it would overflow.
constexpr int kTicksAfterOverflow = 20;

const QString kExchangeFailed = QStringLiteral("Ошибка при обмене с устройством");

}  // namespace

void TForm1::ConnectExchange() {
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::SendRequest(std::uint8_t address, std::uint8_t function, const QString& requestData) {
    // Kept even when the write fails: the tester repeats from these.
    LastRequestFunction = function;
    LastRequestData = requestData;
    try {
        ComPort1->WriteText(torvel::RequestLine(address, function, requestData));
    } catch (const torvel::EComPort& error) {
        if (torvel::IsDeviceGoneError(error.SystemErrorCode()) && ComPort1->Connected()) {
            // The device vanished under the write. Closing now keeps the port from
            // reporting the same loss a second time when its hang-up arrives.
            try {
                ComPort1->ClosePort();
            } catch (const torvel::EComPort&) {
                // The device is gone; the close has nothing left to fail on that matters.
            }
            LinkLost(error.Message());
            return;
        }
        ReportLinkError(error.Message());
        EnableLoadControls(true);
        return;
    }
    ReplyExpected = true;
    ReplyTicks = 0;
    Timer1->start();
}

std::uint8_t TForm1::ComputeLrc(const QString& text) const {
    return torvel::ComputeLrc(text);
}

bool TForm1::ValidateFrame(const QString& packet, std::uint8_t& function, QString& payload) const {
    return torvel::ValidateFrame(packet, function, payload);
}

bool TForm1::CheckException(std::uint8_t function, const QString& payload, QString& message) const {
    return torvel::CheckException(function, payload, message);
}

void TForm1::CDP1Packet(const QString& packet) {
    Timer1->stop();
    DeviceConnected = true;
    if (!ReplyExpected) {
        ui->StatusTest->setText(QStringLiteral("Остаток в буфере обмена ") +
                                packet.left(kLeftoverShown) + QStringLiteral("..."));
        return;
    }
    QString payload;
    if (!ValidateFrame(packet, ReplyFunction, payload)) {
        ReplyExpected = false;
        LogEvent(kExchangeFailed, QStringLiteral("Ошибка CRC"));
        EnableLoadControls(true);
        return;
    }
    QString message;
    if (!CheckException(ReplyFunction, payload, message)) {
        ExceptionReply(message);
        return;
    }
    DispatchReply(ReplyFunction, payload);
}

void TForm1::ExceptionReply(const QString& message) {
    // A reply came, so ReplyExpected stays set on both paths.
    LogEvent(kExchangeFailed, message);
    if (TesterActive) {
        TesterActive = false;
        Timer2->stop();
        Timer3->stop();
        ui->StatusTest->setText(message);
        EnableTesterControls(true);
        // The tester's result file closes here once the tester has one.
        return;
    }
    EnableLoadControls(true);
}

void TForm1::DispatchReply(std::uint8_t function, const QString& payload) {
    switch (function) {
        case torvel::fnReportSlaveId:
            IdentificationReply(payload);
            return;
        case torvel::fnWriteFileRecord:
            if (!TesterActive) {
                UploadReply();
                return;
            }
            // A RAM/ROM write of the tester.
            [[fallthrough]];
        case torvel::fnReadCoils:
        case torvel::fnReadRegisters:
        case torvel::fnWriteCoil:
        case torvel::fnWriteRegister:
        case torvel::fnReadFileRecord:
        case torvel::fnInterrupt:
            // Branch point of the tester's read, write and interrupt-wait replies; until the
            // tester lands they end here like a reply without a branch.
            return;
        default:
            // No operation sends other functions; the reply changes nothing.
            return;
    }
}

void TForm1::Timer1Timer() {
    ReplyTicks =
        ReplyTicks == std::numeric_limits<int>::max() ? kTicksAfterOverflow : ReplyTicks + 1;
    if (ReplyTicks <= DefaultTimeout) return;
    Timer1->stop();
    DeviceConnected = false;
    if (TesterActive) EnableTesterControls(true);
    TesterActive = false;
    ReplyExpected = false;
    UploadStarted = false;
    StatusPanel(3)->clear();
    EnableLoadControls(true);
    LogEvent(QStringLiteral("Ошибка обмена с устройством"), QStringLiteral("ТАЙМАУТ"));
    // The tester's result file closes here once the tester has one.
}

void TForm1::EnableLoadControls(bool enabled) {
    ui->Button1->setEnabled(enabled);
    ui->Button2->setEnabled(enabled);
    ui->Button3->setEnabled(enabled);
    // The pages' tab-stop: whether Tab may move the focus onto them.
    const Qt::FocusPolicy pagePolicy = enabled ? Qt::TabFocus : Qt::NoFocus;
    ui->TabSheet2->setFocusPolicy(pagePolicy);
    ui->TabSheet3->setFocusPolicy(pagePolicy);
}

void TForm1::EnableTesterControls(bool enabled) {
    for (QGroupBox* group : {ui->GroupBox3, ui->GroupBox4, ui->GroupBox5, ui->GroupBox9})
        group->setEnabled(enabled);
    ui->PBTest->setEnabled(enabled);
    // The tester puts its state back into the fields here once it lands (ShowTesterState).
    if (enabled) StatusPanel(3)->clear();
}
