#include "protocol/frame.h"

#include <algorithm>
#include <array>

#include "common/hex.h"
#include "common/text.h"

namespace torvel {

namespace {

// HexToInt of the two characters `high`, `low` without building a text for them: its trim
// drops a trailing NUL, so a pair ending in NUL counts its first digit alone.
std::uint8_t PairValue(QChar high, QChar low) {
    if (low == QChar(u'\0')) return HexDigitValue(high);
    return static_cast<std::uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
}

}  // namespace

std::uint8_t ComputeLrc(QStringView text) {
    std::uint8_t sum = 0;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        sum = static_cast<std::uint8_t>(sum + PairValue(text[i], text[i + 1]));
    return static_cast<std::uint8_t>(-sum);
}

std::uint8_t HexField(QStringView text, int position) {
    const qsizetype at = position < 1 ? 0 : position - 1;
    if (at >= text.size()) return 0;
    // A lone last character: its trim leaves it, or nothing, which HexDigitValue counts as 0.
    if (at + 1 == text.size()) return HexDigitValue(text[at]);
    return PairValue(text[at], text[at + 1]);
}

QString RequestLine(std::uint8_t address, std::uint8_t function, const QString& data) {
    // Built in place: a request goes out after every reply, and each piece would be a text of
    // its own otherwise.
    QString line;
    line.reserve(1 + 4 + data.size() + 4);
    line += QLatin1Char(':');
    AppendHex(line, address, 2);
    AppendHex(line, function, 2);
    line += data;
    AppendHex(line, ComputeLrc(QStringView(line).sliced(1)), 2);
    line += QLatin1String("\r\n");
    return line;
}

bool ValidateFrame(const QString& packet, std::uint8_t& function, QString& payload) {
    payload.clear();
    const int length = static_cast<int>(packet.size());
    // The last three characters are always taken as LRC and CR, so a line ended by LF
    // alone fails here rather than being read with a shifted LRC.
    const QStringView body = QStringView(packet).first(std::max(length - 3, 0));
    if (HexField(packet, length - 2) != ComputeLrc(body)) return false;

    function = HexField(packet, 3);
    if (function & 0x80) {
        payload = CopyText(packet, 5, 2);
    } else {
        const int count = HexField(packet, 5);
        payload = CopyText(packet, 7, 2 * count);
    }
    return true;
}

QString ExceptionMessage(int code) {
    // clang-format off
    static const std::array<const char16_t*, 8> kMessages = {
        u"НЕВЕРНАЯ ФУНКЦИЯ",
        u"НЕВЕРНЫЙ АДРЕС",
        u"НЕВЕРНЫЕ ДАННЫЕ",
        u"ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА",
        u"ПОДТВЕРЖДЕНИЕ",
        u"УСТРОЙСТВО ЗАНЯТО",
        u"ОПЕРАЦИЯ НЕ МОЖЕТ БЫТЬ ВЫПОЛНЕНА",
        u"ОШИБКА ПАМЯТИ УСТРОЙСТВА",
    };
    // clang-format on
    if (code < 1 || code > static_cast<int>(kMessages.size())) return QString();
    return QString::fromUtf16(kMessages[static_cast<std::size_t>(code - 1)]);
}

}  // namespace torvel
