// TForm1: connecting the board (its identification reply and the device group of the first
// tab) and choosing and reading the FPGA configuration file.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/form1.h"
#include "fpga/config_file.h"
#include "fpga/identity.h"
#include "protocol/requests.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "transport/port_access.h"
#include "ui_form1.h"

void TForm1::ConnectLoadButtons() {
    connect(ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
}

bool TForm1::OpenPortForCommand() {
    try {
        if (!ComPort1->Connected()) ComPort1->OpenPort();
        return true;
    } catch (const torvel::EComPort& error) {
        ReportLinkError(error.Message());
        const QString hint = torvel::PortAccessHint(ComPort1->Port(), error);
        if (!hint.isEmpty()) LogEvent(hint, QStringLiteral("РЕКОМЕНДАЦИЯ"));
        EnableLoadControls(true);
        return false;
    }
}

void TForm1::CreateOperations() {
    identification_.OnReply = [this](const torvel::DecodedReply& reply) {
        IdentificationReply(reply.data);
    };
    upload_.OnReply = [this](const torvel::DecodedReply&) { UploadReply(); };
    upload_.OnFailure = [this](torvel::ExchangeOutcome outcome, const torvel::DecodedReply&) {
        UploadFailed(outcome);
    };
    tester_.OnReply = [this](const torvel::DecodedReply& reply) { TesterReply(reply); };
    tester_.OnFailure = [this](torvel::ExchangeOutcome outcome, const torvel::DecodedReply& reply) {
        TesterFailed(outcome, reply);
    };
}

void TForm1::Button3Click() {
    ui->StatusTest->clear();
    AbandonTesterOperation();
    ui->PBLoad->setValue(0);
    EnableTesterControls(false);
    EnableLoadControls(false);
    if (!OpenPortForCommand()) return;
    LogEvent(QStringLiteral("Подключение устройства..."));
    Upload.UploadStarted = false;
    SendRequest(identification_, static_cast<std::uint8_t>(SlaveAddress), torvel::fnReportSlaveId,
                torvel::IdentifyData());
}

void TForm1::IdentificationReply(const QString& payload) {
    EnableLoadControls(true);
    Device = torvel::DecodeIdentity(payload);
    deviceIdentified_ = true;
    StatusPanel(1)->setText(Device.BoardName);
    StatusPanel(2)->setText(Device.FpgaName);
    if (!Device.BufferAccepted()) {
        LogEvent(QStringLiteral("Буфер обмена менее 32 байт, продолжение работы невозможно"),
                 QStringLiteral("УСТРОЙСТВО"));
        DeviceConnected = false;
    } else {
        FpgaStatusText = torvel::ConfigurationStatusText(Device.ConfigurationLoaded);
        EnableTesterControls(Device.ConfigurationLoaded);
        LogEvent(QStringLiteral("Устройство подключено"));
    }
    ShowDeviceInfo();
}

void TForm1::ShowDeviceInfo() {
    ui->LabelBoardVersion->setText(Device.BoardText);
    ui->LabelFPGAName->setText(Device.FpgaName);
    ui->LabelFPGAStatus->setText(FpgaStatusText);
    // Before the first identification the map and sizes are unknown, not zero.
    if (deviceIdentified_) {
        ui->LabelCoilStart->setText(torvel::AddressLabelText(Device.CoilStart));
        ui->LabelCoilEnd->setText(torvel::AddressLabelText(Device.CoilEnd));
        ui->LabelHoldStart->setText(torvel::AddressLabelText(Device.HoldStart));
        ui->LabelHoldEnd->setText(torvel::AddressLabelText(Device.HoldEnd));
        ui->LabelPageCount->setText(torvel::PageCountText(Device.PageCount));
        ui->LabelPageSize->setText(torvel::PageSizeText(Device.PageSize));
        ui->LabelBufSize->setText(torvel::BufferSizeText(Device.BufferSize));
    }
    ui->Edit1->setText(ProjectFileName);
    ui->LabelType->setText(ProjectTypeText);
    ui->LabelSize->setText(ProjectSizeText);
    ui->LabelCreated->setText(ProjectModifiedText);
}

void TForm1::Button1Click() {
    ui->PBLoad->setValue(0);
    OpenConfigFile();
}

void TForm1::OpenConfigFile() {
    const QString path = dialogs_.AskOpenFileName(
        QStringLiteral("Открыть конфигурационный файл ПЛИС"),
        QStringLiteral("Файлы для ПЛИС ALTERA (*.ttf)|*.ttf|Файлы для ПЛИС XILINX (*.bit)|*.bit"),
        ProjectFileName);
    if (path.isEmpty()) return;
    ProjectFileName = path;
    ui->Edit1->setText(path);
    const qint64 size = QFileInfo(path).size();
    ProjectSizeText = torvel::ProjectSizeText(size);
    ProjectModifiedText = torvel::ProjectModifiedText(path);
    ProjectTypeText = torvel::ProjectTypeText(path, size);
    // A file of unknown type is not read. The image of an earlier choice is dropped with it:
    // a load would otherwise send that file's bytes under this file's name.
    if (torvel::ProjectTypeReadable(ProjectTypeText))
        ReadConfigFile();
    else
        ConfigImageLength = 0;
    ShowDeviceInfo();
}

void TForm1::ReadConfigFile() {
    const QString path = ProjectFileName;
    const torvel::ConfigReadResult result =
        torvel::ReadConfigFile(path, ConfigImage, ConfigImageLength);
    switch (result.Outcome) {
        case torvel::ConfigReadOutcome::CannotOpen:
            LogEvent(QStringLiteral("Ошибка при октрытии файла ") + path);
            ResetProjectInfo();
            // No image then: the one still held belongs to another file.
            ConfigImageLength = 0;
            return;
        case torvel::ConfigReadOutcome::Faulty:
            LogEvent(QStringLiteral("Ошибка в файле проекта ") + path, QStringLiteral("Ошибка"));
            ResetProjectInfo();
            // The image now holds the front of a rejected file; nothing of it may be sent.
            ConfigImageLength = 0;
            return;
        case torvel::ConfigReadOutcome::Read:
            ProjectSizeText = torvel::ProjectSizeText(result.FileSize, ConfigImageLength);
            return;
    }
}
