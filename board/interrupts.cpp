// Function 25: arming and disarming the interrupt handler, and the events it reports.

#include "board/device.h"
#include "common/hex.h"
#include "protocol/requests.h"

namespace torvel::board {

namespace {

constexpr int kLines = 2;
constexpr int kMaxRegisters = 8;

}  // namespace

DeviceReply BoardDevice::ArmInterrupt(const QByteArray& data) {
    const auto fail = [](std::uint8_t code) { return DeviceReply::Exception(fnInterrupt, code); };
    // Arming: line, count, return flag, first register, register count. Disarming may
    // stop after the count of 0.
    if (data.size() != 6 && data.size() != 3) return fail(exIllegalValue);
    const std::uint8_t line = static_cast<std::uint8_t>(data.at(0));
    const int count = static_cast<int>(Word(data, 1));
    if (line >= kLines) return fail(exIllegalAddress);
    const QString acknowledgement = Hex(static_cast<unsigned>(data.size()), 2) + HexBytes(data);
    if (count == 0) {
        irq_ = Interrupt{};
        return {fnInterrupt, acknowledgement};
    }
    if (data.size() != 6) return fail(exIllegalValue);

    Interrupt armed;
    armed.remaining = count;
    armed.line = line;
    const auto flag = static_cast<std::uint8_t>(data.at(3));
    if (flag != 0x00 && flag != 0xFF) return fail(exIllegalValue);
    armed.returnRegisters = flag == 0xFF;
    if (armed.returnRegisters) {
        armed.firstRegister = static_cast<std::uint8_t>(data.at(4));
        armed.registerCount = static_cast<std::uint8_t>(data.at(5));
        if (armed.registerCount < 1 || armed.registerCount > kMaxRegisters)
            return fail(exIllegalValue);
        if (!RegistersInRange(armed.firstRegister, armed.registerCount))
            return fail(exIllegalAddress);
    }
    irq_ = armed;
    return {fnInterrupt, acknowledgement};
}

DeviceReply BoardDevice::NextInterruptEvent() {
    if (irq_.remaining <= 0) return DeviceReply::Exception(fnInterrupt, exDeviceFailure);
    --irq_.remaining;
    // Record flag (set when values follow), the line, the value count, one byte a register.
    const unsigned count = irq_.returnRegisters ? irq_.registerCount : 0;
    QString values;
    for (unsigned i = 0; i < count; ++i)
        values += Hex(registers_[irq_.firstRegister + i] & 0xFF, 2);
    const unsigned flag = irqFlag_.value_or(count ? 1 : 0);
    const unsigned claimed = irqClaim_.value_or(static_cast<std::uint8_t>(count));
    return {fnInterrupt,
            Hex(3 + count, 2) + Hex(flag, 2) + Hex(irq_.line, 2) + Hex(claimed, 2) + values};
}

}  // namespace torvel::board
