// TForm1: the serial port ComPort1 of the session's line, its framer CDP1 and the six port
// lists of "Св&язь".
#include <QPushButton>

#include "app/form1.h"
#include "transport/com_combo_box.h"
#include "transport/com_data_packet.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "ui_form1.h"

using torvel::EComPort;
using torvel::TComComboBox;

void TForm1::ConnectPortLists() {
    const torvel::TComProperty kinds[] = {torvel::cpPort,     torvel::cpBaudRate,
                                          torvel::cpDataBits, torvel::cpStopBits,
                                          torvel::cpParity,   torvel::cpFlowControl};
    const QList<TComComboBox*> lists = PortLists();
    for (int i = 0; i < lists.size(); ++i) {
        lists[i]->SetComProperty(kinds[i]);
        lists[i]->SetComPort(ComPort1);
    }
    connect(ui->Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
}

QList<TComComboBox*> TForm1::PortLists() const {
    return {ui->ComComboBox1, ui->ComComboBox2, ui->ComComboBox3,
            ui->ComComboBox4, ui->ComComboBox5, ui->ComComboBox6};
}

void TForm1::SetupPacketFramer() {
    session_->Line().SetupFramer();
}

void TForm1::ForEachPortListInBracket(const std::function<void(TComComboBox*)>& action) {
    // The bracket closes in every case; a failing list stops the ones after it.
    ComPort1->BeginSettingsUpdate();
    try {
        for (TComComboBox* list : PortLists()) action(list);
    } catch (const EComPort& error) {
        ReportLinkError(error.Message());
    }
    try {
        ComPort1->EndSettingsUpdate();
    } catch (const EComPort& error) {
        ReportLinkError(error.Message());
    }
}

void TForm1::ClosePortAtEnd() {
    session_->Line().CloseQuietly();
}
