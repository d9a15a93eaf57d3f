#include "common/hex.h"

#include "common/text.h"

namespace torvel {

std::uint8_t HexDigitValue(QChar c) {
    // Only a-f have an upper case that is a hex digit: no other character needs a case lookup.
    char16_t u = c.unicode();
    if (u >= u'a' && u <= u'f') u = static_cast<char16_t>(u - u'a' + u'A');
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
    QString text;
    AppendHex(text, value, digits);
    return text;
}

void AppendHex(QString& text, unsigned value, int digits) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    if (digits <= 0) return;
    const qsizetype start = text.size();
    text.resize(start + digits);
    QChar* out = text.data() + start;
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = QChar(kDigits[value & 0xF]);
        value >>= 4;
    }
}

}  // namespace torvel
