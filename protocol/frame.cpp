#include "protocol/frame.h"

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

std::uint8_t ComputeLrc(const QString& text) {
    std::uint8_t sum = 0;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        sum = static_cast<std::uint8_t>(sum + PairValue(text.at(i), text.at(i + 1)));
    return static_cast<std::uint8_t>(-sum);
}

QString RequestLine(std::uint8_t address, std::uint8_t function, const QString& data) {
    const QString body = Hex(address, 2) + Hex(function, 2) + data;
    return QLatin1Char(':') + body + Hex(ComputeLrc(body), 2) + QLatin1String("\r\n");
}

bool ValidateFrame(const QString& packet, std::uint8_t& function, QString& payload) {
    payload.clear();
    const int length = static_cast<int>(packet.size());
    // The last three characters are always taken as LRC and CR, so a line ended by LF
    // alone fails here rather than being read with a shifted LRC.
    const QString body = CopyText(packet, 1, length - 3);
    const std::uint8_t received = HexToInt(CopyText(packet, length - 2, 2));
    if (received != ComputeLrc(body)) return false;

    function = HexToInt(CopyText(packet, 3, 2));
    if (function & 0x80) {
        payload = CopyText(packet, 5, 2);
    } else {
        const int count = HexToInt(CopyText(packet, 5, 2));
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
