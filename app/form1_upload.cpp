// TForm1: the FPGA load. Button2Click starts the session's load, which sends the records of
// ConfigImage one per reply; the window shows its position, its speed and the time left.
#include <QLabel>

#include "app/form1.h"
#include "common/rate_estimator.h"
#include "session/fpga_load.h"
#include "ui_form1.h"

void TForm1::Button2Click() {
    session_->Load().Start([this] {
        return dialogs_.Confirm(QStringLiteral("Выбранный файл не совпадает по типу с "
                                               "установленной ПЛИС. Вы уверены, что желаете "
                                               "продолжить?")) == QMessageBox::Ok;
    });
}

void TForm1::ShowUploadSpeed(const torvel::RateEstimator* rate) {
    QLabel* position = StatusPanel(4);
    // Panel 5 is written by nothing else: while a load runs it shows the speed and the time
    // left, the figures alone (a panel is narrow); the tool tips say what they are.
    QLabel* speed = StatusPanel(5);
    if (!rate) {
        position->setToolTip(QString());
        speed->setToolTip(QString());
        speed->clear();
        return;
    }
    const bool known = rate->TimeLeftKnown();
    position->setToolTip(
        known ? QStringLiteral("Скорость: %1 байт/с\nОсталось: %2")
                    .arg(torvel::RateText(rate->Rate()), torvel::DurationText(rate->TimeLeftNs()))
              : QStringLiteral("Скорость: измеряется"));
    speed->setToolTip(position->toolTip());
    speed->setText(torvel::UploadSpeedText(rate->Rate(), known ? rate->TimeLeftNs() : -1));
}

void TForm1::ShowUploadPosition(quint16 value) {
    StatusPanel(4)->setText(torvel::UploadPositionText(value));
}
