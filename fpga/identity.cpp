#include "fpga/identity.h"

#include "common/hex.h"
#include "common/text.h"

namespace torvel {

// clang-format off
BoardEntry BoardNameTable(std::uint8_t code) {
    switch (code) {
        case 0x11: return {QStringLiteral("Arvix"), false};
        case 0x12: return {QStringLiteral("Boltra"), false};
        case 0x13: return {QStringLiteral("Corvane"), false};
        case 0x14: return {QStringLiteral("Dellik"), false};
        case 0x20: return {QStringLiteral("Emmet"), true};
        case 0x21: return {QStringLiteral("Fenno"), true};
        case 0x22: return {QStringLiteral("Gissa"), true};
        default: return {QStringLiteral("Неизвестное устройство"), false};
    }
}
// clang-format on

// clang-format off
QString FpgaNameTable(std::uint8_t code) {
    switch (code) {
        case 0: return QStringLiteral("не установлена");
        case 1: return QStringLiteral("EPF8282A");
        case 2: return QStringLiteral("EPF8452A");
        case 3: return QStringLiteral("EPF8636A");
        case 4: return QStringLiteral("EPF10K10");
        case 0x11: return QStringLiteral("XC2S30");
        case 0x12: return QStringLiteral("XC2S50");
        case 0x13: return QStringLiteral("XC2S100");
        case 0x14: return QStringLiteral("XC2S150");
        case 0x15: return QStringLiteral("XC2S200");
        default: return QString();
    }
}
// clang-format on

QString BoardText(const QString& boardName, const QString& versionMajor,
                  const QString& versionMinor) {
    return boardName + QStringLiteral(" версия ") + versionMajor + QLatin1Char('.') + versionMinor;
}

int PageChunkSize(int bufferSize) {
    // C++ integer division truncates toward zero, as the rule asks for small buffers.
    return (bufferSize - 2) / 2 - 11;
}

namespace {

// One byte field of the payload: two characters from a 1-based position.
int ByteField(const QString& payload, int position) {
    return HexToInt(CopyText(payload, position, 2));
}

}  // namespace

DeviceIdentity DecodeIdentity(const QString& payload) {
    DeviceIdentity id;
    id.BoardCode = static_cast<std::uint8_t>(ByteField(payload, 1));
    const BoardEntry board = BoardNameTable(id.BoardCode);
    id.BoardName = board.Name;
    id.LoadNotRequired = board.LoadNotRequired;
    id.ConfigurationLoaded = CopyText(payload, 3, 2) == QStringLiteral("FF");
    id.VersionMajor = CopyText(payload, 5, 1);
    id.VersionMinor = CopyText(payload, 6, 1);
    id.BoardText = BoardText(id.BoardName, id.VersionMajor, id.VersionMinor);
    id.FpgaCode = static_cast<std::uint8_t>(ByteField(payload, 7));
    id.FpgaName = FpgaNameTable(id.FpgaCode);
    // Each pair of the address map comes end first.
    id.CoilEnd = ByteField(payload, 9);
    id.CoilStart = ByteField(payload, 11);
    id.HoldEnd = ByteField(payload, 13);
    id.HoldStart = ByteField(payload, 15);
    id.PageCount = ByteField(payload, 17);
    id.PageSize = static_cast<std::uint16_t>(ByteField(payload, 19) * 256 + ByteField(payload, 21));
    id.BufferSize = ByteField(payload, 23);
    id.PageChunkSize = PageChunkSize(id.BufferSize);
    id.PageOffsetMin = 0;
    id.PageOffsetMax = id.PageSize;
    return id;
}

QString ConfigurationStatusText(bool loaded) {
    return loaded ? QStringLiteral("конфигурация загружена")
                  : QStringLiteral("конфигурация не загружена");
}

QString AddressLabelText(int value) {
    return Hex(static_cast<unsigned>(value), 2) + QLatin1Char('h');
}

QString PageCountText(int pageCount) {
    return QString::number(pageCount);
}

QString PageSizeText(std::uint16_t pageSize) {
    return QString::number(pageSize / 1024) + QStringLiteral("КБ");
}

QString BufferSizeText(int bufferSize) {
    return QString::number(bufferSize) + QStringLiteral("Б");
}

}  // namespace torvel
