#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>

namespace torvel {

namespace {

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

QString NotRegularText() {
    return QStringLiteral("Not a regular file");
}

// Whether something other than a regular file is at `name` (after links): such a node, a
// serial device say, is never opened at all.
bool OtherThanRegularFile(const QByteArray& name) {
    struct stat status {};
    return ::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode);
}

// Hands an open descriptor of a regular file to `file`, back in blocking mode.
bool AdoptRegularFile(QFile& file, int fd, QIODevice::OpenMode mode, QString* error) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        SetError(error, NotRegularText());
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        SetError(error, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

RegularFileOpen OpenRegularFile(QFile& file, const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    if (OtherThanRegularFile(name)) {
        SetError(error, NotRegularText());
        return RegularFileOpen::Refused;
    }
    // Non-blocking, so a FIFO without a writer cannot hold the open; the kind is checked
    // before a single byte is read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return RegularFileOpen::Missing;
        SetError(error, qt_error_string(errno));
        return RegularFileOpen::Refused;
    }
    return AdoptRegularFile(file, fd, QIODevice::ReadOnly, error) ? RegularFileOpen::Opened
                                                                  : RegularFileOpen::Refused;
}

bool OpenRegularFileForWriting(QFile& file, const QString& path, bool append) {
    const QByteArray name = QFile::encodeName(path);
    if (path.isEmpty() || OtherThanRegularFile(name)) return false;
    const int flags =
        O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0);
    const int fd = ::open(name.constData(), flags, 0666);
    if (fd < 0) return false;
    // Emptying waits for the check on the descriptor, so a node that slipped in is never cut.
    struct stat status {};
    if (!append &&
        (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return false;
    }
    const QIODevice::OpenMode mode =
        append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
    return AdoptRegularFile(file, fd, mode, nullptr);
}

QString SaveTarget(const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat own {};
    if (::lstat(name.constData(), &own) != 0) {
        if (errno == ENOENT) return path;
        SetError(error, qt_error_string(errno));
        return QString();
    }
    if (S_ISREG(own.st_mode)) return path;
    if (!S_ISLNK(own.st_mode)) {
        SetError(error, NotRegularText());
        return QString();
    }
    struct stat target {};
    if (::stat(name.constData(), &target) != 0) {
        SetError(error, errno == ENOENT ? QStringLiteral("Link to a missing file")
                                        : qt_error_string(errno));
        return QString();
    }
    if (!S_ISREG(target.st_mode)) {
        SetError(error, NotRegularText());
        return QString();
    }
    // The file the link leads to is replaced; the link itself stays as it was.
    const QString finalPath = QFileInfo(path).canonicalFilePath();
    if (finalPath.isEmpty()) SetError(error, QStringLiteral("Link cannot be resolved"));
    return finalPath;
}

bool CreateNewFile(const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetError(error, qt_error_string(errno));
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace torvel
