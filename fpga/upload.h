#pragma once
// The steps of an FPGA upload: the function-21 data fields sent to file 10, the chunking of
// the image, and what the load does on each function-21 reply. The session's load keeps the
// state (an UploadState) and sends what it is told; nothing here touches a port or a control.

#include <QString>
#include <cstdint>
#include <optional>

#include "fpga/config_reader.h"

namespace torvel {

// n + 7 must fit two hex digits, and 115 is what the largest exchange buffer allows.
inline constexpr int MaxImageChunk = 115;

// Data fields of the four kinds of request (function 21, reference type 6, file 000A).
QString PreparatoryRequestData();                      // "0806000A0000000100"
QString FirstByteRequestData(std::uint8_t firstByte);  // "0806000A00010001" + hex2(byte)
// hex2(n + 7) + "06000A000100" + hex2(n) + imageHex, where imageHex holds n bytes.
QString ImageDataRequestData(int count, const QString& imageHex);
QString EndRequestData();  // "0806000A0002000100"

// Takes up to chunkSize bytes of the image from 1-based `position` as upper-case hex text and
// advances the position past them. Past the image's length: count 0, empty data, position
// unchanged. chunkSize is kept within 1 ... MaxImageChunk so that every call makes progress
// and the record length always fits its field.
void NextImageChunk(const ConfigImageBytes& image, std::uint16_t length, int chunkSize,
                    std::uint16_t& position, std::uint8_t& count, QString& data);

// The upload state the window holds; the names are those the rest of the window uses.
struct UploadState {
    // false: the next function-21 reply answers the preparatory request.
    bool UploadStarted = false;
    // The end request has been sent; the next function-21 reply completes the upload.
    bool UploadEndSent = false;
    // 1-based position of the next image byte to send.
    std::uint16_t UploadPosition = 0;

    friend bool operator==(const UploadState&, const UploadState&) = default;
};

// What the window does after one function-21 reply.
struct UploadStep {
    // The end request was answered: show the configuration as loaded, give controls back.
    bool Completed = false;
    // Otherwise: the data field to send with function 21.
    QString RequestData;
    // After sending: ShowUploadPosition with this value, when present.
    std::optional<std::uint16_t> ShownPosition;
    // After sending: the progress bar's position, when present.
    std::optional<int> Progress;
};

// The load command's start: clears both flags and gives the preparatory data field.
QString BeginUpload(UploadState& state);
// One step per function-21 reply (when no tester operation runs).
UploadStep StepUpload(UploadState& state, const ConfigImageBytes& image, std::uint16_t length,
                      int chunkSize);

// trunc(position / length * 100), capped at 100; 0 for an empty image.
int UploadProgress(std::uint16_t position, std::uint16_t length);
// Status-bar text of the upload position: decimal, empty for 0.
QString UploadPositionText(std::uint16_t position);
// Status-bar text of the upload's speed and time left, short enough for a narrow panel:
// "1712 Б/с, 0:07", above 9999 bytes a second in thousands ("14 кБ/с, 0:01"); "измеряется"
// while the time left is unknown (a negative `timeLeftNs`).
QString UploadSpeedText(double bytesPerSecond, qint64 timeLeftNs);

// The load command sends nothing without an image: a file that was never read, or read
// empty, would otherwise send a stale first byte and report success.
inline bool ConfigImageReady(std::uint16_t configImageLength) {
    return configImageLength > 0;
}

// The last eight characters of the type text (all of it when shorter) name the chip the file
// is for; anything else than the board's FPGA name asks the user first.
bool ProjectTypeMatchesFpga(const QString& projectTypeText, const QString& fpgaName);

}  // namespace torvel
