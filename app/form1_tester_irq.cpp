// TForm1: the interrupt handler mode. Button13Click arms the board's handler; its
// acknowledgement, its events and its answer to disarming come in as function-25 replies,
// the events unasked, and the mode ends with the last event asked for or at "Ст&оп".
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "app/tester_texts.h"
#include "common/datetime.h"
#include "protocol/requests.h"
#include "transport/com_port.h"
#include "ui_form1.h"

namespace {

constexpr int kInterruptLines = 2;

}  // namespace

std::optional<torvel::TIrqSettings> TForm1::CaptureIrqSettings() {
    const std::optional<qint32> returnAddr = ui->MEdit4->GetValue();
    if (!returnAddr) {
        RefuseTesterStart(QStringLiteral("Поле \"Адрес\" не содержит числа"));
        return std::nullopt;
    }
    IrqNumber = static_cast<quint8>(ui->ComboBox5->currentIndex() % kInterruptLines);
    IrqRepeatCount = static_cast<quint16>(ui->SpinEdit6->value());
    IrqRegCount = static_cast<quint16>(ui->SpinEdit7->value());
    IrqReturnAddr = static_cast<quint16>(*returnAddr);
    IrqReadReg = ui->CheckBox3->isChecked();
    ReadToFile = ui->CheckBox4->isChecked();
    return torvel::TIrqSettings{IrqNumber, IrqRepeatCount, IrqReadReg, *returnAddr, IrqRegCount};
}

void TForm1::Button13Click() {
    // A timer left running by a read that timed out would resend the arming request.
    Timer2->stop();
    Timer3->stop();
    const std::optional<torvel::TIrqSettings> settings = CaptureIrqSettings();
    if (!settings) return;
    const std::optional<torvel::TTesterRequest> arming = irq_.Start(*settings);
    if (!arming) {
        // A first register above FFh does not fit the request: refused, never cut.
        RefuseTesterAddress();
        return;
    }
    const bool withFile = ReadToFile && IrqReadReg;
    if (withFile && ResultFileName.isEmpty()) {
        RefuseTesterStart(QStringLiteral("Не указано имя файла для записи результатов чтения"));
        return;
    }
    if (withFile &&
        !OpenResultFile(torvel::IrqHeader(torvel::NowText(), IrqNumber, IrqRepeatCount,
                                          IrqReturnAddr, IrqRegCount, OutputFormat == 1))) {
        LogEvent(QStringLiteral("Ошибка при открытии файла ") + ResultFileName, torvel::kTesterTag);
        return;
    }
    EnableTesterControls(false);
    ColourValueField(*ui->MEdit2, true);
    TesterActive = true;
    IrqArmed = false;
    IrqStopRequested = false;
    testerOperation_ = TesterOperation::Irq;
    StatusPanel(3)->setText(torvel::kTesterMarker);
    ui->PBTest->setValue(0);
    ui->StatusTest->setText(QStringLiteral("Ожидание прерывания"));
    SendTesterRequest(arming->Function, arming->Data);
    // A request the line did not take has ended the mode already.
    if (TesterActive)
        LogEvent(QStringLiteral("Запущен оработчик прерывания #") + QString::number(IrqNumber),
                 torvel::kTesterTag);
}

void TForm1::IrqReply(const torvel::DecodedReply& reply) {
    const torvel::TIrqStep step = irq_.Reply(reply);
    switch (step.Kind) {
        case torvel::TIrqReplyKind::irAcknowledged:
            // From now on the board reports when it likes; no time-out applies.
            IrqArmed = true;
            exchange_.Listen(tester_, torvel::fnInterrupt);
            return;
        case torvel::TIrqReplyKind::irDisarmed:
            StopTesterOperation();
            return;
        case torvel::TIrqReplyKind::irEvent:
            break;
    }
    if (step.Shown) {
        readValue_ = *step.Shown;
        ui->MEdit2->SetValue(readValue_);
    }
    ui->StatusTest->setText(QStringLiteral("OK"));
    ui->PBTest->setValue(step.Progress);
    WriteIrqEvent(step.EventNumber, reply.data);
    if (step.End == torvel::TStepEnd::Stop) StopTesterOperation();
}

void TForm1::WriteIrqEvent(int eventNumber, const QString& payload) {
    if (!ResultFile.IsOpen() || !resultLayout_) return;
    ResultFile.Write(torvel::FormatIrqEvent(eventNumber, payload, resultLayout_->Format()));
}

void TForm1::DisarmInterrupt() {
    Upload.UploadStarted = false;
    IrqStopRequested = true;
    const torvel::TTesterRequest disarm = irq_.Disarm();
    SendTesterRequest(disarm.Function, disarm.Data);
}

void TForm1::AbandonTesterOperation() {
    if (!TesterActive) return;
    // The arming may have reached the board even when its acknowledgement has not come back.
    const bool disarm = testerOperation_ == TesterOperation::Irq;
    StopTesterOperation();
    if (!disarm || !ComPort1->Connected()) return;
    const torvel::TTesterRequest request = irq_.DisarmRequest();
    SendRequest(unanswered_, static_cast<std::uint8_t>(SlaveAddress), request.Function,
                request.Data);
    exchange_.Withdraw(unanswered_);
}
