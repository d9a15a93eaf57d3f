#include "board/pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "common/board_folder.h"

namespace torvel::board {

namespace {

QString ErrnoText(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

bool PseudoTerminal::Open(QString& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = ErrnoText("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        error = ErrnoText("grantpt/unlockpt/ptsname");
        Close();
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    // The master's termios are the slave's: raw mode here means no echo, no CR/LF
    // translation and no line editing between the application and the board.
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) {
        error = ErrnoText("tcgetattr");
        Close();
        return false;
    }
    cfmakeraw(&settings);
    if (tcsetattr(master_, TCSANOW, &settings) != 0) {
        error = ErrnoText("tcsetattr");
        Close();
        return false;
    }
    heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (heldSlave_ < 0 || fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        error = ErrnoText("open slave");
        Close();
        return false;
    }
    return true;
}

int PseudoTerminal::unreadBytes() const {
    if (heldSlave_ < 0) return 0;
    // Written bytes reach the slave's input through a kernel work queue; polling the
    // slave waits for that work, so the count below includes them.
    pollfd fd{heldSlave_, POLLIN, 0};
    ::poll(&fd, 1, 0);
    int count = 0;
    if (ioctl(heldSlave_, FIONREAD, &count) != 0) return 0;
    return count;
}

void PseudoTerminal::Close() {
    if (heldSlave_ >= 0) ::close(heldSlave_);
    if (master_ >= 0) ::close(master_);
    heldSlave_ = master_ = -1;
}

bool ChooseLinkPath(const QString& given, QString& link, QString& error) {
    if (!given.isEmpty()) {
        link = given;
        return true;
    }
    const QString folder = DefaultBoardFolder();
    if (!MakePrivateFolder(folder, &error)) {
        error = QStringLiteral("not using the board folder %1").arg(error);
        return false;
    }
    link = folder + QStringLiteral("/board0");
    return true;
}

bool PublishedLink::Publish(const QString& link, const QString& target, QString& error) {
    const QFileInfo info(link);
    if (!QDir().mkpath(info.absolutePath())) {
        error = QStringLiteral("cannot create %1").arg(info.absolutePath());
        return false;
    }
    // Only a link is replaced: a file or folder of that name is someone else's.
    struct stat own {};
    const QByteArray linkPath = QFile::encodeName(link);
    if (lstat(linkPath.constData(), &own) == 0 && !S_ISLNK(own.st_mode)) {
        error = QStringLiteral("%1 exists and is not a link; not replacing it").arg(link);
        return false;
    }
    const QByteArray temporary = linkPath + ".new." + QByteArray::number(getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), linkPath.constData()) != 0) {
        error = ErrnoText("symlink");
        ::unlink(temporary.constData());
        return false;
    }
    link_ = link;
    target_ = target;
    return true;
}

void PublishedLink::Remove() {
    if (link_.isEmpty()) return;
    const QByteArray linkPath = QFile::encodeName(link_);
    char current[512];
    const ssize_t size = ::readlink(linkPath.constData(), current, sizeof current - 1);
    if (size >= 0 && QFile::decodeName(QByteArray(current, size)) == target_)
        ::unlink(linkPath.constData());
    link_.clear();
}

}  // namespace torvel::board
