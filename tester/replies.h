#pragma once
// The fields of the tester's replies, read as outside input: a reply shorter than its own
// counts say yields only what it really carries, never bytes from beyond its payload.
// `payload` is always the hex text of the reply's data bytes after the byte count.

#include <QString>
#include <QStringList>
#include <optional>

namespace torvel {

// Function 1 (the coil status byte, two digits) or 3 (the register, four digits): the value
// text, or nothing when the reply is shorter than that; the caller treats it as an exchange
// error rather than a value of 0.
std::optional<QString> ReadReplyValue(int function, const QString& payload);

// Function 20: the values (two digits each) of a read of `asked` records: byte 1 counts them,
// byte 2 is the reference type, the values follow. At most the count, at most `asked`, and
// only whole bytes that arrived.
QStringList PageReplyValues(const QString& payload, int asked);

// An unsolicited function-25 report of one interrupt.
struct TIrqEvent {
    bool CarriesRecord = false;  // byte 1 non-zero and at most 8 registers
    QStringList Values;          // the register values received, at most the count of byte 3
    // Byte 4, shown in the result field; nothing when the reply ends before it.
    std::optional<QString> ShownValue;
};
TIrqEvent DecodeIrqEvent(const QString& payload);

}  // namespace torvel
