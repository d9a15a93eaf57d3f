#include "common/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>

namespace torvel {

namespace {

// The write end the handler uses; the newest instance owns it.
volatile sig_atomic_t g_writeFd = -1;
// EndAtOnceOnRepeat's exit code (-1: off), and whether a signal has come since.
volatile sig_atomic_t g_repeatExitCode = -1;
volatile sig_atomic_t g_signalSeen = 0;

extern "C" void WriteSignalNumber(int signalNumber) {
    if (g_repeatExitCode >= 0 && g_signalSeen) ::_exit(g_repeatExitCode);
    g_signalSeen = 1;
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: a full socket drops the byte, and a pending one is enough anyway.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    previousWriteFd_ = g_writeFd;
    g_writeFd = fds_[1];
    g_repeatExitCode = -1;
    g_signalSeen = 0;
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::ReadPendingSignals);

    struct sigaction action {};
    action.sa_handler = WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    g_writeFd = previousWriteFd_;
    g_repeatExitCode = -1;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void TerminationSignals::EndAtOnceOnRepeat(int exitCode) {
    g_repeatExitCode = exitCode;
}

void TerminationSignals::ReadPendingSignals() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(fds_[0], &byte, 1) == 1) last = byte;
    if (last != 0) emit TerminationRequested(last);
}

}  // namespace torvel
