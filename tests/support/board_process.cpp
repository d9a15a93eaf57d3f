#include "support/board_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <thread>
#include <vector>

namespace torvel::test {

namespace {

using Clock = std::chrono::steady_clock;

bool LinkExists(const QString& path) {
    return QFileInfo(path).isSymLink() && QFileInfo::exists(path);
}

}  // namespace

QString BoardProcess::ExecutablePath() {
    return QStringLiteral(TORVEL_BOARD_PATH);
}

BoardProcess::BoardProcess(const QStringList& options, std::chrono::milliseconds deadline) {
    if (!folder_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    linkPath_ = folder_.filePath(QStringLiteral("board"));
    std::vector<QByteArray> arguments{ExecutablePath().toLocal8Bit()};
    for (const QString& option : options) arguments.push_back(option.toLocal8Bit());
    arguments.push_back("--link");
    arguments.push_back(linkPath_.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec. The board goes with the test
        // even when the test dies without running destructors.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid_ < 0) {
        error_ = QStringLiteral("fork failed");
        return;
    }
    const auto end = Clock::now() + deadline;
    while (!LinkExists(linkPath_)) {
        if (const auto status = WaitForExit(std::chrono::milliseconds(0))) {
            error_ = QStringLiteral("torvel-board ended with status %1 before publishing %2")
                         .arg(*status)
                         .arg(linkPath_);
            return;
        }
        if (Clock::now() > end) {
            error_ = QStringLiteral("torvel-board did not publish %1 in time").arg(linkPath_);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

BoardProcess::~BoardProcess() {
    Stop();
}

std::optional<int> BoardProcess::WaitForExit(std::chrono::milliseconds deadline) {
    if (pid_ <= 0 || status_) return status_;
    const auto end = Clock::now() + deadline;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_;
        }
        if (done < 0 || Clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::optional<int> BoardProcess::Stop(std::chrono::milliseconds deadline) {
    if (pid_ <= 0) return std::nullopt;
    if (!status_) kill(pid_, SIGTERM);
    const std::optional<int> status = WaitForExit(deadline);
    if (!status) {
        // Never leave a board behind, even one that ignores SIGTERM.
        kill(pid_, SIGKILL);
        WaitForExit(std::chrono::seconds(5));
        return std::nullopt;
    }
    return status;
}

}  // namespace torvel::test
