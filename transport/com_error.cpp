#include "transport/com_error.h"

#include <cerrno>
#include <iterator>

namespace torvel {

namespace {

// clang-format off
const char* const kErrorTexts[] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};
// clang-format on

QString MessageOf(TComPortError code, int systemErrorCode) {
    const QString text = ComPortErrorText(code);
    if (systemErrorCode == -1) return text;
    return QStringLiteral("%1 (win error code: %2)").arg(text).arg(systemErrorCode);
}

}  // namespace

QString ComPortErrorText(TComPortError code) {
    const int index = static_cast<int>(code) - 1;
    if (index < 0 || index >= static_cast<int>(std::size(kErrorTexts))) return QString();
    return QString::fromLatin1(kErrorTexts[index]);
}

EComPort::EComPort(TComPortError code, int systemErrorCode)
    : code_(code),
      systemErrorCode_(systemErrorCode),
      message_(MessageOf(code, systemErrorCode)),
      what_(message_.toStdString()) {}

bool IsDeviceGoneError(int systemErrorCode) {
    return systemErrorCode == EIO || systemErrorCode == ENXIO || systemErrorCode == ENODEV;
}

}  // namespace torvel
