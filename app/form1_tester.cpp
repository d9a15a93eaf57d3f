// TForm1: the tester tab's controls. The session's tester run does the operations; the read's
// controls live in form1_tester_read.cpp, the write's in form1_tester_write.cpp, the interrupt
// handler mode's in form1_tester_irq.cpp, the files' in form1_tester_files.cpp.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "common/rate_estimator.h"
#include "tester/address_rules.h"
#include "ui_form1.h"

namespace {

// The switch beside a value field: item 0 "h", item 1 "d".
int SwitchItem(const QComboBox& box) {
    return box.currentIndex();
}

void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls) control->setEnabled(enabled);
}

// The switches of the one-byte value fields: the base first, then the room it needs, so the
// text shown keeps the room of the base before (a hex 0A back from decimal shows as 00A)
// until the value is next set.
void SwitchValueField(TMultiBaseEdit& field, const QComboBox& box) {
    const int item = SwitchItem(box);
    if (item < 0) {
        field.SetBase(torvel::bHEX);
        return;
    }
    const torvel::TBase base = torvel::BaseOfSwitchItem(item);
    field.SetBase(base);
    field.SetMaxLengthKeepingText(torvel::ValueFieldMaxLength(base));
}

}  // namespace

void TForm1::ConnectTesterControls() {
    connect(ui->Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(ui->Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(ui->Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(ui->Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(ui->Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
    connect(ui->Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(ui->Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    for (QRadioButton* button :
         {ui->RadioGroup1Button0, ui->RadioGroup1Button1, ui->RadioGroup1Button2})
        connect(button, &QRadioButton::clicked, this, &TForm1::RadioGroup1Click);
    // Only a choice of the user switches a base; the program's own selection does not.
    connect(ui->ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    connect(ui->ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    connect(ui->ComboBox4, &QComboBox::activated, this, &TForm1::ComboBox4Change);
    connect(ui->ComboBox6, &QComboBox::activated, this, &TForm1::ComboBox6Change);
    connect(ui->CheckBox2, &QCheckBox::clicked, this, &TForm1::CheckBox2Click);
    connect(ui->CheckBox3, &QCheckBox::clicked, this, &TForm1::CheckBox3Click);
    connect(ui->CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
    connect(ui->CheckBox5, &QCheckBox::clicked, this, &TForm1::CheckBox5Click);
}

int TForm1::SelectedAddressType() const {
    if (ui->RadioGroup1Button1->isChecked()) return torvel::atRegister;
    if (ui->RadioGroup1Button2->isChecked()) return torvel::atPage;
    return torvel::atCoil;
}

void TForm1::SelectAddressType(int type) {
    QRadioButton* buttons[] = {ui->RadioGroup1Button0, ui->RadioGroup1Button1,
                               ui->RadioGroup1Button2};
    buttons[type >= 0 && type <= 2 ? type : 0]->setChecked(true);
}

void TForm1::ApplyAddressMaxLength() {
    if (ui->ComboBox2->currentIndex() < 0) ui->ComboBox2->setCurrentIndex(0);
    const auto type = static_cast<torvel::TAddrType>(SelectedAddressType());
    const torvel::TBase base = torvel::BaseOfSwitchItem(SwitchItem(*ui->ComboBox2));
    ui->MEdit1->setMaxLength(torvel::AddressMaxLength(type, base));
    ui->MEdit1->update();
}

void TForm1::RadioGroup1Click() {
    ui->MEdit1->SetValue(0);
    ApplyAddressMaxLength();
}

void TForm1::ComboBox2Change() {
    if (ui->ComboBox2->currentIndex() < 0) ui->ComboBox2->setCurrentIndex(0);
    ui->MEdit1->SetBase(torvel::BaseOfSwitchItem(SwitchItem(*ui->ComboBox2)));
    ApplyAddressMaxLength();
}

void TForm1::ComboBox3Change() {
    SwitchValueField(*ui->MEdit2, *ui->ComboBox3);
}

void TForm1::ComboBox4Change() {
    SwitchValueField(*ui->MEdit3, *ui->ComboBox4);
}

void TForm1::ComboBox6Change() {
    SwitchValueField(*ui->MEdit4, *ui->ComboBox6);
}

void TForm1::CheckBox2Click() {
    AutoRepeat = ui->CheckBox2->isChecked();
    SetEnabled({ui->SpinEdit1, ui->SpinEdit4, ui->LabelDelay1, ui->LabelDelay2}, AutoRepeat);
}

void TForm1::CheckBox3Click() {
    IrqReadReg = ui->CheckBox3->isChecked();
    SetEnabled({ui->MEdit4, ui->ComboBox6, ui->SpinEdit7, ui->LabelIrqAddress, ui->LabelIrqFormat,
                ui->LabelIrqCount},
               IrqReadReg);
}

void TForm1::CheckBox4Click() {
    ReadToFile = ui->CheckBox4->isChecked();
    SetEnabled({ui->Edit2, ui->Button5, ui->Button10}, ReadToFile);
}

void TForm1::CheckBox5Click() {
    WriteFromFile = ui->CheckBox5->isChecked();
    SetEnabled({ui->Edit3, ui->Button6, ui->Button11}, WriteFromFile);
}

void TForm1::ColourValueField(QWidget& field, bool enabled) {
    // The window colour when enabled, the button face when not, whatever the widget's state.
    QPalette palette = field.palette();
    const QColor colour =
        QApplication::palette().color(enabled ? QPalette::Base : QPalette::Button);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    field.setPalette(palette);
}

void TForm1::ColourValueFields(bool enabled) {
    for (QWidget* field : std::initializer_list<QWidget*>{
             ui->MEdit1, ui->SpinEdit1, ui->SpinEdit4, ui->ComboBox2, ui->MEdit2, ui->Edit2,
             ui->ComboBox3, ui->MEdit3, ui->Edit3, ui->ComboBox4, ui->MEdit4, ui->SpinEdit6,
             ui->SpinEdit7, ui->ComboBox5, ui->ComboBox6})
        ColourValueField(*field, enabled);
}

void TForm1::EnableTesterControls(bool enabled) {
    for (QGroupBox* group : {ui->GroupBox3, ui->GroupBox4, ui->GroupBox5, ui->GroupBox9})
        group->setEnabled(enabled);
    ColourValueFields(enabled);
    ui->PBTest->setEnabled(enabled);
    if (!enabled) return;
    ShowTesterState();
    StatusPanel(3)->clear();
}

void TForm1::ShowTesterState() {
    ui->MEdit1->SetValue(TesterAddress);
    SelectAddressType(AddrType);
    ApplyAddressMaxLength();
    ui->MEdit2->SetValue(readValue_);
    ui->MEdit3->SetValue(writeValue_);
    ui->Edit2->setText(QFileInfo(ResultFileName).fileName());
    ui->Edit3->setText(QFileInfo(InputFileName).fileName());
    ui->Edit4->setText(EditorName);
    for (QComboBox* box : {ui->ComboBox2, ui->ComboBox3, ui->ComboBox4}) box->setCurrentIndex(0);
    for (TMultiBaseEdit* field : {ui->MEdit1, ui->MEdit2, ui->MEdit3}) field->SetBase(torvel::bHEX);
    ui->CheckBox2->setChecked(AutoRepeat);
    ui->CheckBox4->setChecked(ReadToFile);
    ui->CheckBox5->setChecked(WriteFromFile);
    ui->SpinEdit1->setValue(Stepcount);
    ui->SpinEdit4->setValue(DelayRepeat);
    CheckBox2Click();
    CheckBox4Click();
    CheckBox5Click();
    ui->ComboBox5->setCurrentIndex(IrqNumber % 2);
    ui->ComboBox6->setCurrentIndex(0);
    ui->SpinEdit6->setValue(IrqRepeatCount);
    ui->SpinEdit7->setValue(IrqRegCount);
    ui->CheckBox3->setChecked(IrqReadReg);
    CheckBox3Click();
    ui->MEdit4->SetBase(torvel::bHEX);
    ui->MEdit4->SetValue(IrqReturnAddr);
}

void TForm1::ShowTesterSpeed(const torvel::RateEstimator* rate) {
    QLabel* label = ui->LabelTestTimeLeft;
    if (!rate) {
        label->clear();
        label->setToolTip(QString());
        return;
    }
    if (!rate->TimeLeftKnown()) {
        label->setText(QStringLiteral("Осталось: …"));
        label->setToolTip(QStringLiteral("Скорость: измеряется"));
        return;
    }
    label->setText(QStringLiteral("Осталось: ") + torvel::DurationText(rate->TimeLeftNs()));
    label->setToolTip(QStringLiteral("Скорость: %1 запросов/с")
                          .arg(QString::number(rate->Rate(), 'f', rate->Rate() < 10 ? 1 : 0)));
}

void TForm1::StopTesterOperation() {
    session_->Tester().End(torvel::TRunEndReason::reStopped);
}

void TForm1::AbandonTesterOperation() {
    session_->Tester().Abandon();
}
