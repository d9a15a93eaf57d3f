#pragma once
// The board behind the frames: its identity, coils, holding registers, RAM/ROM bytes
// (file 0), the FPGA image assembled from file 10, and the interrupt handler. It takes the
// decoded request of one function and gives the reply's data field as hex text; frames,
// timing and faults are the session's business.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "board/options.h"

namespace torvel::board {

struct DeviceReply {
    std::uint8_t function = 0;  // the request's function, with 0x80 for an exception
    QString data;               // hex text after the function code

    static DeviceReply Exception(std::uint8_t function, std::uint8_t code);
    bool isException() const { return function & 0x80; }
};

// clang-format off
enum ExceptionCode : std::uint8_t {
    exIllegalFunction = 1,
    exIllegalAddress  = 2,
    exIllegalValue    = 3,
    exDeviceFailure   = 4,
};
// clang-format on

class BoardDevice {
public:
    explicit BoardDevice(const BoardOptions& options);

    DeviceReply Serve(std::uint8_t function, const QByteArray& data);

    // Interrupt events still to report after an arming; 0 when disarmed.
    int pendingInterrupts() const { return irq_.remaining; }
    // The next unsolicited function-25 reply; counts one event off.
    DeviceReply NextInterruptEvent();

    bool fpgaConfigured() const { return fpgaConfigured_; }
    const QByteArray& fpgaImage() const { return image_; }
    bool coil(unsigned address) const { return coils_.at(address & 0xFF); }
    std::uint16_t holdingRegister(unsigned address) const { return registers_.at(address & 0xFF); }
    std::uint8_t memoryByte(unsigned address) const { return memory_.at(address); }
    qsizetype memorySize() const { return static_cast<qsizetype>(memory_.size()); }

    // Bound on the assembled image, far above any FPGA of the board's kind.
    static constexpr qsizetype kMaxImage = 1 << 20;

private:
    DeviceReply Identify(const QByteArray& data) const;
    DeviceReply ReadCoils(const QByteArray& data) const;
    DeviceReply ReadRegisters(const QByteArray& data) const;
    DeviceReply WriteCoil(const QByteArray& data);
    DeviceReply WriteRegister(const QByteArray& data);
    DeviceReply ReadFileRecords(const QByteArray& data) const;
    DeviceReply WriteFileRecords(const QByteArray& data);
    DeviceReply ArmInterrupt(const QByteArray& data);

    struct RecordWrite {
        unsigned file = 0;
        unsigned record = 0;
        QByteArray bytes;
    };
    // 0 when `write` may be carried out, else the exception code.
    std::uint8_t CheckRecordWrite(const RecordWrite& write, qsizetype imageGrowth) const;
    // 0, or an exception code when the upload's end could not be stored.
    std::uint8_t ApplyRecordWrite(const RecordWrite& write);
    bool WriteDump() const;

    bool CoilsInRange(unsigned first, unsigned count) const;
    bool RegistersInRange(unsigned first, unsigned count) const;

    Identity identity_;
    QString dumpPath_;
    std::array<bool, 256> coils_{};
    std::array<std::uint16_t, 256> registers_{};
    std::vector<std::uint8_t> memory_;
    QByteArray image_;
    bool fpgaConfigured_ = false;

    // Faults of the events: a forced record flag and a claimed register count.
    std::optional<std::uint8_t> irqFlag_;
    std::optional<std::uint8_t> irqClaim_;
    struct Interrupt {
        int remaining = 0;
        std::uint8_t line = 0;
        bool returnRegisters = false;
        std::uint8_t firstRegister = 0;
        std::uint8_t registerCount = 0;
    } irq_;
};

// Big-endian 16-bit field at byte `offset`.
unsigned Word(const QByteArray& data, qsizetype offset);
QString HexBytes(const QByteArray& bytes);

}  // namespace torvel::board
