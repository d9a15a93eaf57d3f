// The Linux serial backend: every termios and ioctl call of the port lives here.

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <QFile>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "transport/com_backend.h"
#include "transport/com_backend_linux.h"
#include "transport/port_access.h"

// The kernel's termios with free input and output speeds. <asm/termbits.h> would clash with
// <termios.h>, so the layout is declared here; TCGETS2/TCSETS2 refer to it by this name.
struct termios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
static_assert(sizeof(termios2) == 44, "kernel termios2 layout");

namespace torvel {

namespace {

using Clock = std::chrono::steady_clock;

#ifndef BOTHER
constexpr tcflag_t BOTHER = 0010000;  // speed given in c_ospeed/c_ispeed
#endif
#ifndef IBSHIFT
constexpr int IBSHIFT = 16;  // input speed code sits this far above the output's
#endif
constexpr int kUnix98PtySlaveMajorFirst = 136;
constexpr int kUnix98PtySlaveMajorLast = 143;
// Modem lines and error counters have no wake-up of their own; they are sampled this often.
constexpr auto kSamplePeriod = std::chrono::milliseconds(100);
// How soon after a write the drained output queue is noticed.
constexpr auto kTxEmptyPeriod = std::chrono::milliseconds(10);
constexpr TComEvents kSampledEvents =
    TComEvents(evCTS) | evDSR | evRLSD | evRing | evBreak | evError;

struct SpeedCode {
    int rate;
    tcflag_t code;
};
// clang-format off
constexpr SpeedCode kSpeedCodes[] = {
    {110, B110}, {300, B300}, {600, B600}, {1200, B1200}, {2400, B2400}, {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};
// clang-format on

// Pseudo-terminals and some drivers have no modem lines; that is a property, not a failure.
bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL;
}

int Ioctl(int fd, unsigned long request, void* argument) {
    int rc;
    do {
        rc = ::ioctl(fd, request, argument);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

QByteArray DevicePath(const QString& port) {
    return QFile::encodeName(PortDevicePath(port));
}

void MakeRaw(termios2& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    // Reads return at once with what has arrived.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

// Unsupported combinations are refused rather than approximated silently.
bool Supported(const TComDeviceControl& c) {
    if (c.baudRate <= 0 || c.byteSize < 5 || c.byteSize > 8 || c.parity > 4 || c.stopBits > 2)
        return false;
    // One and a half stop bits exist only with five data bits; two stop bits never do.
    if (c.stopBits == 1 && c.byteSize != 5) return false;
    if (c.stopBits == 2 && c.byteSize == 5) return false;
    if (c.flags & (dcb::fOutxDsrFlow | dcb::fDsrSensitivity)) return false;
    if ((c.flags & dcb::fDtrControlMask) == dcb::fDtrHandshake) return false;
    if ((c.flags & dcb::fRtsControlMask) == dcb::fRtsToggle) return false;
    // Bytes with errors read as NUL; no other replacement character exists here.
    if ((c.flags & dcb::fErrorChar) && c.errorChar != 0) return false;
    return true;
}

void SetLine(termios2& t, const TComDeviceControl& c) {
    MakeRaw(t);
    constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS |
                                        CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= kSizes[c.byteSize - 5];
    switch (c.parity) {
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (c.stopBits != 0) t.c_cflag |= CSTOPB;
    if ((c.flags & dcb::fOutxCtsFlow) || (c.flags & dcb::fRtsControlMask) == dcb::fRtsHandshake) {
        t.c_cflag |= CRTSCTS;
    }
    if (c.flags & dcb::fParity) t.c_iflag |= INPCK;
    if (c.flags & dcb::fOutX) t.c_iflag |= IXON;
    if (c.flags & dcb::fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(c.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(c.xoffChar);

    const auto* known = std::find_if(std::begin(kSpeedCodes), std::end(kSpeedCodes),
                                     [&](const SpeedCode& s) { return s.rate == c.baudRate; });
    t.c_cflag |= known != std::end(kSpeedCodes) ? known->code : BOTHER;
    // Input speed 0 in CIBAUD: the input runs at the output speed.
    t.c_ispeed = static_cast<speed_t>(c.baudRate);
    t.c_ospeed = static_cast<speed_t>(c.baudRate);
}

// A driver may accept the call yet keep a setting it cannot do; read back what matters.
bool TookEffect(const termios2& wanted, const termios2& actual) {
    constexpr tcflag_t kCflags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD;
    constexpr tcflag_t kIflags = INPCK | IXON | IXOFF;
    if ((wanted.c_cflag & kCflags) != (actual.c_cflag & kCflags)) return false;
    if ((wanted.c_iflag & kIflags) != (actual.c_iflag & kIflags)) return false;
    if ((wanted.c_cflag & CBAUD) == BOTHER) {
        // Drivers round a free speed to what their divisor gives; 2 % is what a UART tolerates.
        const double ratio = static_cast<double>(actual.c_ospeed) / wanted.c_ospeed;
        if (ratio < 0.98 || ratio > 1.02) return false;
    }
    return true;
}

int MillisecondsUntil(Clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, 1 << 30));
}

class LinuxBackend final : public TComBackend {
public:
    ~LinuxBackend() override { Close(); }

    int Open(const QString& port) override;
    void Close() override;
    int ApplyBufferSizes(int inputSize, int outputSize) override;
    int ApplyLineSettings(const TComDeviceControl& control) override;
    int ApplyTimeouts(const TComTimeoutValues&) override { return fd_ < 0 ? EBADF : 0; }
    TComWaitResult WaitForEvents(TComEvents wanted) override;
    void StopWaiting() override;
    int InputDescriptor() const override { return fd_; }
    TComWaitResult InputState() override;
    TComIoResult PendingInput() override;
    TComIoResult Read(char* buffer, int count) override;
    TComIoResult Write(const char* data, int count, int timeoutMs, bool reportDrained) override;
    int Purge(TComPurges what) override;
    int ModemSignals(TComSignals& lines) override;
    int TakeLineErrors(TComErrors& errors) override;

private:
    int OpenDevice(const QByteArray& path, struct stat& info);
    void AskLowLatency();
    void HoldControlLines(const TComDeviceControl& control);
    void Wake();
    TComEvents SampleLines(TComEvents wanted);
    TComEvents CheckTxEmpty();
    TComEvents CheckUnreadInput();
    int QueuedInput() const;

    // Set on the port's thread before the event thread starts, cleared after it ended.
    int fd_ = -1;
    int wakeFd_ = -1;
    bool exclusive_ = false;
    bool isPty_ = false;
    bool hasModemLines_ = false;
    termios2 original_{};
    bool discardNull_ = false;

    // Shared between the port's thread and the event thread.
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> txPending_{false};
    std::atomic<bool> readSinceRxReport_{true};
    std::atomic<unsigned> lineErrors_{0};
    std::atomic<int> inputSize_{1024};
    std::atomic<unsigned> wanted_{0};

    // The event thread's own.
    int rxReportedCount_ = 0;
    Clock::time_point lastLineSample_{};
    Clock::time_point lastRxSample_{};
    int lastModemBits_ = 0;
    serial_icounter_struct lastCounts_{};
    bool haveCounts_ = false;
};

int LinuxBackend::OpenDevice(const QByteArray& path, struct stat& info) {
    exclusive_ = false;
    if (::stat(path.constData(), &info) != 0) return errno;
    // Only character devices: opening a FIFO or a file by a hostile name must not block or
    // succeed.
    if (!S_ISCHR(info.st_mode)) return ENOTTY;
    fd_ = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return errno;
    if (!::isatty(fd_)) return ENOTTY;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
    if (int error = Ioctl(fd_, TIOCEXCL, nullptr)) return error;
    exclusive_ = true;
    if (int error = Ioctl(fd_, TCGETS2, &original_)) return error;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) return errno;
    return 0;
}

int LinuxBackend::Open(const QString& port) {
    Close();
    struct stat info {};
    if (int error = OpenDevice(DevicePath(port), info)) {
        if (wakeFd_ >= 0) ::close(wakeFd_);
        if (fd_ >= 0) {
            // The exclusive flag outlives the descriptor; leave the device as it was found
            // (but never clear the flag of another owner: it is set only after our lock).
            if (exclusive_) Ioctl(fd_, TIOCNXCL, nullptr);
            ::close(fd_);
        }
        fd_ = wakeFd_ = -1;
        return error;
    }
    const int deviceMajor = static_cast<int>(major(info.st_rdev));
    isPty_ = deviceMajor >= kUnix98PtySlaveMajorFirst && deviceMajor <= kUnix98PtySlaveMajorLast;
    // Raw at once: until the settings are applied the line must not echo or translate.
    termios2 raw = original_;
    MakeRaw(raw);
    Ioctl(fd_, TCSETS2, &raw);
    AskLowLatency();

    int bits = 0;
    hasModemLines_ = Ioctl(fd_, TIOCMGET, &bits) == 0;
    lastModemBits_ = bits;
    haveCounts_ = hasModemLines_ && Ioctl(fd_, TIOCGICOUNT, &lastCounts_) == 0;
    lastLineSample_ = lastRxSample_ = Clock::now();
    stopRequested_ = false;
    txPending_ = false;
    readSinceRxReport_ = true;
    lineErrors_ = 0;
    wanted_ = 0;
    rxReportedCount_ = 0;
    return 0;
}

void LinuxBackend::AskLowLatency() {
    // Fewer milliseconds between a byte's arrival and its wake-up; drivers without the
    // option simply keep their default.
    serial_struct serial{};
    if (Ioctl(fd_, TIOCGSERIAL, &serial) != 0) return;
    if (serial.flags & ASYNC_LOW_LATENCY) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    Ioctl(fd_, TIOCSSERIAL, &serial);
}

void LinuxBackend::Close() {
    if (fd_ < 0) return;
    Ioctl(fd_, TCSETS2, &original_);
    Ioctl(fd_, TIOCNXCL, nullptr);
    ::close(fd_);
    ::close(wakeFd_);
    fd_ = wakeFd_ = -1;
}

int LinuxBackend::ApplyBufferSizes(int inputSize, int) {
    // The kernel sizes its own queues; the input size still sets the 80 % mark.
    if (fd_ < 0) return EBADF;
    inputSize_ = inputSize;
    return 0;
}

int LinuxBackend::ApplyLineSettings(const TComDeviceControl& control) {
    if (fd_ < 0) return EBADF;
    if (!Supported(control)) return EINVAL;
    termios2 wanted{};
    if (int error = Ioctl(fd_, TCGETS2, &wanted)) return error;
    SetLine(wanted, control);
    if (int error = Ioctl(fd_, TCSETS2, &wanted)) return error;
    // A pseudo-terminal has no wire: it keeps 8 bits without parity whatever is asked.
    if (!isPty_) {
        termios2 actual{};
        if (int error = Ioctl(fd_, TCGETS2, &actual)) return error;
        if (!TookEffect(wanted, actual)) return EINVAL;
    }
    HoldControlLines(control);
    discardNull_ = (control.flags & dcb::fNull) != 0;
    return 0;
}

void LinuxBackend::HoldControlLines(const TComDeviceControl& control) {
    // Lines under handshake belong to the driver; the others are held as asked. A device
    // without modem lines refuses both calls, which is fine.
    const std::uint32_t dtr = control.flags & dcb::fDtrControlMask;
    const std::uint32_t rts = control.flags & dcb::fRtsControlMask;
    int raise = 0;
    int drop = 0;
    (dtr == dcb::fDtrControlEnable ? raise : drop) |= TIOCM_DTR;
    if (rts == dcb::fRtsControlEnable) raise |= TIOCM_RTS;
    if (rts == 0) drop |= TIOCM_RTS;
    if (raise) Ioctl(fd_, TIOCMBIS, &raise);
    if (drop) Ioctl(fd_, TIOCMBIC, &drop);
}

void LinuxBackend::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t rc = ::write(wakeFd_, &one, sizeof one);
}

void LinuxBackend::StopWaiting() {
    stopRequested_ = true;
    if (wakeFd_ >= 0) Wake();
}

int LinuxBackend::QueuedInput() const {
    int count = 0;
    return Ioctl(fd_, FIONREAD, &count) == 0 ? count : 0;
}

// What poll() says of a line that is gone; a hung-up line is gone even with input queued.
std::optional<TComWaitResult> GoneBy(short revents) {
    if (revents & POLLNVAL) return TComWaitResult{TComWaitResult::DeviceGone, {}, EBADF};
    if (revents & (POLLERR | POLLHUP)) return TComWaitResult{TComWaitResult::DeviceGone, {}, EIO};
    return std::nullopt;
}

TComWaitResult LinuxBackend::WaitForEvents(TComEvents wanted) {
    wanted_ = wanted.toInt();
    for (;;) {
        if (stopRequested_) return {TComWaitResult::Stopped, {}, 0};
        const bool sampleLines = hasModemLines_ && (wanted & kSampledEvents);
        const bool watchTx = wanted.testFlag(evTxEmpty) && txPending_;
        // Bytes reported but left unread (no reader) keep the descriptor readable; waiting
        // for readability would then spin, so new arrivals are found by sampling instead.
        const bool rxUnread = wanted.testFlag(evRxChar) && !readSinceRxReport_;

        int timeout = -1;
        if (sampleLines) timeout = MillisecondsUntil(lastLineSample_ + kSamplePeriod);
        if (rxUnread) {
            const int rxTimeout = MillisecondsUntil(lastRxSample_ + kSamplePeriod);
            timeout = timeout < 0 ? rxTimeout : std::min(timeout, rxTimeout);
        }
        if (watchTx) {
            const int txTimeout = static_cast<int>(kTxEmptyPeriod.count());
            timeout = timeout < 0 ? txTimeout : std::min(timeout, txTimeout);
        }

        pollfd fds[2] = {};
        fds[0].fd = fd_;
        fds[0].events = (wanted.testFlag(evRxChar) && !rxUnread) ? POLLIN : 0;
        fds[1].fd = wakeFd_;
        fds[1].events = POLLIN;
        const int rc = ::poll(fds, 2, timeout);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return {TComWaitResult::DeviceGone, {}, errno};
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] ssize_t drained = ::read(wakeFd_, &count, sizeof count);
            if (stopRequested_) return {TComWaitResult::Stopped, {}, 0};
        }
        if (const std::optional<TComWaitResult> gone = GoneBy(fds[0].revents)) return *gone;

        TComEvents events;
        if (fds[0].revents & POLLIN) {
            events |= evRxChar;
            if (wanted.testFlag(evRx80Full) && QueuedInput() * 5 >= inputSize_ * 4)
                events |= evRx80Full;
        }
        if (rxUnread) events |= CheckUnreadInput();
        if (watchTx) events |= CheckTxEmpty() & wanted;
        if (sampleLines && Clock::now() >= lastLineSample_ + kSamplePeriod)
            events |= SampleLines(wanted);
        if (events) {
            if (events.testFlag(evRxChar)) {
                readSinceRxReport_ = false;
                rxReportedCount_ = QueuedInput();
                lastRxSample_ = Clock::now();
            }
            return {TComWaitResult::Events, events, 0};
        }
    }
}

TComEvents LinuxBackend::CheckUnreadInput() {
    if (Clock::now() < lastRxSample_ + kSamplePeriod) return {};
    lastRxSample_ = Clock::now();
    return QueuedInput() > rxReportedCount_ ? TComEvents(evRxChar) : TComEvents();
}

TComEvents LinuxBackend::CheckTxEmpty() {
    int queued = 0;
    if (Ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued == 0) {
        txPending_ = false;
        return evTxEmpty;
    }
    return {};
}

TComEvents LinuxBackend::SampleLines(TComEvents wanted) {
    lastLineSample_ = Clock::now();
    TComEvents events;
    int bits = 0;
    if (Ioctl(fd_, TIOCMGET, &bits) == 0) {
        const int changed = bits ^ lastModemBits_;
        if (changed & TIOCM_CTS) events |= evCTS;
        if (changed & TIOCM_DSR) events |= evDSR;
        if (changed & TIOCM_CD) events |= evRLSD;
        if ((changed & TIOCM_RI) && (bits & TIOCM_RI)) events |= evRing;
        lastModemBits_ = bits;
    }
    serial_icounter_struct counts{};
    if (haveCounts_ && Ioctl(fd_, TIOCGICOUNT, &counts) == 0) {
        TComErrors errors;
        if (counts.frame != lastCounts_.frame) errors |= ceFrame;
        if (counts.parity != lastCounts_.parity) errors |= ceRxParity;
        if (counts.overrun != lastCounts_.overrun) errors |= ceOverrun;
        if (counts.buf_overrun != lastCounts_.buf_overrun) errors |= ceRxOver;
        if (counts.brk != lastCounts_.brk) {
            errors |= ceBreak;
            events |= evBreak;
        }
        if (errors) {
            lineErrors_.fetch_or(errors.toInt());
            events |= evError;
        }
        lastCounts_ = counts;
    }
    return events & wanted;
}

TComWaitResult LinuxBackend::InputState() {
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, 0) < 0)
        return errno == EINTR ? TComWaitResult{}
                              : TComWaitResult{TComWaitResult::DeviceGone, {}, errno};
    if (const std::optional<TComWaitResult> gone = GoneBy(entry.revents)) return *gone;
    return {TComWaitResult::Events, (entry.revents & POLLIN) ? TComEvents(evRxChar) : TComEvents(),
            0};
}

