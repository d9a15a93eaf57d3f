#pragma once
// The serial ports present on this system, by the device paths that open them.

#include <QString>
#include <QStringList>

#include "common/board_folder.h"

namespace torvel {

// Where the ports are found; tests point these at a made-up tree.
struct TSerialPortRoots {
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString dev = QStringLiteral("/dev");
    QString serialById = QStringLiteral("/dev/serial/by-id");
    QString boards = DefaultBoardFolder();
};

// Serial devices that have hardware behind them (a ttyS entry only when its UART exists),
// the links of serial-by-id, and the links simulated boards publish, sorted without regard to
// case. A folder that is missing adds nothing; an empty list is no failure. The boards'
// folder counts only while it is private to the user (IsPrivateFolder), and a name with a
// control character is never offered: it could not be shown, and would break the line it is
// saved on.
QStringList ListSerialPortNames(const TSerialPortRoots& roots = TSerialPortRoots());
// Replaces the list's contents with the ports present.
void ListSerialPorts(QStringList& list);

}  // namespace torvel
