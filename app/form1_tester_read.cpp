// TForm1: the tester's read, and what the read and the write share: the capture of the tab's
// fields, the repetition timers' ticks and "Ст&оп". The session's tester run does the rest.
#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "session/tester_texts.h"
#include "ui_form1.h"

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
    return true;
}

void TForm1::RefuseTesterStart(const QString& event, const QString& tag) {
    session_->Tester().RefuseStart(event, tag);
}

void TForm1::Button7Click() {
    if (!CaptureTesterSettings()) return;
    session_->Tester().StartRead(enteredAddress_);
}

void TForm1::Timer2Timer() {
    session_->Tester().RepetitionTick();
}

void TForm1::Timer3Timer() {
    session_->Tester().PageTick();
}

void TForm1::Button9Click() {
    if (!session_->Tester().Stop()) ui->StatusTest->clear();
}
