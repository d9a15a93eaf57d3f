// TForm1: the interrupt handler mode. Button13Click takes the interrupt group and has the
// session's tester run arm the board; its events come in through the run, and the mode ends
// with the last event asked for or at "Ст&оп".
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "ui_form1.h"

namespace {

constexpr int kInterruptLines = 2;

}  // namespace

bool TForm1::CaptureIrqSettings() {
    const std::optional<qint32> returnAddr = ui->MEdit4->GetValue();
    if (!returnAddr) {
        RefuseTesterStart(QStringLiteral("Поле \"Адрес\" не содержит числа"));
        return false;
    }
    IrqNumber = static_cast<quint8>(ui->ComboBox5->currentIndex() % kInterruptLines);
    IrqRepeatCount = static_cast<quint16>(ui->SpinEdit6->value());
    IrqRegCount = static_cast<quint16>(ui->SpinEdit7->value());
    IrqReturnAddr = static_cast<quint16>(*returnAddr);
    enteredFirstRegister_ = *returnAddr;
    IrqReadReg = ui->CheckBox3->isChecked();
    ReadToFile = ui->CheckBox4->isChecked();
    return true;
}

void TForm1::Button13Click() {
    if (!CaptureIrqSettings()) return;
    session_->Tester().StartIrq(enteredFirstRegister_);
}
