#include "protocol/traffic_text.h"

#include <algorithm>

#include "common/hex.h"
#include "common/text.h"
#include "protocol/frame.h"
#include "protocol/requests.h"

namespace torvel {

namespace {

// ":" + address + function.
constexpr int kFrameHead = 5;
constexpr int kLrcLength = 2;

const QString kHexSuffix = QStringLiteral("h");

// Two or four hex digits of `text` from 1-based `position` as a number.
unsigned Field(const QString& text, int position, int digits) {
    unsigned value = 0;
    for (int i = 0; i < digits; i += 2)
        value = (value << 8) | HexToInt(CopyText(text, position + i, 2));
    return value;
}

QString HexField(const QString& text, int position, int digits) {
    return Hex(Field(text, position, digits), digits) + kHexSuffix;
}

bool HasHead(const QByteArray& frame) {
    return frame.size() >= kFrameHead && frame.startsWith(':');
}

// The data field: after address and function, before the LRC.
QString DataField(const QString& frame) {
    return CopyText(frame, kFrameHead + 1,
                    static_cast<int>(frame.size()) - kFrameHead - kLrcLength);
}

QString Printable(const QByteArray& bytes, bool cut) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            text += QChar(char16_t{byte});
        else
            text += u'<' + Hex(byte, 2) + u'>';
    }
    if (cut) text += QStringLiteral("...");
    return text;
}

QString NoiseText(const QByteArray& bytes, bool cut) {
    QString text = QString::fromLatin1(bytes.toHex(' ').toUpper());
    if (cut) text += QStringLiteral(" ...");
    return text;
}

// Function 20 and 21 sub-requests, the same in a request and in the echo of a reply:
// byte count, reference type, file, record, record length.
QString FileRecordMeaning(const QString& data) {
    return QStringLiteral("файл %1, запись %2, %3 байт")
        .arg(Field(data, 5, 4))
        .arg(HexField(data, 9, 4))
        .arg(Field(data, 13, 4));
}

QString InterruptRequestMeaning(const QString& data) {
    const QString line = QStringLiteral("линия %1").arg(Field(data, 1, 2));
    const unsigned count = Field(data, 3, 4);
    if (count == 0) return line + QStringLiteral(", снять");
    QString meaning = line + QStringLiteral(", событий %1").arg(count);
    if (Field(data, 7, 2) != 0)
        meaning +=
            QStringLiteral(", регистров %1 с %2").arg(Field(data, 11, 2)).arg(HexField(data, 9, 2));
    return meaning;
}

QString InterruptEventMeaning(const QString& payload) {
    if (Field(payload, 1, 2) == 0) return QStringLiteral("подтверждение");
    // At most 8 values, whatever the count claims.
    const unsigned count = std::min(Field(payload, 5, 2), 8u);
    QStringList values;
    for (unsigned i = 0; i < count; ++i) {
        const int position = 7 + 2 * static_cast<int>(i);
        if (position + 1 > payload.size()) break;
        values.append(HexField(payload, position, 2));
    }
    QString meaning = QStringLiteral("событие");
    if (!values.isEmpty()) meaning += QStringLiteral(": ") + values.join(u' ');
    return meaning;
}

QString RequestMeaning(std::uint8_t function, const QString& data) {
    switch (function) {
        case fnReadCoils:
            return QStringLiteral("бит ") + HexField(data, 1, 4);
        case fnReadRegisters:
            return QStringLiteral("регистр ") + HexField(data, 1, 4);
        case fnWriteCoil:
            return QStringLiteral("бит %1 = %2").arg(HexField(data, 1, 4), HexField(data, 5, 4));
        case fnWriteRegister:
            return QStringLiteral("регистр %1 = %2")
                .arg(HexField(data, 1, 4), HexField(data, 5, 4));
        case fnReadFileRecord:
        case fnWriteFileRecord:
            return FileRecordMeaning(data);
        case fnInterrupt:
            return InterruptRequestMeaning(data);
        default:
            return QString();
    }
}

QString ReplyMeaning(std::uint8_t function, const QString& data) {
    // Counted replies: the byte count, then the payload.
    const QString payload = CopyText(data, 3, static_cast<int>(data.size()) - 2);
    switch (function) {
        case fnReadCoils:
            return QStringLiteral("состояние ") + HexField(payload, 1, 2);
        case fnReadRegisters:
            return QStringLiteral("значение ") + HexField(payload, 1, 4);
        case fnWriteCoil:
        case fnWriteRegister:
        case fnWriteFileRecord:
            return RequestMeaning(function, data);
        case fnReportSlaveId:
            return QStringLiteral("плата %1, версия %2.%3, ПЛИС %4")
                .arg(HexField(payload, 1, 2), CopyText(payload, 5, 1), CopyText(payload, 6, 1),
                     HexField(payload, 7, 2));
        case fnReadFileRecord:
            return QStringLiteral("%1 байт").arg(Field(payload, 1, 2));
        case fnInterrupt:
            return InterruptEventMeaning(payload);
        default:
            return QString();
    }
}

