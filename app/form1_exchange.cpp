// TForm1: the window's side of the one request in flight. The exchange (protocol/) decides;
// these entry points feed it packets and ticks, write its lines and show how each ended.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cerrno>

#include "app/form1.h"
#include "app/monitor_window.h"
#include "common/cp1251.h"
#include "transport/com_data_packet.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "ui_form1.h"

namespace {

// Leftover data shows at most this many characters of the packet.
constexpr int kLeftoverShown = 40;

}  // namespace

void TForm1::ConnectExchange() {
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    // Bytes before a ":" are dropped by the framer; the monitor shows them as noise.
    CDP1->OnDiscard = [this](torvel::TComDataPacket&, const QByteArray& bytes) {
        exchange_.Noise(QString::fromLatin1(bytes));
    };
}

void TForm1::ShowMonitor() {
    if (!monitor_)
        monitor_ = new torvel::TMonitorWindow(
            exchange_, [this] { return SessionClockNs(); }, this);
    monitor_->show();
    monitor_->raise();
    monitor_->activateWindow();
}

void TForm1::SendRequest(const torvel::TExchangeOperation& operation, std::uint8_t address,
                         std::uint8_t function, const QString& requestData) {
    exchange_.Send(operation, address, function, requestData, DefaultTimeout);
}

void TForm1::SendTesterRequest(std::uint8_t function, const QString& requestData) {
    SendRequest(tester_, static_cast<std::uint8_t>(SlaveAddress), function, requestData);
}

void TForm1::CDP1Packet(const QString& packet) {
    // Any packet at all shows that something answers on the line.
    DeviceConnected = true;
    exchange_.Packet(packet);
}

void TForm1::Timer1Timer() {
    exchange_.Tick();
}

torvel::WriteResult TForm1::WriteRequestLine(const QString& line) {
    try {
        ComPort1->WriteText(line);
        return {};
    } catch (const torvel::EComPort& error) {
        // A device gone under the write has closed the port and ended the exchange already.
        if (error.SystemErrorCode() == ETIMEDOUT)
            return {torvel::ExchangeOutcome::eoWriteTimeout, error.Message()};
        return {torvel::ExchangeOutcome::eoWriteFailed, error.Message()};
    }
}

void TForm1::RunReplyTimer(bool run) {
    // A running timer keeps its period: a leftover packet does not restart the wait.
    if (!run) {
        Timer1->stop();
    } else if (!Timer1->isActive()) {
        Timer1->start();
    }
}

void TForm1::ExchangeEnded(torvel::ExchangeOutcome outcome, const torvel::DecodedReply& reply,
                           const QString& detail) {
    const torvel::OutcomeRule rule = torvel::OutcomeText(outcome, reply.exceptionCode);
    if (rule.deviceSilent) DeviceConnected = false;
    switch (rule.report) {
        case torvel::OutcomeReportKind::orkNone:
            return;
        case torvel::OutcomeReportKind::orkEvent:
            LogEvent(rule.message, rule.tag);
            break;
        case torvel::OutcomeReportKind::orkLinkError:
            ReportLinkError(detail);
            break;
    }
    EnableLoadControls(true);
}

void TForm1::LeftoverData(const QString& packet) {
    // Received bytes travel as one character each; shown, they are Windows-1251 text.
    ui->StatusTest->setText(QStringLiteral("Остаток в буфере обмена ") +
                            torvel::FromCp1251(packet.left(kLeftoverShown).toLatin1()) +
                            QStringLiteral("..."));
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
