#pragma once
// Helpers of the board's tests: asking the device in hex text, and driving a session on
// a clock of the test's own.

#include <QByteArray>
#include <QString>

#include "board/device.h"
#include "board/session.h"

namespace torvel::board {

inline DeviceReply Ask(BoardDevice& device, std::uint8_t function, const char* hexData) {
    return device.Serve(function, QByteArray::fromHex(hexData));
}

inline QString Reply(BoardDevice& device, std::uint8_t function, const char* hexData) {
    const DeviceReply reply = Ask(device, function, hexData);
    return QString::number(reply.function, 16).toUpper().rightJustified(2, u'0') + reply.data;
}

// Runs the session's clock forward from `now` wake-up by wake-up until it has nothing left
// to send (or `until` passes) and returns every byte it wrote.
inline QByteArray Drain(BoardSession& session, Clock::time_point& now,
                        Clock::time_point until = Clock::time_point::max()) {
    QByteArray out;
    for (int step = 0; step < 100000; ++step) {
        out += session.TakeOutput(now);
        const auto wake = session.NextWakeUp();
        if (!wake || *wake > until) break;
        now = std::max(now, *wake);
    }
    return out;
}

}  // namespace torvel::board
