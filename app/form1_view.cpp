// TForm1: what the board session shows, turned into events and controls. The displays that
// change with every record of a load or a repeated tester operation take each change at once
// and are painted by their pacer.
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <algorithm>

#include "app/form1.h"
#include "app/monitor_window.h"
#include "app/multi_base_edit.h"
#include "app/paint_pacer.h"
#include "ui_form1.h"

void TForm1::CreatePacers() {
    const auto lineBusy = [this] { return exchange_.ReplyExpected(); };
    // Panel 3 changes only as a run begins and ends; the status bar itself is repainted only
    // when its panels ask for a new layout, which they do not while held.
    loadPacer_ =
        new torvel::TPaintPacer({ui->PBLoad, StatusPanel(4), StatusPanel(5)}, lineBusy, this);
    testerPacer_ = new torvel::TPaintPacer({ui->PBTest, ui->LabelTestTimeLeft}, lineBusy, this);
}

void TForm1::RefreshMonitorAtEnd() {
    if (monitor_ && monitor_->isVisible()) monitor_->Refresh();
}

void TForm1::Event(const torvel::TSessionEvent& event) {
    LogEvent(event.Text, event.Tag);
}

void TForm1::LoadControls(bool enabled) {
    EnableLoadControls(enabled);
}

void TForm1::TesterControls(bool enabled) {
    EnableTesterControls(enabled);
}

void TForm1::TesterBusy(torvel::TTesterOperation operation) {
    EnableTesterControls(false);
    // Disabled, the address and the value still look like the values they are.
    switch (operation) {
        case torvel::TTesterOperation::toRead:
            ColourValueField(*ui->MEdit1, true);
            ColourValueField(*ui->MEdit2, true);
            return;
        case torvel::TTesterOperation::toWrite:
            ColourValueField(*ui->MEdit1, true);
            ColourValueField(*ui->MEdit3, true);
            return;
        case torvel::TTesterOperation::toIrq:
            ColourValueField(*ui->MEdit2, true);
            return;
        case torvel::TTesterOperation::toNone:
            return;
    }
}

void TForm1::DeviceChanged() {
    ShowDeviceInfo();
}

void TForm1::Panel(int number, const QString& text) {
    StatusPanel(number)->setText(text);
}

void TForm1::LoadProgress(int percent) {
    // Most records leave the percentage as it was: nothing to paint then.
    if (ui->PBLoad->value() == percent) return;
    loadPacer_->Take(*ui->PBLoad, [&] { ui->PBLoad->setValue(percent); });
}

void TForm1::UploadPosition(quint16 position) {
    loadPacer_->Take(*StatusPanel(4), [&] { ShowUploadPosition(position); });
}

void TForm1::UploadSpeed(const torvel::RateEstimator* rate) {
    // Reported from the load's first request to its end: its displays are paced as long.
    if (rate) {
        loadPacer_->Hold();
        loadPacer_->Defer(*StatusPanel(5), [this, rate] { ShowUploadSpeed(rate); });
        return;
    }
    loadPacer_->Take(*StatusPanel(5), [&] { ShowUploadSpeed(nullptr); });
    loadPacer_->Release();
    RefreshMonitorAtEnd();
}

void TForm1::TesterStatus(const QString& text) {
    ui->StatusTest->setText(text);
}

void TForm1::TesterProgress(int percent) {
    if (ui->PBTest->value() == percent) return;
    testerPacer_->Take(*ui->PBTest, [&] { ui->PBTest->setValue(percent); });
}

void TForm1::TesterSpeed(const torvel::RateEstimator* rate) {
    // Reported from a repeated operation's first request to its end.
    if (rate) {
        testerPacer_->Hold();
        testerPacer_->Defer(*ui->LabelTestTimeLeft, [this, rate] { ShowTesterSpeed(rate); });
        return;
    }
    testerPacer_->Take(*ui->LabelTestTimeLeft, [&] { ShowTesterSpeed(nullptr); });
    testerPacer_->Release();
    RefreshMonitorAtEnd();
}

void TForm1::ReadValue(quint16 value) {
    readValue_ = value;
    ui->MEdit2->SetValue(readValue_);
}

void TForm1::WriteValue(quint16 value) {
    writeValue_ = value;
    ui->MEdit3->SetValue(writeValue_);
}

void TForm1::StepcountReduced(int stepcount) {
    // Shown in SpinEdit1 when the tab is given back, and kept in "TORVEL.INI": never a count
    // the field cannot take (a file of one value, or none).
    Stepcount = std::clamp(stepcount, ui->SpinEdit1->minimum(), ui->SpinEdit1->maximum());
}
