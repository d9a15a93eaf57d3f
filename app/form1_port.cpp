// TForm1: the serial port ComPort1, its framer CDP1 and the six port lists of "Св&язь".
#include <QLabel>
#include <QTimer>

#include "app/form1.h"
#include "transport/com_combo_box.h"
#include "transport/com_data_packet.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "ui_form1.h"

using torvel::EComPort;
using torvel::TComComboBox;
using torvel::TComDataPacket;
using torvel::TComPort;

void TForm1::CreatePort() {
    ComPort1 = new TComPort(this);
    ComPort1->setObjectName(QStringLiteral("ComPort1"));
    // The port has closed itself already; the request in flight, if any, ends here.
    ComPort1->OnLinkLost = [this](torvel::TCustomComPort&, const QString& message) {
        exchange_.DeviceLost(message);
        // A tester operation between two of its requests hears of the loss here.
        if (TesterActive) TesterFailed(torvel::ExchangeOutcome::eoDeviceLost, {});
    };
    ComPort1->OnEventError = [this](torvel::TCustomComPort&, const QString& message) {
        exchange_.EventError(message);
    };

    CDP1 = new TComDataPacket(this);
    CDP1->setObjectName(QStringLiteral("CDP1"));
    CDP1->SetComPort(ComPort1);
    // Received bytes are one character each; the codec works on texts.
    CDP1->OnPacket = [this](TComDataPacket&, const QByteArray& packet) {
        CDP1Packet(QString::fromLatin1(packet));
    };

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
    CDP1->SetStartString(QByteArrayLiteral(":"));
    CDP1->SetStopString(QByteArrayLiteral("\n"));
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
    if (!ComPort1->Connected()) return;
    try {
        ComPort1->ClosePort();
    } catch (const EComPort&) {
        // Closing at the end of the run is silent.
    }
}