TComIoResult LinuxBackend::PendingInput() {
    int count = 0;
    if (int error = Ioctl(fd_, FIONREAD, &count)) return {0, error};
    return {count, 0};
}

TComIoResult LinuxBackend::Read(char* buffer, int count) {
    readSinceRxReport_ = true;
    int total = 0;
    while (total < count) {
        const int wanted = count - total;
        const ssize_t n = ::read(fd_, buffer + total, static_cast<size_t>(wanted));
        if (n > 0) {
            total += static_cast<int>(n);
            // A short read took all there was; asking again would only wait for the line's
            // queue to be flushed to find it empty.
            if (n < wanted) break;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return {total, errno};
        break;
    }
    if (discardNull_) {
        char* end = std::remove(buffer, buffer + total, '\0');
        total = static_cast<int>(end - buffer);
    }
    return {total, 0};
}

TComIoResult LinuxBackend::Write(const char* data, int count, int timeoutMs, bool reportDrained) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return {written, errno};
        // The queue is full: wait for room until the write time-out runs out.
        const int wait = timeoutMs < 0 ? -1 : MillisecondsUntil(deadline);
        if (wait == 0) break;
        pollfd out{fd_, POLLOUT, 0};
        const int rc = ::poll(&out, 1, wait);
        if (rc < 0 && errno != EINTR) return {written, errno};
        if (out.revents & (POLLERR | POLLHUP | POLLNVAL)) return {written, EIO};
    }
    if (written > 0 && reportDrained && !txPending_.exchange(true) && (wanted_ & evTxEmpty)) Wake();
    return {written, 0};
}

