#include "board/device.h"

#include "common/hex.h"
#include "protocol/requests.h"

namespace torvel::board {

DeviceReply DeviceReply::Exception(std::uint8_t function, std::uint8_t code) {
    return {static_cast<std::uint8_t>(function | 0x80), Hex(code, 2)};
}

unsigned Word(const QByteArray& data, qsizetype offset) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(data.at(offset))) << 8 |
           static_cast<std::uint8_t>(data.at(offset + 1));
}

QString HexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

BoardDevice::BoardDevice(const BoardOptions& options)
    : identity_(options.identity),
      dumpPath_(options.dumpPath),
      memory_(static_cast<std::size_t>(options.identity.pageCount) * options.identity.pageSize),
      irqFlag_(options.faults.irqFlag),
      irqClaim_(options.faults.irqClaim) {
    // Recognisable contents, so that a read from the wrong address shows.
    for (std::size_t i = 0; i < registers_.size(); ++i)
        registers_[i] = static_cast<std::uint16_t>(i);
    for (std::size_t i = 0; i < memory_.size(); ++i) memory_[i] = static_cast<std::uint8_t>(i);
}

DeviceReply BoardDevice::Serve(std::uint8_t function, const QByteArray& data) {
    switch (function) {
        case fnReportSlaveId:
            return Identify(data);
        case fnReadCoils:
            return ReadCoils(data);
        case fnReadRegisters:
            return ReadRegisters(data);
        case fnWriteCoil:
            return WriteCoil(data);
        case fnWriteRegister:
            return WriteRegister(data);
        case fnReadFileRecord:
            return ReadFileRecords(data);
        case fnWriteFileRecord:
            return WriteFileRecords(data);
        case fnInterrupt:
            return ArmInterrupt(data);
        default:
            return DeviceReply::Exception(function, exIllegalFunction);
    }
}

DeviceReply BoardDevice::Identify(const QByteArray& data) const {
    if (!data.isEmpty()) return DeviceReply::Exception(fnReportSlaveId, exIllegalValue);
    if (identity_.emptyPayload) return {fnReportSlaveId, QStringLiteral("00")};
    const Identity& id = identity_;
    const QString flag =
        id.configFlag.value_or(fpgaConfigured_ ? QStringLiteral("FF") : QStringLiteral("00"));
    // The address map gives each end before its start.
    const QString payload = Hex(id.boardCode, 2) + flag + id.version + Hex(id.fpgaCode, 2) +
                            Hex(id.coilEnd, 2) + Hex(id.coilStart, 2) + Hex(id.holdEnd, 2) +
                            Hex(id.holdStart, 2) + Hex(id.pageCount, 2) + Hex(id.pageSize, 4) +
                            Hex(id.bufferSize, 2);
    return {fnReportSlaveId, Hex(static_cast<unsigned>(payload.size() / 2), 2) + payload};
}

bool BoardDevice::CoilsInRange(unsigned first, unsigned count) const {
    return first >= identity_.coilStart && first + count - 1 <= identity_.coilEnd;
}

bool BoardDevice::RegistersInRange(unsigned first, unsigned count) const {
    return first >= identity_.holdStart && first + count - 1 <= identity_.holdEnd;
}

DeviceReply BoardDevice::ReadCoils(const QByteArray& data) const {
    if (data.size() != 4) return DeviceReply::Exception(fnReadCoils, exIllegalValue);
    const unsigned first = Word(data, 0), count = Word(data, 2);
    if (count < 1 || count > 2000) return DeviceReply::Exception(fnReadCoils, exIllegalValue);
    if (!CoilsInRange(first, count)) return DeviceReply::Exception(fnReadCoils, exIllegalAddress);
    // Coil first + i is bit i % 8 of byte i / 8.
    QByteArray status((count + 7) / 8, '\0');
    for (unsigned i = 0; i < count; ++i)
        if (coils_[first + i]) status[i / 8] = static_cast<char>(status[i / 8] | (1 << (i % 8)));
    return {fnReadCoils, Hex(static_cast<unsigned>(status.size()), 2) + HexBytes(status)};
}

DeviceReply BoardDevice::ReadRegisters(const QByteArray& data) const {
    if (data.size() != 4) return DeviceReply::Exception(fnReadRegisters, exIllegalValue);
    const unsigned first = Word(data, 0), count = Word(data, 2);
    if (count < 1 || count > 125) return DeviceReply::Exception(fnReadRegisters, exIllegalValue);
    if (!RegistersInRange(first, count))
        return DeviceReply::Exception(fnReadRegisters, exIllegalAddress);
    QString values;
    for (unsigned i = 0; i < count; ++i) values += Hex(registers_[first + i], 4);
    return {fnReadRegisters, Hex(2 * count, 2) + values};
}

DeviceReply BoardDevice::WriteCoil(const QByteArray& data) {
    if (data.size() != 4) return DeviceReply::Exception(fnWriteCoil, exIllegalValue);
    const unsigned address = Word(data, 0), value = Word(data, 2);
    const bool accepted =
        identity_.looseCoils ? (value & 0xFF) == 0 : value == 0xFF00 || value == 0;
    if (!accepted) return DeviceReply::Exception(fnWriteCoil, exIllegalValue);
    if (!CoilsInRange(address, 1)) return DeviceReply::Exception(fnWriteCoil, exIllegalAddress);
    coils_[address] = value != 0;
    return {fnWriteCoil, HexBytes(data)};
}

DeviceReply BoardDevice::WriteRegister(const QByteArray& data) {
    if (data.size() != 4) return DeviceReply::Exception(fnWriteRegister, exIllegalValue);
    const unsigned address = Word(data, 0);
    if (!RegistersInRange(address, 1))
        return DeviceReply::Exception(fnWriteRegister, exIllegalAddress);
    registers_[address] = static_cast<std::uint16_t>(Word(data, 2));
    return {fnWriteRegister, HexBytes(data)};
}

}  // namespace torvel::board
