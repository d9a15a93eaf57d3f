#pragma once
// Data fields of the board's requests, as the hex text that RequestLine/SendRequest take.
// Addresses and counts are cut to their field width (hex4, hex2), as the board reads them.
// The FPGA upload's records (file 10) are written with WriteRecordsData too.

#include <QString>
#include <cstdint>

namespace torvel {

// clang-format off
enum FunctionCode : std::uint8_t {
    fnReadCoils       = 1,
    fnReadRegisters   = 3,
    fnWriteCoil       = 5,
    fnWriteRegister   = 6,
    fnReportSlaveId   = 17,
    fnReadFileRecord  = 20,
    fnWriteFileRecord = 21,
    fnInterrupt       = 25,
};
// clang-format on

// The file of the RAM/ROM bytes; its record number is the byte address.
constexpr unsigned kPageFile = 0;

// 17: no data.
QString IdentifyData();
// 1 and 3: one coil or register from `address`.
QString ReadCoilData(unsigned address);
QString ReadRegisterData(unsigned address);
// 5: the value byte goes out as the high byte of the output value ("FF" "00" = on).
QString WriteCoilData(unsigned address, unsigned value);
// 6: hex4(address) + hex4(value).
QString WriteRegisterData(unsigned address, unsigned value);
// 20: one sub-request of reference type 6 reading `count` byte records from `record`.
QString ReadRecordsData(unsigned file, unsigned record, unsigned count);
// 21: one sub-request of reference type 6 writing the bytes of `bytesHex` (two hex digits a
// byte) from `record`; the byte count and record length follow from its length.
QString WriteRecordsData(unsigned file, unsigned record, const QString& bytesHex);
// 25: arm interrupt `line` for `count` events, with or without `registerCount` register
// values from `firstRegister`; disarming is an event count of 0.
QString ArmInterruptData(unsigned line, unsigned count, bool returnRegisters,
                         unsigned firstRegister, unsigned registerCount);
QString DisarmInterruptData(unsigned line);

}  // namespace torvel
