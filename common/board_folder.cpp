#include "common/board_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace torvel {

QString DefaultBoardFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return runtime + QStringLiteral("/torvel-boards");
    return QStringLiteral("/tmp/torvel-boards-") + QString::number(::geteuid());
}

bool IsPrivateFolder(const QString& path, QString* why) {
    struct stat status {};
    QString reason;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        reason = qt_error_string(errno);
    else if (!S_ISDIR(status.st_mode))
        reason = QStringLiteral("not a folder");
    else if (status.st_uid != ::geteuid())
        reason = QStringLiteral("owned by another user");
    else if (status.st_mode & (S_IWGRP | S_IWOTH))
        reason = QStringLiteral("writable by others");
    if (reason.isEmpty()) return true;
    if (why) *why = path + QStringLiteral(": ") + reason;
    return false;
}

bool MakePrivateFolder(const QString& path, QString* error) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = path + QStringLiteral(": ") + qt_error_string(errno);
        return false;
    }
    return IsPrivateFolder(path, error);
}

}  // namespace torvel
