// The port's section of the settings file: the basic group only.

#include <QDebug>

#include "common/ini_file.h"
#include "transport/com_port.h"
#include "transport/com_text.h"

namespace torvel {

namespace {

const QString kPortKey = QStringLiteral("Port");
const QString kBaudRateKey = QStringLiteral("BaudRate");
const QString kCustomBaudRateKey = QStringLiteral("CustomBaudRate");
const QString kStopBitsKey = QStringLiteral("StopBits");
const QString kDataBitsKey = QStringLiteral("DataBits");
const QString kParityKey = QStringLiteral("Parity");
const QString kFlowControlKey = QStringLiteral("FlowControl");
constexpr int kDefaultCustomBaudRate = 9600;

int ToIntegerOr(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

QString TCustomComPort::SectionName() const {
    const QString name = objectName();
    return name.isEmpty() ? QStringLiteral("ComPort1") : name;
}

void TCustomComPort::SavePortSettings(const QString& fileName) const {
    IniFile file;
    QString reason;
    // The other sections of the file are kept: read it whole, change our keys, write it back.
    // A value the file refuses (a port name with a line break) fails the save as a whole.
    if (file.Load(fileName, &reason)) {
        SavePortSettings(file);
        if (file.Save(fileName, &reason)) return;
    }
    qWarning("Saving the port settings to %s failed: %s", qPrintable(fileName), qPrintable(reason));
    throw EComPort(TComPortError::StoreFailed);
}

void TCustomComPort::SavePortSettings(IniFile& file) const {
    const QString section = SectionName();
    file.WriteText(section, kPortKey, port_);
    file.WriteText(section, kBaudRateKey, BaudRateToText(baudRate_));
    if (baudRate_ == brCustom)
        file.WriteText(section, kCustomBaudRateKey, QString::number(customBaudRate_));
    file.WriteText(section, kStopBitsKey, StopBitsToText(stopBits_));
    file.WriteText(section, kDataBitsKey, DataBitsToText(dataBits_));
    file.WriteText(section, kParityKey, ParityToText(parity_.Bits()));
    file.WriteText(section, kFlowControlKey, FlowControlToText(flowControl_.FlowControl()));
}

void TCustomComPort::LoadPortSettings(const QString& fileName) {
    IniFile file;
    QString reason;
    if (!file.Load(fileName, &reason)) {
        qWarning("Loading the port settings from %s failed: %s", qPrintable(fileName),
                 qPrintable(reason));
        throw EComPort(TComPortError::LoadFailed);
    }
    LoadPortSettings(file);
}

void TCustomComPort::LoadPortSettings(const IniFile& file) {
    const QString section = SectionName();
    // Each key with the value held now as its default, so a missing key changes nothing.
    auto read = [&](const QString& key, const QString& current) {
        return file.ReadText(section, key, current);
    };
    BeginSettingsUpdate();
    bool bracketOpen = true;
    try {
        SetPort(read(kPortKey, port_));
        SetBaudRate(TextToBaudRate(read(kBaudRateKey, BaudRateToText(baudRate_))));
        if (baudRate_ == brCustom) {
            SetCustomBaudRate(
                ToIntegerOr(read(kCustomBaudRateKey, QString::number(kDefaultCustomBaudRate)),
                            kDefaultCustomBaudRate));
        }
        SetStopBits(TextToStopBits(read(kStopBitsKey, StopBitsToText(stopBits_))));
        SetDataBits(TextToDataBits(read(kDataBitsKey, DataBitsToText(dataBits_))));
        parity_.SetBits(TextToParity(read(kParityKey, ParityToText(parity_.Bits()))));
        flowControl_.SetFlowControl(TextToFlowControl(
            read(kFlowControlKey, FlowControlToText(flowControl_.FlowControl()))));
        bracketOpen = false;
        EndSettingsUpdate();
    } catch (const EComPort& error) {
        if (bracketOpen) --updateDepth_;
        qWarning("Loading the port settings failed: %s", error.what());
        throw EComPort(TComPortError::LoadFailed);
    }
}

}  // namespace torvel