int LinuxBackend::Purge(TComPurges what) {
    // Transfers are synchronous here, so there is never one to abort; only queues drop.
    const bool input = what.testFlag(puRxClear);
    const bool output = what.testFlag(puTxClear);
    if (!input && !output) return 0;
    const int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(fd_, queue) == 0 ? 0 : errno;
}

int LinuxBackend::ModemSignals(TComSignals& lines) {
    lines = {};
    int bits = 0;
    if (int error = Ioctl(fd_, TIOCMGET, &bits)) return NoModemLines(error) ? 0 : error;
    if (bits & TIOCM_CTS) lines |= csCTS;
    if (bits & TIOCM_DSR) lines |= csDSR;
    if (bits & TIOCM_RI) lines |= csRing;
    if (bits & TIOCM_CD) lines |= csRLSD;
    return 0;
}

int LinuxBackend::TakeLineErrors(TComErrors& errors) {
    errors = TComErrors::fromInt(lineErrors_.exchange(0));
    return fd_ < 0 ? EBADF : 0;
}

}  // namespace

std::unique_ptr<TComBackend> CreatePlatformBackend() {
    return std::make_unique<LinuxBackend>();
}

bool UartExists(const QString& devicePath) {
    const QByteArray path = QFile::encodeName(devicePath);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct serial{};
    const bool exists = Ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
    ::close(fd);
    return exists;
}

}  // namespace torvel
