#pragma once
// Numbers typed on a command line: decimal, or hexadecimal after "0x" (either case). No
// sign, no blanks, no octal reading of a leading 0 ("010" is ten); torvel-board and
// torvel-cli both take their numbers this way.

#include <QString>
#include <QStringView>
#include <optional>

namespace torvel {

// The value, or nothing for an empty text, a character that is no digit of its base, or a
// value past 64 bits.
std::optional<unsigned long long> ParseNumberText(const QString& text);

// The same, and nothing for a value outside low ... high.
std::optional<unsigned long long> ParseNumberInRange(const QString& text, unsigned long long low,
                                                     unsigned long long high);

// The digits alone, in base 10 or 16, leading zeros allowed: nothing for an empty text, a
// character that is no ASCII digit of the base, or a value above `max`.
std::optional<unsigned long long> ParseDigitsText(QStringView digits, int base,
                                                  unsigned long long max);

}  // namespace torvel
