#include "tester/replies.h"

#include <algorithm>

#include "common/hex.h"
#include "common/text.h"

namespace torvel {

namespace {

constexpr int kMaxIrqRegisters = 8;

// The whole bytes of `payload` from byte `first` (1-based), at most `count` of them.
QStringList Bytes(const QString& payload, int first, int count) {
    const int present = static_cast<int>(payload.size() / 2) - (first - 1);
    QStringList bytes;
    for (int k = 0; k < std::min(count, present); ++k)
        bytes << CopyText(payload, 2 * (first + k) - 1, 2);
    return bytes;
}

}  // namespace

std::optional<QString> ReadReplyValue(int function, const QString& payload) {
    const int digits = function == 3 ? 4 : 2;
    if (payload.size() < digits) return std::nullopt;
    return payload.left(digits);
}

QStringList PageReplyValues(const QString& payload, int asked) {
    if (payload.size() < 2) return {};
    return Bytes(payload, 3, std::min<int>(HexToInt(CopyText(payload, 1, 2)), asked));
}

TIrqEvent DecodeIrqEvent(const QString& payload) {
    TIrqEvent event;
    const int count = HexToInt(CopyText(payload, 5, 2));
    event.CarriesRecord = HexToInt(CopyText(payload, 1, 2)) != 0 && count <= kMaxIrqRegisters;
    event.Values = Bytes(payload, 4, std::min(count, kMaxIrqRegisters));
    const QStringList shown = Bytes(payload, 4, 1);
    if (!shown.isEmpty()) event.ShownValue = shown.front();
    return event;
}

}  // namespace torvel
