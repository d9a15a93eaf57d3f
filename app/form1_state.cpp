// TForm1: the built-in defaults of the window's state.
#include <QLabel>

#include "app/form1.h"
#include "session/project_file.h"
#include "ui_form1.h"

void TForm1::InitDefaults() {
    static_cast<torvel::TSettings&>(*this) = torvel::TSettings{};
    session_->ResetDevice();
    ResetProjectInfo();
    Upload = torvel::UploadState{};
    TesterAddress = 0;
    ui->StatusTest->clear();
}

void TForm1::ResetProjectInfo() {
    torvel::ResetProjectInfo(*this);
}
