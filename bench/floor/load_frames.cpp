#include "bench/floor/load_frames.h"

#include <QSaveFile>

#include "fpga/upload.h"
#include "protocol/frame.h"
#include "protocol/requests.h"

namespace torvel::floor {

QStringList LoadRequestLines(std::uint8_t address, const ConfigImageBytes& image,
                             std::uint16_t length, int chunkSize) {
    QStringList lines{RequestLine(address, fnReportSlaveId, IdentifyData())};
    UploadState state;
    lines << RequestLine(address, fnWriteFileRecord, BeginUpload(state));
    // Each reply of the board steps the upload on; the board answers every record.
    for (;;) {
        const UploadStep step = StepUpload(state, image, length, chunkSize);
        if (step.Completed) break;
        lines << RequestLine(address, fnWriteFileRecord, step.RequestData);
    }
    lines << RequestLine(address, fnReportSlaveId, IdentifyData());
    return lines;
}

bool WriteRequestLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (const QString& line : lines) file.write(line.toLatin1());
    return file.commit();
}

}  // namespace torvel::floor
