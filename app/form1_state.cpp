// TForm1: the built-in defaults of the window's state.
#include <QLabel>

#include "app/form1.h"
#include "ui_form1.h"

namespace {

const QString kNoData = QStringLiteral("нет данных");

}  // namespace

void TForm1::InitDefaults() {
    static_cast<torvel::TSettings&>(*this) = torvel::TSettings{};

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
