// TForm1: the FPGA load. Button2Click starts the session's load, which sends the records of
// ConfigImage one per reply; the window shows its position and speed.
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
    if (!rate) {
        StatusPanel(4)->setToolTip(QString());
        return;
    }
    if (!rate->Known() || rate->TimeLeftNs() < 0) {
        StatusPanel(4)->setToolTip(QStringLiteral("Скорость: измеряется"));
        return;
    }
    StatusPanel(4)->setToolTip(
        QStringLiteral("Скорость: %1 байт/с\nОсталось: %2")
            .arg(torvel::RateText(rate->Rate()), torvel::DurationText(rate->TimeLeftNs())));
}

void TForm1::ShowUploadPosition(quint16 value) {
    StatusPanel(4)->setText(torvel::UploadPositionText(value));
}
