#include "tester/multi_base.h"

#include <limits>

#include "common/hex.h"

namespace torvel {

namespace {

constexpr int kHexDigits = 8;
constexpr int kBinDigits = 32;

QString WithoutLeadingZeros(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == QChar(u'0')) ++first;
    return first == text.size() ? QStringLiteral("0") : text.mid(first);
}

std::optional<std::int32_t> ParseDecimal(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QChar(u'-') || text.at(i) == QChar(u'+'))) {
        negative = text.at(i) == QChar(u'-');
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < u'0' || u > u'9') return std::nullopt;
        magnitude = magnitude * 10 + (u - u'0');
        // One past the largest positive value is still -2147483648.
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

QString FormatBaseValue(std::int32_t value, TBase base, int maxLength) {
    const auto bits = static_cast<std::uint32_t>(value);
    switch (base) {
        case bHEX:
            return Hex(bits, maxLength > 0 && maxLength < kHexDigits ? maxLength : kHexDigits);
        case bBIN: {
            QString text(kBinDigits, QChar(u'0'));
            for (int i = 0; i < kBinDigits; ++i) {
                if (bits & (1u << (kBinDigits - 1 - i))) text[i] = QChar(u'1');
            }
            return text;
        }
        case bDEC:
            break;
    }
    return QString::number(value);
}

std::optional<std::int32_t> ParseBaseValue(const QString& text, TBase base) {
    if (text.isEmpty()) return 0;
    const QString digits = WithoutLeadingZeros(text);
    switch (base) {
        case bHEX: {
            if (digits.size() > kHexDigits) return 0;
            std::uint32_t value = 0;
            for (const QChar c : digits) value = value * 16 + HexDigitValue(c);
            return static_cast<std::int32_t>(value);
        }
        case bBIN: {
            if (digits.size() > kBinDigits) return 0;
            std::uint32_t value = 0;
            for (const QChar c : digits) value = value * 2 + (c == QChar(u'1') ? 1 : 0);
            return static_cast<std::int32_t>(value);
        }
        case bDEC:
            break;
    }
    return ParseDecimal(digits);
}

bool AcceptsTypedChar(TBase base, QChar c, int caret) {
    const char16_t u = c.unicode();
    if (u == 8) return true;
    const bool decimalDigit = u >= u'0' && u <= u'9';
    switch (base) {
        case bHEX:
            return decimalDigit || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
        case bBIN:
            return u == u'0' || u == u'1';
        case bDEC:
            break;
    }
    return decimalDigit || (u == u'-' && caret == 0);
}

TBase BaseOfSwitchItem(int item) {
    return item == 1 ? bDEC : bHEX;
}

int ValueFieldMaxLength(TBase base) {
    return base == bDEC ? 3 : 2;
}

}  // namespace torvel