QString Meaning(const TrafficRow& row) {
    if (row.kind == TrafficKind::tkEnd) {
        if (row.state == TrafficState::tsTimeout) return QStringLiteral("ответа нет");
        return QString::fromUtf8(row.frame);
    }
    if (row.kind == TrafficKind::tkNoise || !HasHead(row.frame)) return QString();
    const QString frame = QString::fromLatin1(row.frame);
    const std::uint8_t function = HexToInt(CopyText(frame, 4, 2));
    const QString data = DataField(frame);
    if (row.kind == TrafficKind::tkRequest) return RequestMeaning(function, data);
    switch (row.state) {
        case TrafficState::tsException:
            return QStringLiteral("код ") + HexField(data, 1, 2);
        case TrafficState::tsOk:
        case TrafficState::tsLeftover:
            return ReplyMeaning(function, data);
        default:
            // A frame that failed its checks is not decoded: its fields could mislead.
            return QString();
    }
}

QString ExceptionState(const TrafficRow& row) {
    const unsigned code = Field(DataField(QString::fromLatin1(row.frame)), 1, 2);
    const QString message = ExceptionMessage(static_cast<int>(code));
    return QStringLiteral("исключение: ") +
           (message.isEmpty() ? Hex(code, 2) + kHexSuffix : message);
}

QString StateText(const TrafficRow& row) {
    switch (row.state) {
        case TrafficState::tsSent:
            return QStringLiteral("передан");
        case TrafficState::tsOk:
            return QStringLiteral("ок");
        case TrafficState::tsException:
            return ExceptionState(row);
        case TrafficState::tsBadLrc:
            return QStringLiteral("ошибка LRC");
        case TrafficState::tsBadFrame:
            return QStringLiteral("ошибка кадра");
        case TrafficState::tsLeftover:
            return QStringLiteral("остаток");
        case TrafficState::tsNoise:
            return QStringLiteral("шум");
        case TrafficState::tsTimeout:
            return QStringLiteral("таймаут");
        case TrafficState::tsWriteTimeout:
            return QStringLiteral("запрос не передан");
        case TrafficState::tsWriteFailed:
            return QStringLiteral("ошибка записи");
        case TrafficState::tsDeviceLost:
            return QStringLiteral("связь потеряна");
        case TrafficState::tsPortError:
            return QStringLiteral("ошибка порта");
    }
    return QString();
}

QString DirectionText(TrafficKind kind, bool forFile) {
    switch (kind) {
        case TrafficKind::tkRequest:
            return forFile ? QStringLiteral("->") : QStringLiteral("→");
        case TrafficKind::tkPacket:
        case TrafficKind::tkNoise:
            return forFile ? QStringLiteral("<-") : QStringLiteral("←");
        case TrafficKind::tkEnd:
            break;
    }
    return QString();
}

// Address and function as the frame carries them; an end row keeps its request's.
bool HeadBytes(const TrafficRow& row, std::uint8_t& address, std::uint8_t& function) {
    if (row.kind == TrafficKind::tkEnd) {
        address = row.address;
        function = row.function;
        return function != 0;
    }
    if (row.kind == TrafficKind::tkNoise || !HasHead(row.frame)) return false;
    const QString frame = QString::fromLatin1(row.frame.left(kFrameHead));
    address = HexToInt(CopyText(frame, 2, 2));
    function = HexToInt(CopyText(frame, 4, 2));
    return true;
}

}  // namespace

QString TrafficFunctionName(std::uint8_t function) {
    switch (function & 0x7F) {
        case fnReadCoils:
            return QStringLiteral("Чтение битов");
        case fnReadRegisters:
            return QStringLiteral("Чтение регистров");
        case fnWriteCoil:
            return QStringLiteral("Запись бита");
        case fnWriteRegister:
            return QStringLiteral("Запись регистра");
        case fnReportSlaveId:
            return QStringLiteral("Идентификация");
        case fnReadFileRecord:
            return QStringLiteral("Чтение файла");
        case fnWriteFileRecord:
            return QStringLiteral("Запись файла");
        case fnInterrupt:
            return QStringLiteral("Прерывания");
        default:
            return QString();
    }
}

QString TrafficColumnTitle(int column) {
    static const char16_t* const kTitles[tcColumnCount] = {
        u"Время, мс",  u"",          u"Адрес",      u"Функция",
        u"Содержание", u"Состояние", u"Ответ, мкс", u"Кадр",
    };
    if (column < 0 || column >= tcColumnCount) return QString();
    return QString::fromUtf16(kTitles[column]);
}

QString TrafficCell(const TrafficRow& row, int column, bool forFile) {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    switch (column) {
        case tcTime:
            return QString::number(static_cast<double>(row.at) / 1e6, 'f', 3);
        case tcDirection:
            return DirectionText(row.kind, forFile);
        case tcAddress:
            return HeadBytes(row, address, function) ? Hex(address, 2) : QString();
        case tcFunction: {
            if (!HeadBytes(row, address, function)) return QString();
            const QString name = TrafficFunctionName(function);
            const QString number = QString::number(function & 0x7F);
            return name.isEmpty() ? number : number + u' ' + name;
        }
        case tcMeaning:
            return Meaning(row);
        case tcFrame:
            if (row.kind == TrafficKind::tkEnd) return QString();
            return row.kind == TrafficKind::tkNoise ? NoiseText(row.frame, row.cut)
                                                    : Printable(row.frame, row.cut);
        case tcState:
            return StateText(row);
        case tcRoundTrip:
            return row.roundTrip >= 0 ? QString::number(row.roundTrip / 1000) : QString();
        default:
            return QString();
    }
}

QStringList TrafficCells(const TrafficRow& row, bool forFile) {
    QStringList cells;
    cells.reserve(tcColumnCount);
    for (int column = 0; column < tcColumnCount; ++column)
        cells.append(TrafficCell(row, column, forFile));
    return cells;
}

}  // namespace torvel
