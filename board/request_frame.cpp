#include "board/request_frame.h"

#include "common/hex.h"
#include "protocol/frame.h"

namespace torvel::board {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

FrameFault DecodeRequest(const QByteArray& line, RequestFrame& frame) {
    if (!line.startsWith(':') || !line.endsWith("\r\n")) return FrameFault::ffNoLineEnd;
    const QByteArray body = line.mid(1, line.size() - 3);
    for (const char c : body)
        if (!IsHexDigit(c)) return FrameFault::ffNotHex;
    if (body.size() % 2 != 0 || body.size() < 6) return FrameFault::ffTooShort;

    const QByteArray bytes = QByteArray::fromHex(body);
    const QString checked = QString::fromLatin1(body.left(body.size() - 2));
    if (ComputeLrc(checked) != static_cast<std::uint8_t>(bytes.back()))
        return FrameFault::ffWrongLrc;
    frame.address = static_cast<std::uint8_t>(bytes.at(0));
    frame.function = static_cast<std::uint8_t>(bytes.at(1));
    frame.data = bytes.mid(2, bytes.size() - 3);
    return FrameFault::ffNone;
}

QString FrameFaultText(FrameFault fault) {
    switch (fault) {
        case FrameFault::ffNone:
            return QString();
        case FrameFault::ffNoLineEnd:
            return QStringLiteral("no CR LF");
        case FrameFault::ffNotHex:
            return QStringLiteral("not hex");
        case FrameFault::ffTooShort:
            return QStringLiteral("too short");
        case FrameFault::ffWrongLrc:
            return QStringLiteral("wrong LRC");
    }
    return QString();
}

QByteArray ReplyLine(std::uint8_t address, std::uint8_t function, const QString& data,
                     std::uint8_t lrcError) {
    QByteArray line = RequestLine(address, function, data).toLatin1();
    if (lrcError) {
        const qsizetype at = line.size() - 4;
        const auto lrc =
            static_cast<std::uint8_t>(QByteArray::fromHex(line.mid(at, 2)).at(0) + lrcError);
        line.replace(at, 2, Hex(lrc, 2).toLatin1());
    }
    return line;
}

}  // namespace torvel::board
