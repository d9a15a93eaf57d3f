// TForm1: the window's side of the one request in flight. The session's line decides; these
// entry points feed it packets and ticks. Timer1 ticks the line by itself.
#include <QPushButton>

#include "app/form1.h"
#include "app/monitor_window.h"
#include "ui_form1.h"

void TForm1::ShowMonitor() {
    if (!monitor_)
        monitor_ = new torvel::TMonitorWindow(
            exchange_, [this] { return SessionClockNs(); }, this);
    monitor_->show();
    monitor_->raise();
    monitor_->activateWindow();
}

bool TForm1::SendRequest(const torvel::TExchangeOperation& operation, std::uint8_t address,
                         std::uint8_t function, const QString& requestData) {
    return session_->SendTo(operation, address, function, requestData);
}

bool TForm1::SendTesterRequest(std::uint8_t function, const QString& requestData) {
    return session_->Tester().Send(function, requestData);
}

void TForm1::CDP1Packet(const QString& packet) {
    session_->Line().Packet(packet);
}

void TForm1::Timer1Timer() {
    session_->Line().Tick();
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
