#pragma once
// What to tell the user when the system refuses a port for lack of rights: the device
// node's group and how to join it. Shared by the window and the command line.

#include <QString>

namespace torvel {

class EComPort;

// The device a port name stands for: a name without "/" is looked up under /dev.
QString PortDevicePath(const QString& port);

// What the device node's owner, group and mode allow, as far as the hint needs it.
struct PortNodeAccess {
    bool Examined = false;     // false when the node could not be looked at
    QString Owner;             // the user's name, else the number
    QString Group;             // the group's name, else the number
    bool GroupGrants = false;  // the group may read and write, and it is not root's group
    bool InGroup = false;      // this process already holds that group
};

// Follows links, as opening the port does.
PortNodeAccess ExaminePortNode(const QString& devicePath);

// The hint for a node that refused this process; never empty.
QString PortAccessHintText(const QString& devicePath, const PortNodeAccess& node);

// The hint for `port` after `error`, or an empty text unless the error is a failed open
// (code 1) for lack of rights (EACCES, EPERM): other failures need other remedies.
QString PortAccessHint(const QString& port, const EComPort& error);

}  // namespace torvel
