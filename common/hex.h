#pragma once
// Hex text as it appears inside frames: upper-case digits, two per byte, high digit first.

#include <QString>
#include <cstdint>

namespace torvel {

// 0-15; any character that is not a hex digit counts as 0 rather than failing.
std::uint8_t HexDigitValue(QChar c);
// The byte value of a hex text: only the first six characters (after TrimText) count and
// the result is taken modulo 256, so in effect the last two counted digits decide.
std::uint8_t HexToInt(const QString& text);
// hexN(v): v as `digits` upper-case hex digits, zero-padded (higher digits are cut off).
QString Hex(unsigned value, int digits);
// The same digits appended to `text`, for texts built piece by piece.
void AppendHex(QString& text, unsigned value, int digits);

}  // namespace torvel
