#pragma once
// EComPort, the one error type of the serial port, and the one place where a system error
// number becomes one.

#include <QString>
#include <exception>
#include <string>

namespace torvel {

// The port's failure codes; the numbers are part of every message the user sees.
enum class TComPortError {
    OpenFailed = 1,
    WriteFailed = 2,
    ReadFailed = 3,
    InvalidAsync = 4,
    PurgeFailed = 5,
    AsyncStatus = 6,
    SetStateFailed = 7,
    SetTimeoutsFailed = 8,
    SetupFailed = 9,
    ClearErrorFailed = 10,
    ModemStatusFailed = 11,
    EscapeFailed = 12,
    TransmitCharFailed = 13,
    SetWhileConnected = 14,
    EnumPortsFailed = 15,
    StoreFailed = 16,
    LoadFailed = 17,
    LinkRegistration = 18,
    LedState = 19,
    ThreadCreated = 20,
    WaitFailed = 21,
    LinkedToRxBuf = 22,
    RegistryError = 23,
};

class EComPort : public std::exception {
public:
    // `systemErrorCode` is the errno of the failure, or -1 when it has none.
    explicit EComPort(TComPortError code, int systemErrorCode = -1);

    int PortErrorCode() const { return static_cast<int>(code_); }
    TComPortError Code() const { return code_; }
    int SystemErrorCode() const { return systemErrorCode_; }
    // The code's text, followed by " (win error code: N)" when there is a system number.
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    TComPortError code_;
    int systemErrorCode_;
    QString message_;
    std::string what_;
};

QString ComPortErrorText(TComPortError code);

// A system error number that means the device is gone (pseudo-terminal hung up, adapter
// pulled), as opposed to a single failed call.
bool IsDeviceGoneError(int systemErrorCode);

}  // namespace torvel
