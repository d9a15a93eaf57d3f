// TForm1: the FPGA load. Button2Click sends the preparatory request; every function-21 reply
// (outside the tester) sends the next record of ConfigImage until the end record is answered.
#include <QLabel>
#include <QProgressBar>

#include "app/form1.h"
#include "fpga/identity.h"
#include "fpga/upload.h"
#include "protocol/requests.h"
#include "ui_form1.h"

namespace {

// Status-bar panel 3 while an upload runs.
const QString kUploadMarker = QStringLiteral("Torvel");

}  // namespace

void TForm1::Button2Click() {
    if (Device.LoadNotRequired) {
        LogEvent(QStringLiteral("Загрузка устройства не требуется"));
        return;
    }
    // Without an image the first record would carry a stale byte and the load would still
    // report success; checked before anything on screen changes.
    if (!torvel::ConfigImageReady(ConfigImageLength)) {
        LogEvent(QStringLiteral("Конфигурационный файл ПЛИС не прочитан"));
        return;
    }
    ui->StatusTest->clear();
    AbandonTesterOperation();
    ui->PBLoad->setValue(0);
    FpgaStatusText = torvel::ConfigurationStatusText(false);
    EnableTesterControls(false);
    ShowDeviceInfo();
    if (!DeviceConnected) {
        LogEvent(QStringLiteral("Устройство не подключено"));
        return;
    }
    if (!torvel::ProjectTypeMatchesFpga(ProjectTypeText, Device.FpgaName) &&
        dialogs_.Confirm(QStringLiteral("Выбранный файл не совпадает по типу с установленной "
                                        "ПЛИС. Вы уверены, что желаете продолжить?")) !=
            QMessageBox::Ok)
        return;
    EnableLoadControls(false);
    if (!OpenPortForCommand()) return;
    LogEvent(QStringLiteral("Загрузка конфигурации ПЛИС..."));
    StatusPanel(3)->setText(kUploadMarker);
    const QString preparatory = torvel::BeginUpload(Upload);
    ShowUploadPosition(0);
    uploadRate_.Start(SessionClockNs(), 0, ConfigImageLength);
    ShowUploadSpeed();
    SendRequest(upload_, static_cast<std::uint8_t>(SlaveAddress), torvel::fnWriteFileRecord,
                preparatory);
}

void TForm1::UploadReply() {
    const torvel::UploadStep step =
        torvel::StepUpload(Upload, ConfigImage, ConfigImageLength, Device.PageChunkSize);
    if (step.Completed) {
        CompleteUpload();
        return;
    }
    SendRequest(upload_, static_cast<std::uint8_t>(SlaveAddress), torvel::fnWriteFileRecord,
                step.RequestData);
    if (step.ShownPosition) ShowUploadPosition(*step.ShownPosition);
    if (step.Progress) ui->PBLoad->setValue(*step.Progress);
    // The bytes before the position are on their way.
    if (Upload.UploadPosition > 0) uploadRate_.Add(SessionClockNs(), Upload.UploadPosition - 1);
    ShowUploadSpeed();
}

void TForm1::ShowUploadSpeed() {
    if (!uploadRate_.Known() || uploadRate_.TimeLeftNs() < 0) {
        StatusPanel(4)->setToolTip(QStringLiteral("Скорость: измеряется"));
        return;
    }
    StatusPanel(4)->setToolTip(QStringLiteral("Скорость: %1 байт/с\nОсталось: %2")
                                   .arg(torvel::RateText(uploadRate_.Rate()),
                                        torvel::DurationText(uploadRate_.TimeLeftNs())));
}

void TForm1::CompleteUpload() {
    FpgaStatusText = torvel::ConfigurationStatusText(true);
    Upload.UploadStarted = false;
    ShowDeviceInfo();
    LogEvent(QStringLiteral("Конфигурация ПЛИС загружена"));
    StatusPanel(3)->clear();
    EnableLoadControls(true);
    EnableTesterControls(true);
    ShowUploadPosition(0);
    StatusPanel(4)->setToolTip(QString());
}

void TForm1::UploadFailed(torvel::ExchangeOutcome outcome) {
    Upload.UploadStarted = false;
    StatusPanel(4)->setToolTip(QString());
    // An upload that lost its line cannot go on; after a refused or garbled reply panels 3
    // and 4 keep showing where it stopped.
    if (torvel::OutcomeText(outcome).deviceSilent) StatusPanel(3)->clear();
}

void TForm1::ShowUploadPosition(quint16 value) {
    StatusPanel(4)->setText(torvel::UploadPositionText(value));
}
