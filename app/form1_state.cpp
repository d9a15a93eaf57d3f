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

    BoardText = kNoData;
    FpgaName = kNoData;
    FpgaStatusText = kNoData;
    ResetProjectInfo();
    UploadEndSent = false;
    LoadNotRequired = false;
    CoilStart = CoilEnd = 0;
    HoldStart = HoldEnd = 0;
    PageCount = 0;
    PageSize = 0;
    BufferSize = 0;
    PageOffsetMin = 0;
    PageOffsetMax = 32767;
    TesterAddress = 0;
    TesterReadValue = 0;
    TesterWriteValue = 0;
    ui->StatusTest->clear();
}

void TForm1::ResetProjectInfo() {
    ProjectFileName.clear();
    ProjectTypeText = kNoData;
    ProjectSizeText = kNoData;
    ProjectModifiedText = kNoData;
}
