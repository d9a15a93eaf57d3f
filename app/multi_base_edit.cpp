#include "app/multi_base_edit.h"

#include <QKeyEvent>
#include <QValidator>
#include <algorithm>

using namespace torvel;

namespace {

// Upper-cases whatever is typed or pasted; it refuses nothing, since pasted text is read by
// GetValue's rules rather than filtered.
class TUpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

constexpr int kNoLimit = 32767;

}  // namespace

TMultiBaseEdit::TMultiBaseEdit(QWidget* parent) : QLineEdit(parent), limit_(kNoLimit) {
    setValidator(new TUpperCaseValidator(this));
    connect(this, &QLineEdit::textChanged, this, &TMultiBaseEdit::FitLimitToText);
    SetValue(0);
}

void TMultiBaseEdit::SetBase(TBase base) {
    const qint32 value = GetValue().value_or(0);
    base_ = base;
    SetValue(value);
}

void TMultiBaseEdit::SetValue(qint32 value) {
    Show(FormatBaseValue(value, base_, limit_));
}

std::optional<qint32> TMultiBaseEdit::GetValue() const {
    return ParseBaseValue(text(), base_);
}

void TMultiBaseEdit::setMaxLength(int length) {
    SetMaxLengthKeepingText(length);
    const std::optional<qint32> value = GetValue();
    if (text().size() > limit_ && value) SetValue(*value);
}

void TMultiBaseEdit::SetMaxLengthKeepingText(int length) {
    // 0 means no limit, as in the designer's files; Qt's own "no limit" is its default.
    limit_ = length > 0 ? length : kNoLimit;
    FitLimitToText();
}

void TMultiBaseEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool shortcut =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Only characters are filtered; editing and navigation keys and shortcuts (paste among
    // them) go through.
    const bool character =
        !typed.isEmpty() && !shortcut &&
        std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); });
    if (character) {
        const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
        for (const QChar c : typed) {
            if (!AcceptsTypedChar(base_, c, caret)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TMultiBaseEdit::Show(const QString& text) {
    QLineEdit::setMaxLength(std::max<int>(limit_, static_cast<int>(text.size())));
    setText(text);
}

void TMultiBaseEdit::FitLimitToText() {
    const int room = std::max<int>(limit_, static_cast<int>(text().size()));
    if (QLineEdit::maxLength() == room) return;
    // Qt moves the caret to the end when the limit changes; keep it where the user is.
    const int caret = cursorPosition();
    QLineEdit::setMaxLength(room);
    setCursorPosition(caret);
}
