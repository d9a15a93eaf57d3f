#include "support/pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "protocol/frame.h"

namespace torvel::test {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool PtyClient::Open(const QString& path) {
    Close();
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ =
            QStringLiteral("open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    termios settings{};
    if (tcgetattr(fd_, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        tcsetattr(fd_, TCSANOW, &settings);
    }
    // Bytes the board sent while nobody listened are not part of this conversation.
    tcflush(fd_, TCIOFLUSH);
    hungUp_ = false;
    pending_.clear();
    return true;
}

void PtyClient::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PtyClient::Write(const QByteArray& bytes, Deadline deadline) {
    const auto end = Clock::now() + deadline;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t size = ::write(fd_, bytes.constData() + done, bytes.size() - done);
        if (size > 0) {
            done += size;
            continue;
        }
        if (size < 0 && errno != EAGAIN && errno != EINTR) {
            error_ = QStringLiteral("write: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        pollfd fd{fd_, POLLOUT, 0};
        if (Clock::now() >= end || (::poll(&fd, 1, MillisecondsLeft(end)) == 0)) {
            error_ = QStringLiteral("write timed out");
            return false;
        }
    }
    return true;
}

bool PtyClient::WriteRequest(std::uint8_t address, std::uint8_t function, const QString& data,
                             Deadline deadline) {
    return Write(RequestLine(address, function, data).toLatin1(), deadline);
}

bool PtyClient::Fill() {
    char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(fd_, buffer, sizeof buffer);
        if (size > 0) {
            pending_.append(buffer, size);
            continue;
        }
        if (size < 0 && errno == EINTR) continue;
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        hungUp_ = true;  // EIO, or end of file: the master is gone
        return false;
    }
}

std::optional<QByteArray> PtyClient::ReadLine(Deadline deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (const qsizetype lf = pending_.indexOf('\n'); lf >= 0) {
            QByteArray line = pending_.left(lf + 1);
            pending_.remove(0, lf + 1);
            return line;
        }
        if (fd_ < 0 || hungUp_) return std::nullopt;
        pollfd fd{fd_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, MillisecondsLeft(end));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        if (!Fill() || (fd.revents & (POLLHUP | POLLERR) && !(fd.revents & POLLIN))) {
            hungUp_ = true;
            if (pending_.indexOf('\n') < 0) return std::nullopt;
        }
    }
}

QByteArray PtyClient::ReadAvailable(Deadline wait) {
    const auto end = Clock::now() + wait;
    while (fd_ >= 0 && !hungUp_) {
        pollfd fd{fd_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, MillisecondsLeft(end));
        if (ready <= 0) break;
        if (!Fill()) break;
    }
    QByteArray bytes = pending_;
    pending_.clear();
    return bytes;
}

bool PtyClient::WaitForHangUp(Deadline deadline) {
    const auto end = Clock::now() + deadline;
    while (fd_ >= 0 && !hungUp_) {
        pollfd fd{fd_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, MillisecondsLeft(end));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        if (fd.revents & (POLLHUP | POLLERR)) hungUp_ = true;
        if (fd.revents & POLLIN) Fill();
    }
    return hungUp_;
}

QString PacketOf(const QByteArray& line) {
    const qsizetype colon = line.indexOf(':');
    if (colon < 0) return QString();
    QByteArray packet = line.mid(colon + 1);
    if (packet.endsWith('\n')) packet.chop(1);
    return QString::fromLatin1(packet);
}

}  // namespace torvel::test
