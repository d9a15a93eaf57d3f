// TForm1: connecting the board (the session's identification and the device group of the
// first tab) and choosing and reading the FPGA configuration file.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/form1.h"
#include "fpga/identity.h"
#include "session/identification.h"
#include "session/project_file.h"
#include "ui_form1.h"

void TForm1::ConnectLoadButtons() {
    connect(ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
}

void TForm1::Button3Click() {
    session_->Identification().Start();
}

void TForm1::ShowDeviceInfo() {
    ui->LabelBoardVersion->setText(Device.BoardText);
    ui->LabelFPGAName->setText(Device.FpgaName);
    ui->LabelFPGAStatus->setText(FpgaStatusText);
    // Before the first identification the map and sizes are unknown, not zero.
    if (session_->Identified) {
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
    ui->Edit1->setText(path);
    torvel::ChooseProjectFile(*session_, *this, path);
    ShowDeviceInfo();
}

void TForm1::ReadConfigFile() {
    torvel::ReadProjectFile(*session_, *this);
}
