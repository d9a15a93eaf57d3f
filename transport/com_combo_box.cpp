#include "transport/com_combo_box.h"

namespace torvel {

TComComboBox::TComComboBox(QWidget* parent)
    : QComboBox(parent), select_(new TComSelect(*this, this)) {
    setEditable(false);
    // activated fires for the user's picks only, not for selections made by code.
    connect(this, &QComboBox::activated, this, [this](int index) {
        select_->Pick(ItemValue(index));
        emit Change();
    });
}

void TComComboBox::SetText(const QString& text) {
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) setCurrentIndex(index);
}

void TComComboBox::PickItem(int index) {
    setCurrentIndex(index);
    select_->Pick(index < 0 ? QString() : ItemValue(index));
    emit Change();
}

void TComComboBox::SetItems(const QStringList& items) {
    clear();
    addItems(items);
}

int TComComboBox::AddMarkedItem(const QString& value, const QString& shown) {
    addItem(shown, value);
    return count() - 1;
}

QString TComComboBox::ItemValue(int index) const {
    const QVariant value = itemData(index);
    return value.isValid() ? value.toString() : itemText(index);
}

QStringList TComComboBox::Items() const {
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i) items.append(ItemValue(i));
    return items;
}

}  // namespace torvel
