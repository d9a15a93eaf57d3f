// torvel-cli: the board work of the window from a shell. Everything but the streams lives
// in torvel_cli_core (RunCli), so tests run it in their own process too.

#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <csignal>

#include "cli/exit_codes.h"
#include "cli/run.h"

namespace {

int TerminalWidth(int fd) {
    winsize size{};
    return ::ioctl(fd, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // A reader that goes away (a pipe into head) must not end the run before the boards are
    // disarmed and the result files closed: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    // Unbuffered: every report is one write, seen at once by a script reading a pipe, and
    // nothing is left in a buffer when a second signal ends the process at once.
    QFile out;
    QFile err;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return torvel::cli::kExitLocalFailure;
    QStringList arguments = application.arguments();
    arguments.removeFirst();
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return torvel::cli::RunCli(arguments,
                               {out, err, terminal, terminal ? TerminalWidth(STDERR_FILENO) : 0});
}
