// TForm1: the tester's read. Button7Click starts it, each reply shows and writes what the
// read stepper says, and Timer2/Timer3 send the repetitions that the read or the write
// prepares; "Ст&оп" ends either, or disarms the interrupt handler.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "app/tester_texts.h"
#include "common/datetime.h"
#include "common/hex.h"
#include "ui_form1.h"

using torvel::kOperatorError;
using torvel::kOperatorTag;
using torvel::kTesterMarker;
using torvel::kTesterTag;

bool TForm1::CaptureTesterSettings() {
    // A decimal field holding no number (a lone "-") stops the operation before anything
    // changes or is sent.
    const std::optional<qint32> address = ui->MEdit1->GetValue();
    const std::optional<qint32> value = ui->MEdit3->GetValue();
    if (!address || !value) {
        RefuseTesterStart(
            QStringLiteral("Поле \"%1\" не содержит числа")
                .arg(!address ? QStringLiteral("Адрес") : QStringLiteral("Значение")));
        return false;
    }
    ui->StatusTest->clear();
    enteredAddress_ = *address;
    TesterAddress = static_cast<quint16>(*address);
    AddrType = static_cast<quint16>(SelectedAddressType());
    AutoRepeat = ui->CheckBox2->isChecked();
    Stepcount = ui->SpinEdit1->value();
    DelayRepeat = ui->SpinEdit4->value();
    ui->MEdit2->SetValue(0);
    readValue_ = 0;
    enteredValue_ = *value;
    writeValue_ = static_cast<quint16>(*value);
    ReadToFile = ui->CheckBox4->isChecked();
    WriteFromFile = ui->CheckBox5->isChecked();
    for (QTimer* timer : {Timer2, Timer3}) {
        timer->setInterval(DelayRepeat);
        timer->stop();
    }
    ui->PBTest->setValue(0);
    StatusPanel(3)->setText(kTesterMarker);
    return true;
}

void TForm1::RefuseTesterStart(const QString& event, const QString& tag) {
    LogEvent(event, tag);
    ui->StatusTest->setText(kOperatorError);
    StatusPanel(3)->clear();
}

void TForm1::Button7Click() {
    if (!CaptureTesterSettings()) return;
    if (ReadToFile && ResultFileName.isEmpty()) {
        RefuseTesterStart(QStringLiteral("Не указано имя файла для записи результатов чтения"));
        return;
    }
    if (ReadToFile &&
        !OpenResultFile(torvel::ReadHeader(torvel::NowText(), TesterAddress, AutoRepeat, Stepcount,
                                           OutputFormat == 1))) {
        LogEvent(QStringLiteral("Ошибка при открытии файла ") + ResultFileName, kTesterTag);
        StatusPanel(3)->clear();
        return;
    }
    BeginTesterOperation(TesterOperation::Read,
                         QStringLiteral("Чтение данных из устройства"));
    const std::optional<torvel::TTesterRequest> first =
        read_.Start({static_cast<torvel::TAddrType>(AddrType), enteredAddress_, AutoRepeat,
                     Stepcount, BoardRanges()});
    if (!first) {
        RefuseTesterAddress();
        return;
    }
    SendFirstTesterRequest(*first, read_.Pacer(), *ui->MEdit2);
}

void TForm1::BeginTesterOperation(TesterOperation operation, const QString& what) {
    TesterActive = true;
    IrqArmed = false;
    IrqStopRequested = false;
    testerOperation_ = operation;
    const QString started = what + QStringLiteral(" по адресу ") + torvel::Hex(TesterAddress, 5);
    if (AutoRepeat) {
        Timer2->start();
        LogEvent(started + QStringLiteral(" с повтором ") + QString::number(Stepcount) +
                     QStringLiteral(" раз"),
                 kTesterTag);
    } else {
        LogEvent(started, kTesterTag);
    }
}

