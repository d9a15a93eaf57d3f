#pragma once
// TMultiBaseEdit: a one-line number field that shows its value in a selectable base, lets
// only that base's digits be typed, reads pasted text by the same rules as any other text,
// and shows letters in upper case. The rules themselves live in tester/multi_base.h.

#include <QLineEdit>
#include <optional>

#include "tester/multi_base.h"

class TMultiBaseEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(torvel::TBase Base READ Base WRITE SetBase)
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)

public:
    explicit TMultiBaseEdit(QWidget* parent = nullptr);

    torvel::TBase Base() const { return base_; }
    // Keeps the number and shows it in the new base.
    void SetBase(torvel::TBase base);

    void SetValue(qint32 value);
    // The number the text holds; nothing for a decimal text that is no integer (a lone "-"),
    // which an operation must refuse rather than read as 0.
    std::optional<qint32> GetValue() const;
    // The designer's view of GetValue: such a text reads as 0.
    qint32 Value() const { return GetValue().value_or(0); }

    // Hide QLineEdit's own: its limit cuts a longer text, which would change the number (a
    // hex 00A cut to 00 when the length drops from 3 to 2). Here a shorter limit shows the
    // value again in the room it has, and a text that still does not fit keeps its digits
    // until the user shortens it.
    int maxLength() const { return limit_; }
    void setMaxLength(int length);
    // The limit for what is typed from now on; the text shown stays as it is until the value
    // is next set (a base switch changes the base first, then the length it needs).
    void SetMaxLengthKeepingText(int length);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show(const QString& text);
    void FitLimitToText();

    torvel::TBase base_ = torvel::bDEC;
    int limit_;
};
