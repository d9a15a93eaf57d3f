#pragma once
// Private to transport/: the Linux backend's helpers that the port listing also needs.

#include <QString>

namespace torvel {

// True when the UART behind a ttyS device exists (the kernel registers ttyS entries for
// ports that may be absent).
bool UartExists(const QString& devicePath);

}  // namespace torvel
