#include "board/serve_loop.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <QFile>

#include "board/pty_link.h"
#include "board/request_log.h"
#include "board/session.h"

namespace torvel::board {

namespace {

// Signals arrive through a descriptor, read in the loop: no handler runs at a random point.
int OpenSignalDescriptor() {
    sigset_t signalFd;
    sigemptyset(&signalFd);
    sigaddset(&signalFd, SIGINT);
    sigaddset(&signalFd, SIGTERM);
    sigaddset(&signalFd, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &signalFd, nullptr) != 0) return -1;
    return signalfd(-1, &signalFd, SFD_CLOEXEC | SFD_NONBLOCK);
}

void Complain(const QString& text) {
    std::fprintf(stderr, "torvel-board: %s\n", text.toLocal8Bit().constData());
}

timespec TimeUntil(Clock::time_point due, Clock::time_point now) {
    const auto wait = std::max(due - now, Clock::duration::zero());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return {static_cast<time_t>(seconds.count()),
            static_cast<long>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds).count())};
}

constexpr auto kFinalByteSpin = std::chrono::microseconds(80);

class ServeLoop {
public:
    ServeLoop(const BoardOptions& options, RequestLog& log, PseudoTerminal& line, int signalFd,
              QFile* eventTimes)
        : session_(options, &log), line_(line), signalFd_(signalFd), eventTimes_(eventTimes) {}

    void Run();

private:
    void HangUp();
    bool ReadLine(Clock::time_point now);
    void WriteDue();
    bool Flush();
    void NoteEventTimes();

    BoardSession session_;
    PseudoTerminal& line_;
    int signalFd_;
    QFile* eventTimes_;  // null without --event-times
    qint64 eventsNoted_ = 0;
    QByteArray unwritten_;  // output the line would not take yet
    bool lineSilent_ = false;
};

void ServeLoop::Run() {
    for (;;) {
        // With requests still waiting to be served, the next ones stay in the line unread.
        const short readable = session_.AcceptsInput() ? POLLIN : 0;
        pollfd fds[2] = {{signalFd_, POLLIN, 0}, {line_.master(), readable, 0}};
        std::optional<Clock::time_point> wake = session_.NextWakeUp();
        // While the line will not take more, only its readiness to write matters.
        if (!unwritten_.isEmpty()) {
            fds[1].events |= POLLOUT;
            wake.reset();
        }
        // A master without any slave reports a hang-up on every poll; look again shortly.
        if (lineSilent_) {
            const auto retry = Clock::now() + std::chrono::milliseconds(20);
            wake = wake ? std::min(*wake, retry) : retry;
        }
        // The last byte of a reply decides when the master has its answer: sleep until
        // just before it and wait out the rest awake, rather than a scheduler tick late.
        const bool endsLine = wake && unwritten_.isEmpty() && session_.NextWakeUpEndsLine();
        timespec timeout{};
        if (wake) timeout = TimeUntil(endsLine ? *wake - kFinalByteSpin : *wake, Clock::now());
        const nfds_t watched = lineSilent_ || fds[1].events == 0 ? 1 : 2;
        const int ready = ppoll(fds, watched, wake ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) return Complain(QStringLiteral("poll failed"));
        if (ready == 0 && endsLine)
            while (Clock::now() < *wake) {
            }
        const Clock::time_point now = Clock::now();
        if (fds[0].revents & POLLIN) return;  // SIGINT, SIGTERM or SIGHUP
        lineSilent_ = false;
        if (watched == 2 && readable && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            lineSilent_ = !ReadLine(now);
        if (!Flush()) continue;
        WriteDue();
        if (unwritten_.isEmpty()) NoteEventTimes();
        if (session_.hangUpDue()) return HangUp();
    }
}

// Like a device that goes away after its last reply has crossed the wire: the closing
// master would otherwise take unread bytes with it. A reader that never reads gets 2 s.
void ServeLoop::HangUp() {
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (line_.unreadBytes() > 0 && Clock::now() < end) {
        pollfd fd{signalFd_, POLLIN, 0};
        if (::poll(&fd, 1, 2) > 0) break;
    }
    line_.Close();
}

// False when the line has no reader or writer on the other side.
bool ServeLoop::ReadLine(Clock::time_point now) {
    char buffer[4096];
    for (;;) {
        if (!session_.AcceptsInput()) return true;
        const ssize_t size = ::read(line_.master(), buffer, sizeof buffer);
        if (size > 0) {
            session_.Receive(QByteArrayView(buffer, size), now);
            continue;
        }
        if (size < 0 && errno == EINTR) continue;
        return size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

// Writes what is left over from before; true when nothing is left.
bool ServeLoop::Flush() {
    while (!unwritten_.isEmpty()) {
        const ssize_t size = ::write(line_.master(), unwritten_.constData(), unwritten_.size());
        if (size > 0) {
            unwritten_.remove(0, size);
            continue;
        }
        if (size < 0 && errno == EINTR) continue;
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
        unwritten_.clear();  // the line is gone; the bytes with it
    }
    return true;
}

// Events whose last byte the line has taken since the last call.
void ServeLoop::NoteEventTimes() {
    if (!eventTimes_ || eventsNoted_ == session_.eventsOut()) return;
    const auto now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
            .count();
    for (; eventsNoted_ < session_.eventsOut(); ++eventsNoted_)
        eventTimes_->write(QByteArray::number(static_cast<qint64>(now)) + '\n');
    eventTimes_->flush();
}

void ServeLoop::WriteDue() {
    const Clock::time_point now = Clock::now();
    for (QByteArray bytes = session_.TakeOutput(now); !bytes.isEmpty();
         bytes = session_.TakeOutput(now)) {
        unwritten_ = bytes;
        if (!Flush()) return;
    }
}

}  // namespace

int RunBoard(const BoardOptions& options) {
    // Wake-ups at the byte times of an emulated line, not 50 microseconds late.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    ::signal(SIGPIPE, SIG_IGN);
    const int signalFd = OpenSignalDescriptor();
    if (signalFd < 0) {
        Complain(QStringLiteral("cannot watch signalFd"));
        return 1;
    }
    RequestLog log;
    QString error;
    QString linkPath;
    PseudoTerminal line;
    PublishedLink link;
    QFile eventTimes(options.eventTimesPath);
    if (!options.eventTimesPath.isEmpty() &&
        !eventTimes.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = QStringLiteral("cannot open %1: %2")
                    .arg(options.eventTimesPath, eventTimes.errorString());
    }
    if (!error.isEmpty() || !ChooseLinkPath(options.linkPath, linkPath, error) ||
        !log.Open(options.logPath, error) || !line.Open(error) ||
        !link.Publish(linkPath, line.slavePath(), error)) {
        Complain(error);
        ::close(signalFd);
        return 1;
    }
    log.Note(QStringLiteral("serving %1 as %2").arg(line.slavePath(), linkPath));
    ServeLoop(options, log, line, signalFd, eventTimes.isOpen() ? &eventTimes : nullptr).Run();
    link.Remove();
    log.Note(QStringLiteral("stopped"));
    ::close(signalFd);
    return 0;
}

}  // namespace torvel::board
