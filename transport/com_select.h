#pragma once
// TComSelect: the logic of a port setting list. It fills the list with the texts of one kind
// of setting, remembers the value picked, copies it into the bound port when asked, and
// shows the port's current value. The list itself is reached through TComItemList.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "transport/com_types.h"

namespace torvel {

class TCustomComPort;

enum TComProperty { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

// The items a TComSelect fills and selects in (a drop-down list, or a plain one in tests).
class TComItemList {
public:
    virtual ~TComItemList() = default;
    virtual void SetItems(const QStringList& items) = 0;
    virtual QStringList Items() const = 0;
    // -1: nothing selected.
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
};

class TComSelect : public QObject {
    Q_OBJECT

public:
    explicit TComSelect(TComItemList& list, QObject* parent = nullptr);

    TComProperty ComProperty() const { return property_; }
    // Fills the list with the kind's texts (the ports present for cpPort), then selects the
    // bound port's value, or item 0 without a port.
    void SetComProperty(TComProperty value);
    TCustomComPort* ComPort() const { return port_; }
    // Binds and shows the port's value; none only unbinds. Forgotten when the port is
    // destroyed (the list then selects item 0).
    void SetComPort(TCustomComPort* port);
    bool AutoApply() const { return autoApply_; }
    void SetAutoApply(bool value) { autoApply_ = value; }
    // Where cpPort takes the names of the ports present.
    void SetPortLister(std::function<QStringList()> lister) { portLister_ = std::move(lister); }

    // Copies the held value of the list's kind into the bound port (its setter's errors pass).
    void ApplyToPort();
    // Selects the item showing the port's current value (none when it is not listed; the held
    // value then stays as it was).
    void ShowPortValue();
    // The user picked the item with this text.
    void Pick(const QString& text);

    // Held values, one per kind; only the list's kind is used.
    QString PortName() const { return portName_; }
    TBaudRate BaudRate() const { return baudRate_; }
    TDataBits DataBits() const { return dataBits_; }
    TStopBits StopBits() const { return stopBits_; }
    TParityBits Parity() const { return parity_; }
    TFlowControl FlowControl() const { return flowControl_; }

private:
    void Hold(const QString& text);
    QString PortValueText() const;
    void Forget();

    TComItemList& list_;
    TComProperty property_ = cpNone;
    TCustomComPort* port_ = nullptr;
    QMetaObject::Connection portDestroyed_;
    bool autoApply_ = false;
    std::function<QStringList()> portLister_;

    QString portName_;
    TBaudRate baudRate_ = brCustom;
    TDataBits dataBits_ = dbFive;
    TStopBits stopBits_ = sbOneStopBit;
    TParityBits parity_ = prNone;
    TFlowControl flowControl_ = fcHardware;
};

}  // namespace torvel
