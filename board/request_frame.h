#pragma once
// Decodes one request line strictly, as a slave must: ":" + hex pairs + CR LF, at least
// address, function and LRC, and an LRC that matches. Anything else gets no reply.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace torvel::board {

enum class FrameFault { ffNone, ffNoLineEnd, ffNotHex, ffTooShort, ffWrongLrc };

struct RequestFrame {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    QByteArray data;
};

FrameFault DecodeRequest(const QByteArray& line, RequestFrame& frame);
QString FrameFaultText(FrameFault fault);

// ":" + hex2(address) + hex2(function) + data + hex2(LRC, plus `lrcError`) + CR LF.
QByteArray ReplyLine(std::uint8_t address, std::uint8_t function, const QString& data,
                     std::uint8_t lrcError = 0);

}  // namespace torvel::board
