// TForm1: the tester tab. Its requests go out through SendTesterRequest; every way one of
// them fails ends the tester operation through TesterFailed.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "app/form1.h"
#include "ui_form1.h"

void TForm1::TesterReply(const torvel::DecodedReply&) {
    // The read, write and interrupt-wait steppers take their replies here once they land.
}

void TForm1::TesterFailed(torvel::ExchangeOutcome outcome, const torvel::DecodedReply& reply) {
    StopTesterOperation();
    const torvel::OutcomeRule rule = torvel::OutcomeText(outcome, reply.exceptionCode);
    // A refused or garbled reply says so beside the tester's buttons.
    if (outcome == torvel::ExchangeOutcome::eoException ||
        outcome == torvel::ExchangeOutcome::eoBadLrc ||
        outcome == torvel::ExchangeOutcome::eoBadFrame)
        ui->StatusTest->setText(rule.tag);
}

void TForm1::StopTesterOperation() {
    TesterActive = false;
    IrqStopRequested = false;
    IrqArmed = false;
    Timer2->stop();
    Timer3->stop();
    ui->PBTest->setValue(0);
    EnableTesterControls(true);
    ui->StatusTest->clear();
}

void TForm1::EnableTesterControls(bool enabled) {
    for (QGroupBox* group : {ui->GroupBox3, ui->GroupBox4, ui->GroupBox5, ui->GroupBox9})
        group->setEnabled(enabled);
    ui->PBTest->setEnabled(enabled);
    // The tester puts its state back into the fields here once it lands (ShowTesterState).
    if (enabled) StatusPanel(3)->clear();
}
