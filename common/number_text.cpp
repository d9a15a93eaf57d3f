#include "common/number_text.h"

#include <limits>

namespace torvel {

namespace {

int DigitValue(char16_t c, int base) {
    int value = -1;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

std::optional<unsigned long long> ParseNumberText(const QString& text) {
    // Every character is checked here rather than left to QString's conversions, which take
    // blanks, a sign or a second "0x" and would let such text through.
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const int base = hex ? 16 : 10;
    const QStringView digits = QStringView(text).mid(hex ? 2 : 0);
    if (digits.isEmpty()) return std::nullopt;
    constexpr unsigned long long kMax = std::numeric_limits<unsigned long long>::max();
    unsigned long long value = 0;
    for (const QChar c : digits) {
        const int digit = DigitValue(c.unicode(), base);
        if (digit < 0) return std::nullopt;
        const auto d = static_cast<unsigned long long>(digit);
        if (value > (kMax - d) / static_cast<unsigned long long>(base)) return std::nullopt;
        value = value * static_cast<unsigned long long>(base) + d;
    }
    return value;
}

std::optional<unsigned long long> ParseNumberInRange(const QString& text, unsigned long long low,
                                                     unsigned long long high) {
    const auto value = ParseNumberText(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

}  // namespace torvel
