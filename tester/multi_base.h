#pragma once
// The rules of the number fields of the tester tab and of the slave address: how a value is
// shown in a base, how a text is read back, and which typed characters a base accepts.
// The widget TMultiBaseEdit applies them; nothing here needs a window.

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

namespace torvel {

enum TBase : int { bDEC = 0, bHEX = 1, bBIN = 2 };

// The text SetValue shows. bHEX: the value as unsigned 32 bits in upper-case digits, of which
// only the last `maxLength` are kept when that is below 8 (zero-filled, higher digits dropped);
// bDEC: decimal with "-" when negative; bBIN: all 32 binary digits.
QString FormatBaseValue(std::int32_t value, TBase base, int maxLength);

// GetValue's reading of a text: empty gives 0, leading "0"s do not count. bHEX and bBIN take
// every foreign character as digit 0 and give 0 for a text longer than 8 or 32 characters.
// bDEC gives nothing for a text that is no 32-bit integer (a lone "-", pasted letters), so
// the caller can refuse to act on it.
std::optional<std::int32_t> ParseBaseValue(const QString& text, TBase base);

// The key filter for one typed character; `caret` is where it would go (0 = before the first
// character). Backspace (code 8) is always accepted.
bool AcceptsTypedChar(TBase base, QChar c, int caret);

// The base switches beside the fields: item 0 "h", item 1 "d".
TBase BaseOfSwitchItem(int item);
// Maximum length of a value field after its switch chose `base`: two hex or three decimal
// digits, the range of one byte.
int ValueFieldMaxLength(TBase base);

}  // namespace torvel