void TForm1::SendFirstTesterRequest(const torvel::TTesterRequest& request, torvel::TPacer pacer,
                                    QWidget& valueField) {
    if (pacer == torvel::TPacer::Pages) {
        Timer2->stop();
        Timer3->start();
    }
    EnableTesterControls(false);
    // Disabled, the address and the value still look like the values they are.
    ColourValueField(*ui->MEdit1, true);
    ColourValueField(valueField, true);
    SendTesterRequest(request.Function, request.Data);
}

void TForm1::RefuseTesterAddress() {
    const QString refused = QStringLiteral("Указан недопустимый адрес");
    LogEvent(refused, kTesterTag);
    EndRefusedOperation(refused);
}

void TForm1::EndRefusedOperation(const QString& status) {
    ui->StatusTest->setText(status);
    Timer2->stop();
    Timer3->stop();
    TesterActive = false;
    testerOperation_ = TesterOperation::None;
    EnableTesterControls(true);
    CloseResultFile();
}

torvel::TBoardRanges TForm1::BoardRanges() const {
    return {Device.CoilStart,     Device.CoilEnd,       Device.HoldStart,    Device.HoldEnd,
            Device.PageOffsetMin, Device.PageOffsetMax, Device.PageChunkSize};
}

void TForm1::ReadReply(const torvel::DecodedReply& reply) {
    const torvel::TReadStep step = read_.Reply(reply);
    if (step.Malformed) {
        const torvel::OutcomeRule rule = torvel::OutcomeText(torvel::ExchangeOutcome::eoBadFrame);
        LogEvent(rule.message, rule.tag);
        TesterFailed(torvel::ExchangeOutcome::eoBadFrame, reply);
        return;
    }
    if (step.Shown) {
        readValue_ = *step.Shown;
        ui->MEdit2->SetValue(readValue_);
    }
    ui->StatusTest->setText(QStringLiteral("OK"));
    for (const torvel::TResultValue& value : step.Values) WriteResultValue(value);
    FollowStep(step.End);
}

void TForm1::FollowStep(torvel::TStepEnd end) {
    switch (end) {
        case torvel::TStepEnd::Continue:
            return;
        case torvel::TStepEnd::Done:
            EndTesterOperation();
            return;
        case torvel::TStepEnd::Stop:
            StopTesterOperation();
            return;
    }
}

void TForm1::EndTesterOperation() {
    TesterActive = false;
    testerOperation_ = TesterOperation::None;
    Timer2->stop();
    Timer3->stop();
    CloseResultFile();
    EnableTesterControls(true);
}

torvel::TRepeatingOperation* TForm1::RepeatingOperation() {
    switch (testerOperation_) {
        case TesterOperation::Read:
            return &read_;
        case TesterOperation::Write:
            return &write_;
        case TesterOperation::Irq:
        case TesterOperation::None:
            break;
    }
    return nullptr;
}

void TForm1::Timer2Timer() {
    torvel::TRepeatingOperation* operation = RepeatingOperation();
    if (!TesterActive || ReplyExpected() || !operation) return;
    const torvel::TRepetition next = operation->NextRepetition();
    if (!next.Request) {
        EndTesterOperation();
        return;
    }
    SendTesterRequest(next.Request->Function, next.Request->Data);
    // A write that failed has ended the operation already.
    if (TesterActive) ui->PBTest->setValue(next.Progress);
}

void TForm1::Timer3Timer() {
    const torvel::TRepeatingOperation* operation = RepeatingOperation();
    if (!TesterActive || ReplyExpected() || !operation) return;
    const torvel::TRepetition next = operation->NextPage();
    SendTesterRequest(next.Request->Function, next.Request->Data);
    if (TesterActive) ui->PBTest->setValue(next.Progress);
}

void TForm1::Button9Click() {
    if (TesterActive && (Timer2->isActive() || Timer3->isActive() || IrqArmed)) {
        // An armed handler ends when the board answers the disarming.
        if (!IrqArmed)
            StopTesterOperation();
        else if (!IrqStopRequested)
            DisarmInterrupt();
        LogEvent(QStringLiteral("Выполнение текущей операции остановлено"), kOperatorTag);
        return;
    }
    ui->StatusTest->clear();
}
