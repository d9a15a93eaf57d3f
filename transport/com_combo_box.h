#pragma once
// TComComboBox: a drop-down list (no free text) that picks one setting of a bound port. Its
// logic is the TComSelect it owns. It lives in torvel_transport_widgets, apart from the core.

#include <QComboBox>

#include "transport/com_select.h"

namespace torvel {

class TComComboBox : public QComboBox, private TComItemList {
    Q_OBJECT

public:
    explicit TComComboBox(QWidget* parent = nullptr);

    TComSelect& Select() { return *select_; }
    TCustomComPort* ComPort() const { return select_->ComPort(); }
    void SetComPort(TCustomComPort* port) { select_->SetComPort(port); }
    TComProperty ComProperty() const { return select_->ComProperty(); }
    void SetComProperty(TComProperty value) { select_->SetComProperty(value); }
    bool AutoApply() const { return select_->AutoApply(); }
    void SetAutoApply(bool value) { select_->SetAutoApply(value); }
    void ApplyToPort() { select_->ApplyToPort(); }
    void ShowPortValue() { select_->ShowPortValue(); }

    int ItemIndex() const override { return currentIndex(); }
    void SetItemIndex(int index) override { setCurrentIndex(index); }
    // The selected item's text, empty with no selection.
    QString Text() const { return currentIndex() < 0 ? QString() : currentText(); }
    // Selects the first item equal to `text`; nothing when there is none.
    void SetText(const QString& text);
    // What a user's pick does: select, hold the value (applying it with AutoApply), then
    // signal Change.
    void PickItem(int index);
    // Adds an item that shows `shown` but stands for `value`, as a stored port that is not
    // present now does; showing or picking it holds `value`. Returns its index.
    int AddMarkedItem(const QString& value, const QString& shown);
    // The value an item stands for: its text, or the value of a marked item.
    QString ItemValue(int index) const;

signals:
    // After a user's pick has been taken into the held value.
    void Change();

private:
    void SetItems(const QStringList& items) override;
    QStringList Items() const override;

    TComSelect* select_;
};

}  // namespace torvel
