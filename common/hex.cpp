#include "common/hex.h"

#include "common/text.h"

namespace torvel {

std::uint8_t HexDigitValue(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9') return static_cast<std::uint8_t>(u - u'0');
    if (u >= u'A' && u <= u'F') return static_cast<std::uint8_t>(u - u'A' + 10);
    return 0;
}

std::uint8_t HexToInt(const QString& text) {
    const QString t = TrimText(text);
    const qsizetype n = t.size() < 6 ? t.size() : 6;
    std::uint8_t value = 0;
    for (qsizetype i = 0; i < n; ++i)
        value = static_cast<std::uint8_t>(value * 16 + HexDigitValue(t.at(i)));
    return value;
}

QString Hex(unsigned value, int digits) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    QString text(digits, QChar(u'0'));
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = QChar(kDigits[value & 0xF]);
        value >>= 4;
    }
    return text;
}

}  // namespace torvel
