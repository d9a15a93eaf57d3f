#include "transport/serial_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "transport/com_backend_linux.h"

namespace torvel {

namespace {

// The kernel registers a number of ttyS entries whether or not a UART answers at the
// address; the "type" attribute is 0 (unknown) for those that do not.
bool SerialEntryHasUart(const QString& entryPath, const QString& devicePath) {
    QFile type(entryPath + QStringLiteral("/type"));
    if (type.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const int value = QString::fromLatin1(type.readAll()).trimmed().toInt(&ok);
        return ok && value != 0;
    }
    return UartExists(devicePath);
}

void AddSerialDevices(const TSerialPortRoots& roots, QStringList& names) {
    const QDir tty(roots.sysClassTty);
    const QStringList entries = tty.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& entry : entries) {
        const QString entryPath = tty.filePath(entry);
        // Virtual terminals and pseudo-terminals have no device behind them.
        if (!QFileInfo::exists(entryPath + QStringLiteral("/device"))) continue;
        const QString devicePath = QDir(roots.dev).filePath(entry);
        if (entry.startsWith(QStringLiteral("ttyS")) && !SerialEntryHasUart(entryPath, devicePath))
            continue;
        names.append(devicePath);
    }
}

// Links whose target exists: a board that ended leaves a dangling link behind.
void AddLinks(const QString& folder, QStringList& names) {
    const QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& entry : entries) {
        const QString path = dir.filePath(entry);
        const QFileInfo info(path);
        if (info.isSymLink() && info.exists()) names.append(path);
    }
}

bool HasControlCharacter(const QString& name) {
    return std::any_of(name.begin(), name.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

}  // namespace

QStringList ListSerialPortNames(const TSerialPortRoots& roots) {
    QStringList names;
    AddSerialDevices(roots, names);
    AddLinks(roots.serialById, names);
    if (IsPrivateFolder(roots.boards)) AddLinks(roots.boards, names);
    names.removeIf(HasControlCharacter);
    names.removeDuplicates();
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

void ListSerialPorts(QStringList& list) {
    list = ListSerialPortNames();
}

}  // namespace torvel
