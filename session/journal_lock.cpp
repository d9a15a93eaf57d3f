#include "session/journal_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace torvel {

JournalLock::Result JournalLock::Take(const QString& lockFileName, QString* error) {
    Release();
    const QByteArray name = QFile::encodeName(lockFileName);
    // Not through a link, and not a FIFO or a device someone put there in its place.
    const int fd = ::open(name.constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (error) *error = fd < 0 ? qt_error_string(errno) : QStringLiteral("Not a regular file");
        if (fd >= 0) ::close(fd);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(fd);
        if (reason == EWOULDBLOCK) return Result::HeldElsewhere;
        if (error) *error = qt_error_string(reason);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Taken;
}

void JournalLock::Release() {
    if (fd_ < 0) return;
    // The file stays: unlinking it could leave two sessions each locking a different file of
    // the same name.
    ::close(fd_);
    fd_ = -1;
}

}  // namespace torvel
