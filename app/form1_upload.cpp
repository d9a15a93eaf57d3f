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
    if (LoadNotRequired) {
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
    TesterActive = false;
    ui->PBLoad->setValue(0);
    FpgaStatusText = torvel::ConfigurationStatusText(false);
    EnableTesterControls(false);
    ShowDeviceInfo();
    if (!DeviceConnected) {
        LogEvent(QStringLiteral("Устройство не подключено"));
        return;
    }
    if (!torvel::ProjectTypeMatchesFpga(ProjectTypeText, FpgaName) &&
        dialogs_.Confirm(QStringLiteral("Выбранный файл не совпадает по типу с установленной "
                                        "ПЛИС. Вы уверены, что желаете продолжить?")) !=
            QMessageBox::Ok)
        return;
    EnableLoadControls(false);
    if (!OpenPortForCommand()) return;
    LogEvent(QStringLiteral("Загрузка конфигурации ПЛИС..."));
    StatusPanel(3)->setText(kUploadMarker);
    torvel::UploadState state;
    const QString preparatory = torvel::BeginUpload(state);
    UploadStarted = state.UploadStarted;
    UploadEndSent = state.UploadEndSent;
    ShowUploadPosition(0);
    SendRequest(static_cast<std::uint8_t>(SlaveAddress), torvel::fnWriteFileRecord, preparatory);
}

void TForm1::UploadReply() {
    torvel::UploadState state{UploadStarted, UploadEndSent, UploadPosition};
    const torvel::UploadStep step =
        torvel::StepUpload(state, ConfigImage, ConfigImageLength, PageChunkSize);
    UploadStarted = state.UploadStarted;
    UploadEndSent = state.UploadEndSent;
    UploadPosition = state.UploadPosition;
    if (step.Completed) {
        CompleteUpload();
        return;
    }
    SendRequest(static_cast<std::uint8_t>(SlaveAddress), torvel::fnWriteFileRecord,
                step.RequestData);
    if (step.ShownPosition) ShowUploadPosition(*step.ShownPosition);
    if (step.Progress) ui->PBLoad->setValue(*step.Progress);
}

void TForm1::CompleteUpload() {
    FpgaStatusText = torvel::ConfigurationStatusText(true);
    ReplyExpected = false;
    UploadStarted = false;
    ShowDeviceInfo();
    LogEvent(QStringLiteral("Конфигурация ПЛИС загружена"));
    StatusPanel(3)->clear();
    EnableLoadControls(true);
    EnableTesterControls(true);
    ShowUploadPosition(0);
}

void TForm1::NextImageChunk(quint16& position, quint8& count, QString& chunk) const {
    torvel::NextImageChunk(ConfigImage, ConfigImageLength, PageChunkSize, position, count, chunk);
}

void TForm1::ShowUploadPosition(quint16 value) {
    StatusPanel(4)->setText(torvel::UploadPositionText(value));
}

void TForm1::ClearUploadMarker() {
    if (StatusPanel(3)->text() == kUploadMarker) StatusPanel(3)->clear();
}
