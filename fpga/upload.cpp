#include "fpga/upload.h"

#include <algorithm>
#include <cmath>

#include "common/hex.h"
#include "common/rate_estimator.h"
#include "protocol/requests.h"

namespace torvel {

namespace {

// The upload's file; record 0 prepares it, 1 carries the image and 2 ends it.
constexpr unsigned kUploadFile = 0x0A;
constexpr unsigned kPrepareRecord = 0;
constexpr unsigned kImageRecord = 1;
constexpr unsigned kEndRecord = 2;

}  // namespace

QString PreparatoryRequestData() {
    return WriteRecordsData(kUploadFile, kPrepareRecord, QStringLiteral("00"));
}

QString FirstByteRequestData(std::uint8_t firstByte) {
    return WriteRecordsData(kUploadFile, kImageRecord, Hex(firstByte, 2));
}

QString ImageDataRequestData(int count, const QString& imageHex) {
    Q_ASSERT(2 * count == imageHex.size());
    return WriteRecordsData(kUploadFile, kImageRecord, imageHex);
}

QString EndRequestData() {
    return WriteRecordsData(kUploadFile, kEndRecord, QStringLiteral("00"));
}

void NextImageChunk(const ConfigImageBytes& image, std::uint16_t length, int chunkSize,
                    std::uint16_t& position, std::uint8_t& count, QString& data) {
    count = 0;
    data.clear();
    const int last = std::min<int>(length, ConfigImageCapacity);
    const int first = std::max<int>(position, 1);
    if (first > last) return;
    const int n = std::min(std::clamp(chunkSize, 1, MaxImageChunk), last - first + 1);
    data.reserve(2 * n);
    for (int p = first; p < first + n; ++p) AppendHex(data, image[p - 1], 2);
    count = static_cast<std::uint8_t>(n);
    position = static_cast<std::uint16_t>(first + n);
}

QString BeginUpload(UploadState& state) {
    state.UploadStarted = false;
    state.UploadEndSent = false;
    return PreparatoryRequestData();
}

UploadStep StepUpload(UploadState& state, const ConfigImageBytes& image, std::uint16_t length,
                      int chunkSize) {
    UploadStep step;
    if (state.UploadEndSent) {
        // UploadEndSent stays set until the next load command.
        state.UploadStarted = false;
        step.Completed = true;
        return step;
    }
    if (!state.UploadStarted) {
        // The preparatory request was answered: the first byte goes alone.
        state.UploadStarted = true;
        step.RequestData = FirstByteRequestData(image[0]);
        step.ShownPosition = 1;
        state.UploadPosition = 2;
        return step;
    }
    // A length beyond the image's capacity cannot come from the reader; never step past it.
    const auto last = static_cast<std::uint16_t>(std::min<int>(length, ConfigImageCapacity));
    if (state.UploadPosition > last) {
        state.UploadEndSent = true;
        state.UploadStarted = false;
        step.RequestData = EndRequestData();
        return step;
    }
    std::uint8_t count = 0;
    QString data;
    NextImageChunk(image, last, chunkSize, state.UploadPosition, count, data);
    step.RequestData = ImageDataRequestData(count, data);
    step.ShownPosition = state.UploadPosition;
    step.Progress = UploadProgress(state.UploadPosition, last);
    return step;
}

int UploadProgress(std::uint16_t position, std::uint16_t length) {
    if (length == 0) return 0;
    // Integer arithmetic: exact where a floating quotient might land just under a whole step.
    return std::min(100, position * 100 / length);
}

QString UploadPositionText(std::uint16_t position) {
    return position == 0 ? QString() : QString::number(position);
}

QString UploadSpeedText(double bytesPerSecond, qint64 timeLeftNs) {
    if (timeLeftNs < 0) return QStringLiteral("измеряется");
    const QString timeLeft = DurationText(timeLeftNs);
    // Five digits and the time left are all a panel of 100 pixels holds.
    if (std::llround(bytesPerSecond) <= 9999)
        return QStringLiteral("%1 Б/с, %2").arg(RateText(bytesPerSecond), timeLeft);
    return QStringLiteral("%1 кБ/с, %2").arg(RateText(bytesPerSecond / 1000), timeLeft);
}

bool ProjectTypeMatchesFpga(const QString& projectTypeText, const QString& fpgaName) {
    return projectTypeText.right(8) == fpgaName;
}

}  // namespace torvel
