#pragma once
// The platform seam under the serial port: everything that touches a device goes through
// TComBackend, so the port's logic holds no system call and tests can plug in a backend
// that counts calls or fails on cue. Results are values: 0 or a system error number.

#include <QString>
#include <cstdint>
#include <memory>

#include "transport/com_types.h"

namespace torvel {

// Flag bits of the line description; the numbers are the line's own.
namespace dcb {
// clang-format off
inline constexpr std::uint32_t fBinary           = 0x0001;
inline constexpr std::uint32_t fParity           = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow      = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow      = 0x0008;
inline constexpr std::uint32_t fDtrControlEnable = 0x0010;
inline constexpr std::uint32_t fDtrHandshake     = 0x0020;
inline constexpr std::uint32_t fDtrControlMask   = 0x0030;
inline constexpr std::uint32_t fDsrSensitivity   = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX             = 0x0100;
inline constexpr std::uint32_t fInX              = 0x0200;
inline constexpr std::uint32_t fErrorChar        = 0x0400;
inline constexpr std::uint32_t fNull             = 0x0800;
inline constexpr std::uint32_t fRtsControlEnable = 0x1000;
inline constexpr std::uint32_t fRtsHandshake     = 0x2000;
inline constexpr std::uint32_t fRtsToggle        = 0x3000;
inline constexpr std::uint32_t fRtsControlMask   = 0x3000;
// clang-format on
}  // namespace dcb

// Everything the line settings put into effect at once, in the line's own terms.
struct TComDeviceControl {
    std::int32_t baudRate = 9600;
    std::uint32_t flags = dcb::fBinary;
    std::uint16_t xonLim = 256;
    std::uint16_t xoffLim = 256;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;    // none, odd, even, mark, space
    std::uint8_t stopBits = 0;  // one, one and a half, two
    char xonChar = 17;
    char xoffChar = 19;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;

    bool operator==(const TComDeviceControl&) const = default;
};

// Milliseconds; -1 stands for the all-ones value.
struct TComTimeoutValues {
    std::int32_t readInterval = -1;
    std::int32_t readTotalMultiplier = 0;
    std::int32_t readTotalConstant = 0;
    std::int32_t writeTotalMultiplier = 100;
    std::int32_t writeTotalConstant = 1000;

    bool operator==(const TComTimeoutValues&) const = default;
};

struct TComIoResult {
    int count = 0;
    int error = 0;  // errno of the failure, 0 on success
};

struct TComWaitResult {
    enum Kind { Events, Stopped, DeviceGone };
    Kind kind = Events;
    TComEvents events;
    int error = 0;  // DeviceGone: the errno to report
};

class TComBackend {
public:
    virtual ~TComBackend() = default;

    // Opens `port` exclusively; a name without "/" is taken from /dev.
    virtual int Open(const QString& port) = 0;
    // Restores the device's original terminal settings and releases it. Never fails.
    virtual void Close() = 0;

    virtual int ApplyBufferSizes(int inputSize, int outputSize) = 0;
    virtual int ApplyLineSettings(const TComDeviceControl& control) = 0;
    virtual int ApplyTimeouts(const TComTimeoutValues& timeouts) = 0;

    // The event thread's wait: returns a non-empty set of events out of `wanted`, a stop
    // request, or the loss of the device. Blocks without a time limit otherwise.
    virtual TComWaitResult WaitForEvents(TComEvents wanted) = 0;
    // From any thread: ends the current and every later wait until the next Open.
    virtual void StopWaiting() = 0;

    // A descriptor that polls readable while input waits, for the port's own thread to watch
    // instead of the event thread; -1 when the line has none.
    virtual int InputDescriptor() const { return -1; }
    // From the port's thread, never waiting: evRxChar when input waits, or the loss of the
    // device, as WaitForEvents would report them.
    virtual TComWaitResult InputState() { return {}; }

    virtual TComIoResult PendingInput() = 0;
    // Reads what has arrived, at most `count` bytes, never waiting.
    virtual TComIoResult Read(char* buffer, int count) = 0;
    // Writes all bytes or as many as fit before `timeoutMs` runs out (-1: no limit). With
    // `reportDrained` the event thread reports evTxEmpty once the output queue has drained.
    virtual TComIoResult Write(const char* data, int count, int timeoutMs, bool reportDrained) = 0;
    virtual int Purge(TComPurges what) = 0;
    // A device without modem lines reports them all as off, which is no failure.
    virtual int ModemSignals(TComSignals& lines) = 0;
    // The line errors seen since the last call; reading clears them.
    virtual int TakeLineErrors(TComErrors& errors) = 0;
};

// The backend of this platform (termios on Linux).
std::unique_ptr<TComBackend> CreatePlatformBackend();

}  // namespace torvel
