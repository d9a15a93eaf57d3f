#pragma once
// The test's end of a board's line: opens the published link as a raw serial line and
// exchanges whole lines with deadlines. Plain POSIX, independent of the real serial port.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

namespace torvel::test {

class PtyClient {
public:
    using Deadline = std::chrono::milliseconds;
    static constexpr Deadline kDefaultDeadline{5000};

    PtyClient() = default;
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;
    ~PtyClient() { Close(); }

    // Raw mode, no modem control, non-blocking. False with error() set on failure.
    bool Open(const QString& path);
    void Close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const QString& error() const { return error_; }

    // Writes every byte (waiting while the line is full) or fails at the deadline.
    bool Write(const QByteArray& bytes, Deadline deadline = kDefaultDeadline);
    // Writes RequestLine(address, function, data).
    bool WriteRequest(std::uint8_t address, std::uint8_t function, const QString& data,
                      Deadline deadline = kDefaultDeadline);
    // The next bytes up to and including LF (noise before ":" included), or nothing by the
    // deadline or when the line hangs up. Bytes after the LF stay for the next read.
    std::optional<QByteArray> ReadLine(Deadline deadline = kDefaultDeadline);
    // Whatever arrives within `wait`, with what was already buffered.
    QByteArray ReadAvailable(Deadline wait);
    // True once the other side has gone (POLLHUP, POLLERR or a read failing with EIO).
    bool WaitForHangUp(Deadline deadline = kDefaultDeadline);

private:
    // Reads what is there; false when the line has hung up.
    bool Fill();

    int fd_ = -1;
    QByteArray pending_;
    QString error_;
    bool hungUp_ = false;
};

// The packet the window's framer would hand on: the text after the first ":" up to,
// not including, the LF (CR kept). Empty when `line` holds no ":".
QString PacketOf(const QByteArray& line);

}  // namespace torvel::test
