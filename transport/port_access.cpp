#include "transport/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <vector>

#include "transport/com_error.h"

namespace torvel {

namespace {

// getpwuid_r and getgrgid_r want room for the whole entry; a group with many members may
// need more than a first guess.
template <typename Entry, typename Id, typename Lookup, typename Name>
QString EntryName(Id id, Lookup lookup, Name name) {
    for (size_t size = 4096; size <= (1u << 20); size *= 4) {
        std::vector<char> buffer(size);
        Entry entry{};
        Entry* found = nullptr;
        const int error = lookup(id, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) continue;
        if (error == 0 && found) return QString::fromLocal8Bit(name(*found));
        break;
    }
    return QString::number(id);
}

QString UserName(uid_t uid) {
    return EntryName<passwd>(uid, ::getpwuid_r, [](const passwd& p) { return p.pw_name; });
}

QString GroupName(gid_t gid) {
    return EntryName<group>(gid, ::getgrgid_r, [](const group& g) { return g.gr_name; });
}

bool ProcessHoldsGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

}  // namespace

QString PortDevicePath(const QString& port) {
    return port.contains(u'/') ? port : QStringLiteral("/dev/") + port;
}

PortNodeAccess ExaminePortNode(const QString& devicePath) {
    PortNodeAccess node;
    struct stat info {};
    if (::stat(QFile::encodeName(devicePath).constData(), &info) != 0) return node;
    node.Examined = true;
    node.Owner = UserName(info.st_uid);
    node.Group = GroupName(info.st_gid);
    // Joining root's group would hand out far more than one port; never advise it.
    node.GroupGrants =
        (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && info.st_gid != 0;
    node.InGroup = ProcessHoldsGroup(info.st_gid);
    return node;
}

QString PortAccessHintText(const QString& devicePath, const PortNodeAccess& node) {
    const QString head = QStringLiteral("Нет прав на порт %1").arg(devicePath);
    if (!node.Examined)
        return head + QStringLiteral(": попросите администратора дать доступ к устройству");
    if (!node.GroupGrants)
        return head + QStringLiteral(
                          " (владелец %1, группа %2): попросите администратора дать "
                          "доступ к устройству")
                          .arg(node.Owner, node.Group);
    // The group is held already, so joining it again changes nothing: something else (an
    // access list, a security module) stands in the way.
    if (node.InGroup)
        return head + QStringLiteral(
                          ", хотя пользователь входит в группу %1: проверьте права "
                          "устройства (ls -l %2)")
                          .arg(node.Group, devicePath);
    return head + QStringLiteral(
                      ": добавьте пользователя в группу %1 (sudo usermod -aG %1 $USER) "
                      "и войдите в систему заново")
                      .arg(node.Group);
}

QString PortAccessHint(const QString& port, const EComPort& error) {
    if (error.Code() != TComPortError::OpenFailed) return QString();
    if (error.SystemErrorCode() != EACCES && error.SystemErrorCode() != EPERM) return QString();
    const QString path = PortDevicePath(port);
    return PortAccessHintText(path, ExaminePortNode(path));
}

}  // namespace torvel
