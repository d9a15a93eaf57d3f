#include "protocol/requests.h"

#include "common/hex.h"

namespace torvel {

QString IdentifyData() {
    return QString();
}

QString ReadCoilData(unsigned address) {
    return Hex(address, 4) + QStringLiteral("0001");
}

QString ReadRegisterData(unsigned address) {
    return Hex(address, 4) + QStringLiteral("0001");
}

QString WriteCoilData(unsigned address, unsigned value) {
    return Hex(address, 4) + Hex(value, 2) + QStringLiteral("00");
}

QString WriteRegisterData(unsigned address, unsigned value) {
    return Hex(address, 4) + Hex(value, 4);
}

QString ReadRecordsData(unsigned file, unsigned record, unsigned count) {
    return QStringLiteral("0706") + Hex(file, 4) + Hex(record, 4) + Hex(count, 4);
}

QString WriteRecordsData(unsigned file, unsigned record, const QString& bytesHex) {
    const auto count = static_cast<unsigned>(bytesHex.size() / 2);
    // One text built in place: the load sends one of these after every reply.
    QString data;
    data.reserve(16 + bytesHex.size());
    AppendHex(data, count + 7, 2);
    data += QLatin1String("06");
    AppendHex(data, file, 4);
    AppendHex(data, record, 4);
    AppendHex(data, count, 4);
    data += bytesHex;
    return data;
}

QString ArmInterruptData(unsigned line, unsigned count, bool returnRegisters,
                         unsigned firstRegister, unsigned registerCount) {
    return Hex(line, 2) + Hex(count, 4) +
           (returnRegisters ? QStringLiteral("FF") : QStringLiteral("00")) + Hex(firstRegister, 2) +
           Hex(registerCount, 2);
}

QString DisarmInterruptData(unsigned line) {
    return Hex(line, 2) + QStringLiteral("0000");
}

}  // namespace torvel
