#include "common/number_text.h"

#include <cctype>
#include <limits>

#include "common/hex.h"

namespace torvel {

std::optional<unsigned long long> ParseDigitsText(QStringView digits, int base,
                                                  unsigned long long max) {
    // Every character is checked here rather than left to QString's conversions, which take
    // blanks, a sign or a second "0x" and would let such text through.
    if (digits.isEmpty()) return std::nullopt;
    const auto radix = static_cast<unsigned long long>(base);
    unsigned long long value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const bool ascii = u < 0x80;
        if (!ascii || !(base == 16 ? std::isxdigit(u) : std::isdigit(u))) return std::nullopt;
        const unsigned long long digit = base == 16 ? HexDigitValue(c) : u - u'0';
        if (value > (max - digit) / radix) return std::nullopt;
        value = value * radix + digit;
    }
    return value;
}

std::optional<unsigned long long> ParseNumberText(const QString& text) {
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    return ParseDigitsText(QStringView(text).mid(hex ? 2 : 0), hex ? 16 : 10,
                           std::numeric_limits<unsigned long long>::max());
}

std::optional<unsigned long long> ParseNumberInRange(const QString& text, unsigned long long low,
                                                     unsigned long long high) {
    const auto value = ParseNumberText(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

}  // namespace torvel
