#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

namespace torvel {

bool OpenRegularFile(QFile& file, const QString& path, TFileAccess access) {
    // A look before opening keeps devices such as a serial port from being opened at all;
    // the check on the open descriptor below closes the gap to a swap after the look.
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isFile())) return false;
    if (access == TFileAccess::Read && !info.exists()) return false;

    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    QIODevice::OpenMode mode = QIODevice::ReadOnly;
    switch (access) {
        case TFileAccess::Read:
            flags |= O_RDONLY;
            break;
        case TFileAccess::Append:
            flags |= O_WRONLY | O_CREAT | O_APPEND;
            mode = QIODevice::WriteOnly | QIODevice::Append;
            break;
        case TFileAccess::Replace:
            flags |= O_WRONLY | O_CREAT;
            mode = QIODevice::WriteOnly;
            break;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (fd < 0) return false;
    struct stat status {};
    // Emptying waits for the check, so a device that slipped in is never truncated.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        (access == TFileAccess::Replace && ::ftruncate(fd, 0) != 0) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    file.setFileName(path);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

}  // namespace torvel
