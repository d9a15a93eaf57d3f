// TForm1: the settings file "TORVEL.INI" and the Parameters tab that shows and takes it.
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "common/ini_file.h"
#include "transport/com_combo_box.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "ui_form1.h"

using torvel::EComPort;
using torvel::IniFile;
using torvel::TComComboBox;

namespace {

const QString kSettingsFile = QStringLiteral("TORVEL.INI");

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
    IniFile file;
    QString reason;
    if (file.Load(kSettingsFile, &reason)) {
        try {
            ComPort1->LoadPortSettings(file);
        } catch (const EComPort& error) {
            ReportConfigError(error.Message());
        }
        torvel::ReadSettings(file, *this);
    } else {
        // Half a file read back and saved would lose the rest of it; the session leaves the
        // file alone and works with the defaults.
        settingsFileKept_ = true;
        ReportConfigError(reason);
    }
    SettingsToControls();
    if (!ProjectFileName.isEmpty()) ReadConfigFile();
}

void TForm1::SaveSettings() {
    if (settingsFileKept_) {
        ReportConfigError(
            QStringLiteral("%1 не был прочитан при запуске и оставлен как есть; настройки "
                           "сеанса не сохранены")
                .arg(kSettingsFile));
        return;
    }
    // Read again, so that whatever was added to the file meanwhile is kept as well.
    IniFile file;
    QString reason;
    if (!file.Load(kSettingsFile, &reason)) {
        ReportConfigError(reason);
        return;
    }
    ComPort1->SavePortSettings(file);
    torvel::WriteSettings(file, *this);
    ReportUnwritable(file);
    if (!file.Save(kSettingsFile, &reason)) ReportConfigError(reason);
}

void TForm1::ReportUnwritable(const IniFile& file) {
    for (const torvel::UnwritableValue& value : file.Unwritable()) {
        const QString message =
            QStringLiteral("[%1] %2 не сохранён: в кодировке Windows-1251 нет его символов: %3")
                .arg(value.section, value.key, value.value);
        if (reportedUnwritable_.contains(message)) continue;
        reportedUnwritable_.insert(message);
        ReportConfigError(message);
    }
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
