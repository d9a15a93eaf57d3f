#pragma once
// A pseudo-terminal for tests and benchmarks: the test holds the master (the far side, where
// a board would be); the port under test opens the slave by its path.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace torvel::testing {

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal name");
        path_ = QString::fromLocal8Bit(name);
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const QString& SlavePath() const { return path_; }
    int MasterFd() const { return master_; }

    // Writes everything, waiting for room; false when the deadline passes first.
    bool Write(QByteArrayView bytes, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(master_, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            pollfd out{master_, POLLOUT, 0};
            ::poll(&out, 1, 10);
        }
        return true;
    }

    // Reads until `count` bytes have come or the deadline passes; returns what came.
    QByteArray Read(qsizetype count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        QByteArray bytes;
        char chunk[4096];
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd in{master_, POLLIN, 0};
            if (::poll(&in, 1, 10) <= 0) continue;
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) bytes.append(chunk, n);
        }
        return bytes;
    }

    // Drops whatever the slave side has written so far.
    void Drain() {
        char chunk[4096];
        while (::read(master_, chunk, sizeof chunk) > 0) {
        }
    }

    // The far side hangs up: the slave sees POLLHUP, reads and writes fail with EIO.
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString path_;
};

}  // namespace torvel::testing
