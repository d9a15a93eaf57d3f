#pragma once
// What the board reports about itself in its function-17 reply, and the texts the window
// shows for it. The window copies these values into its own fields; nothing here keeps state.

#include <QString>
#include <cstdint>

namespace torvel {

struct BoardEntry {
    QString Name;
    // Boards 32-34 carry a fixed FPGA configuration; the load command only says so.
    bool LoadNotRequired = false;
};

// Board code -> name; "Неизвестное устройство" for codes not in the table.
BoardEntry BoardNameTable(std::uint8_t code);
// FPGA code -> chip name; empty for codes not in the table.
QString FpgaNameTable(std::uint8_t code);

// name + " версия " + major + "." + minor; the version characters are taken as they came.
QString BoardText(const QString& boardName, const QString& versionMajor,
                  const QString& versionMinor);

// Data bytes that fit one function-20/21 request line into the board's exchange buffer:
// (bufferSize - 2) div 2 - 11, truncating toward zero. 115 for 255, 4 for 32, 1 for 26.
int PageChunkSize(int bufferSize);
// A buffer too small for one data byte per request (25 bytes or less) makes the board unusable.
inline bool PageChunkSizeUsable(int pageChunkSize) {
    return pageChunkSize > 0;
}

// The window's value before any identification.
inline constexpr int InitialPageOffsetMax = 0x7FFF;

// The decoded identification payload. Field names follow the window's fields they fill.
struct DeviceIdentity {
    std::uint8_t BoardCode = 0;
    QString BoardName;
    bool LoadNotRequired = false;
    QString VersionMajor;  // character 5, empty when the payload is shorter
    QString VersionMinor;  // character 6
    QString BoardText;
    // Characters 3-4 are exactly "FF" (case matters: "ff" is not loaded).
    bool ConfigurationLoaded = false;
    std::uint8_t FpgaCode = 0;
    QString FpgaName;
    int CoilEnd = 0;
    int CoilStart = 0;
    int HoldEnd = 0;
    int HoldStart = 0;
    int PageCount = 0;
    std::uint16_t PageSize = 0;
    int BufferSize = 0;
    int PageChunkSize = 0;
    int PageOffsetMin = 0;
    int PageOffsetMax = 0;

    bool BufferAccepted() const { return PageChunkSizeUsable(PageChunkSize); }
};

// Decodes the hex text after the byte count of a function-17 reply. The byte count is not
// trusted: fields beyond the end of a short payload read as empty text and convert to 0.
DeviceIdentity DecodeIdentity(const QString& payload);

// "конфигурация загружена" / "конфигурация не загружена".
QString ConfigurationStatusText(bool loaded);

// Label texts of the device group.
QString AddressLabelText(int value);           // two upper-case hex digits + "h": "0Fh"
QString PageCountText(int pageCount);          // decimal
QString PageSizeText(std::uint16_t pageSize);  // whole kilobytes + "КБ": 32768 -> "32КБ"
QString BufferSizeText(int bufferSize);        // decimal + "Б": "64Б"

}  // namespace torvel
