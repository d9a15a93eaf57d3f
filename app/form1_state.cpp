// TForm1: the built-in defaults of the window's state.
#include <QLabel>

#include "app/form1.h"
#include "ui_form1.h"

namespace {

const QString kNoData = QStringLiteral("нет данных");

}  // namespace

void TForm1::InitDefaults() {
    FpgaType = 0;
    AppendOrCreate = true;
    AddStep = true;
    NumberOfColumns = 16;
    OutputFormat = 0;
    EditorName = QStringLiteral("NOTEPAD.EXE");
    ResultFileName.clear();
    InputFileName.clear();
    AutoRepeat = false;
    Stepcount = 2;
    DelayRepeat = 1;
    StepDir = true;
    ReadToFile = false;
    WriteFromFile = false;
    IrqReadReg = false;
    IrqReturnAddr = 0;
    IrqRepeatCount = 1;
    IrqRegCount = 1;
    IrqNumber = 0;
    AddrType = 0;
    DefaultTimeout = 2;
    RetryCount = 3;
    SlaveAddress = 0;

    Device = torvel::DeviceIdentity{};
    Device.BoardText = kNoData;
    Device.FpgaName = kNoData;
    Device.PageOffsetMax = torvel::InitialPageOffsetMax;
    FpgaStatusText = kNoData;
    ResetProjectInfo();
    Upload = torvel::UploadState{};
    TesterAddress = 0;
    ui->StatusTest->clear();
}

void TForm1::ResetProjectInfo() {
    ProjectFileName.clear();
    ProjectTypeText = kNoData;
    ProjectSizeText = kNoData;
    ProjectModifiedText = kNoData;
}
