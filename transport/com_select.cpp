#include "transport/com_select.h"

#include "transport/com_port.h"
#include "transport/com_text.h"
#include "transport/serial_ports.h"

namespace torvel {

TComSelect::TComSelect(TComItemList& list, QObject* parent)
    : QObject(parent), list_(list), portLister_([] { return ListSerialPortNames(); }) {}

void TComSelect::SetComProperty(TComProperty value) {
    property_ = value;
    QStringList items;
    switch (value) {
        case cpNone:
            break;
        case cpPort:
            items = portLister_ ? portLister_() : QStringList();
            break;
        case cpBaudRate:
            items = BaudRateTexts();
            break;
        case cpDataBits:
            items = DataBitsTexts();
            break;
        case cpStopBits:
            items = StopBitsTexts();
            break;
        case cpParity:
            items = ParityTexts();
            break;
        case cpFlowControl:
            items = FlowControlTexts();
            break;
    }
    list_.SetItems(items);
    if (items.isEmpty()) return;
    if (port_) {
        ShowPortValue();
    } else {
        list_.SetItemIndex(0);
    }
}

void TComSelect::SetComPort(TCustomComPort* port) {
    if (port == port_) return;
    if (port_) disconnect(portDestroyed_);
    port_ = port;
    if (!port) return;
    portDestroyed_ = connect(port, &QObject::destroyed, this, [this] { Forget(); });
    ShowPortValue();
}

void TComSelect::Forget() {
    port_ = nullptr;
    if (!list_.Items().isEmpty()) list_.SetItemIndex(0);
}

void TComSelect::ApplyToPort() {
    if (!port_) return;
    switch (property_) {
        case cpNone:
            break;
        case cpPort:
            port_->SetPort(portName_);
            break;
        case cpBaudRate:
            port_->SetBaudRate(baudRate_);
            break;
        case cpDataBits:
            port_->SetDataBits(dataBits_);
            break;
        case cpStopBits:
            port_->SetStopBits(stopBits_);
            break;
        case cpParity:
            port_->Parity().SetBits(parity_);
            break;
        case cpFlowControl:
            port_->FlowControl().SetFlowControl(flowControl_);
            break;
    }
}

QString TComSelect::PortValueText() const {
    switch (property_) {
        case cpNone:
            break;
        case cpPort:
            return port_->Port();
        case cpBaudRate:
            return BaudRateToText(port_->BaudRate());
        case cpDataBits:
            return DataBitsToText(port_->DataBits());
        case cpStopBits:
            return StopBitsToText(port_->StopBits());
        case cpParity:
            return ParityToText(port_->Parity().Bits());
        case cpFlowControl:
            return FlowControlToText(port_->FlowControl().FlowControl());
    }
    return QString();
}

void TComSelect::ShowPortValue() {
    if (!port_) return;
    const QString text = PortValueText();
    const QStringList items = list_.Items();
    int index = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (SameTextIgnoringCase(items[i], text)) {
            index = i;
            break;
        }
    }
    if (index >= 0) Hold(items[index]);
    list_.SetItemIndex(index);
}

void TComSelect::Pick(const QString& text) {
    Hold(text);
    if (autoApply_) ApplyToPort();
}

void TComSelect::Hold(const QString& text) {
    switch (property_) {
        case cpNone:
            break;
        case cpPort:
            portName_ = text;
            break;
        case cpBaudRate:
            baudRate_ = TextToBaudRate(text);
            break;
        case cpDataBits:
            dataBits_ = TextToDataBits(text);
            break;
        case cpStopBits:
            stopBits_ = TextToStopBits(text);
            break;
        case cpParity:
            parity_ = TextToParity(text);
            break;
        case cpFlowControl:
            flowControl_ = TextToFlowControl(text);
            break;
    }
}

}  // namespace torvel
