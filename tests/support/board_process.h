#pragma once
// Runs the built torvel-board for a test or a benchmark: started with the given options
// and a link of its own in a temporary folder, stopped with SIGTERM when it goes.

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <optional>

namespace torvel::test {

class BoardProcess {
public:
    // Starts the board and waits (up to `deadline`) until its link exists. Check started().
    explicit BoardProcess(const QStringList& options = {},
                          std::chrono::milliseconds deadline = std::chrono::seconds(10));
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;
    ~BoardProcess();

    bool started() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    const QString& linkPath() const { return linkPath_; }
    // A file name in the board's temporary folder, for --dump, --log and the like.
    QString tempPath(const QString& name) const { return folder_.filePath(name); }
    pid_t pid() const { return pid_; }

    // SIGTERM, then the exit status (128 + signal when a signal ended it); nothing when it
    // did not end by the deadline, in which case it is killed.
    std::optional<int> Stop(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // The exit status once the board has ended by itself (hang-up); nothing by the deadline.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline);

    static QString ExecutablePath();

private:
    QTemporaryDir folder_;
    QString linkPath_;
    QString error_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace torvel::test
