// TForm1: the settings file "TORVEL.INI" and the Parameters tab that shows and takes it.
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "transport/com_combo_box.h"
#include "transport/com_port.h"
#include "ui_form1.h"

using torvel::TComComboBox;

namespace {

// A typed value not yet taken by the field counts too.
int SpinValue(QSpinBox& spin) {
    spin.interpretText();
    return spin.value();
}

// The stored port's name as the list shows it; control characters would garble the list.
QString AbsentPortText(const QString& name) {
    QString shown = name;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    return shown + QStringLiteral(" (нет в системе)");
}

}  // namespace

void TForm1::LoadSettings() {
    for (const QString& error : settingsFile_.Load(*ComPort1, *this)) ReportConfigError(error);
    SettingsToControls();
    if (!ProjectFileName.isEmpty()) ReadConfigFile();
}

void TForm1::SaveSettings() {
    for (const QString& error : settingsFile_.Save(*ComPort1, *this)) ReportConfigError(error);
}

void TForm1::SettingsToControls() {
    // Spin boxes show a value outside their range as its nearest bound; the value held
    // changes only when "При&менить" reads the field back.
    ui->CheckBox1->setChecked(AppendOrCreate);
    ui->CheckBox6->setChecked(AddStep);
    ui->SpinEdit2->setValue(DefaultTimeout);
    ui->SpinEdit3->setValue(RetryCount);
    ui->MEdit10->SetValue(SlaveAddress);
    ui->SpinEdit5->setValue(NumberOfColumns);
    // Anything but 1 writes hexadecimal, so that is what the list shows for it.
    ui->ComboBox1->setCurrentIndex(OutputFormat == 1 ? 1 : 0);
    ShowTesterState();
    ShowPortSettings();
}

void TForm1::ShowPortSettings() {
    ForEachPortListInBracket([](TComComboBox* list) { list->ShowPortValue(); });
    // A stored port that is not present now (an adapter unplugged) would show no choice, and
    // "При&менить" would store an empty name: it is listed as absent and stays chosen.
    TComComboBox* ports = ui->ComComboBox1;
    const QString stored = ComPort1->Port();
    if (ports->currentIndex() >= 0 || stored.isEmpty()) return;
    const int index = ports->AddMarkedItem(stored, AbsentPortText(stored));
    ports->setItemData(index, QStringLiteral("Порт из настроек, сейчас его в системе нет"),
                       Qt::ToolTipRole);
    ports->ShowPortValue();
}

void TForm1::Button4Click() {
    AppendOrCreate = ui->CheckBox1->isChecked();
    AddStep = ui->CheckBox6->isChecked();
    DefaultTimeout = SpinValue(*ui->SpinEdit2);
    RetryCount = SpinValue(*ui->SpinEdit3);
    SlaveAddress = ui->MEdit10->Value();
    NumberOfColumns = SpinValue(*ui->SpinEdit5);
    OutputFormat = ui->ComboBox1->currentIndex();
    ForEachPortListInBracket([](TComComboBox* list) { list->ApplyToPort(); });
    SaveSettings();
}
