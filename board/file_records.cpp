// Functions 20 and 21: RAM/ROM bytes in file 0 (record = byte address, one byte a record)
// and the FPGA upload in file 10 (record 0 starts, record 1 appends, record 2 ends).

#include <QSaveFile>

#include "board/device.h"
#include "common/hex.h"
#include "protocol/requests.h"

namespace torvel::board {

namespace {

constexpr std::uint8_t kReferenceType = 6;
constexpr unsigned kImageFile = 10;
constexpr unsigned kImageStart = 0, kImageData = 1, kImageEnd = 2;
constexpr qsizetype kSubRequestHead = 7;  // reference type, file, record, length

}  // namespace

DeviceReply BoardDevice::ReadFileRecords(const QByteArray& data) const {
    const auto fail = [](std::uint8_t code) {
        return DeviceReply::Exception(fnReadFileRecord, code);
    };
    if (data.isEmpty()) return fail(exIllegalValue);
    const qsizetype byteCount = static_cast<std::uint8_t>(data.at(0));
    if (byteCount != data.size() - 1 || byteCount < kSubRequestHead || byteCount % kSubRequestHead)
        return fail(exIllegalValue);

    QString records;
    unsigned replyCount = 0;
    for (qsizetype at = 1; at < data.size(); at += kSubRequestHead) {
        if (static_cast<std::uint8_t>(data.at(at)) != kReferenceType) return fail(exIllegalValue);
        const unsigned file = Word(data, at + 1), record = Word(data, at + 3);
        const unsigned length = Word(data, at + 5);
        if (length == 0) return fail(exIllegalValue);
        if (file != kPageFile || record + length > memory_.size()) return fail(exIllegalAddress);
        // Each record is one byte: the sub-reply gives the count of values, then type 6.
        replyCount += 2 + length;
        if (replyCount > 255) return fail(exIllegalValue);
        records += Hex(length, 2) + Hex(kReferenceType, 2);
        for (unsigned i = 0; i < length; ++i) records += Hex(memory_[record + i], 2);
    }
    return {fnReadFileRecord, Hex(replyCount, 2) + records};
}

DeviceReply BoardDevice::WriteFileRecords(const QByteArray& data) {
    const auto fail = [](std::uint8_t code) {
        return DeviceReply::Exception(fnWriteFileRecord, code);
    };
    if (data.isEmpty()) return fail(exIllegalValue);
    if (static_cast<std::uint8_t>(data.at(0)) != data.size() - 1) return fail(exIllegalValue);

    // Every sub-request is checked before any is carried out, so a bad one changes nothing.
    std::vector<RecordWrite> writes;
    qsizetype imageGrowth = 0;
    for (qsizetype at = 1; at < data.size();) {
        if (data.size() - at < kSubRequestHead) return fail(exIllegalValue);
        if (static_cast<std::uint8_t>(data.at(at)) != kReferenceType) return fail(exIllegalValue);
        RecordWrite write{Word(data, at + 1), Word(data, at + 3), {}};
        const unsigned length = Word(data, at + 5);
        at += kSubRequestHead;
        if (length == 0 || data.size() - at < length) return fail(exIllegalValue);
        write.bytes = data.mid(at, length);
        at += length;
        if (write.file == kImageFile && write.record == kImageData) imageGrowth += length;
        if (const std::uint8_t code = CheckRecordWrite(write, imageGrowth)) return fail(code);
        writes.push_back(std::move(write));
    }
    if (writes.empty()) return fail(exIllegalValue);
    for (const RecordWrite& write : writes)
        if (const std::uint8_t code = ApplyRecordWrite(write)) return fail(code);
    // A write is answered with its own request, as Modbus slaves do.
    return {fnWriteFileRecord, HexBytes(data)};
}

std::uint8_t BoardDevice::CheckRecordWrite(const RecordWrite& write, qsizetype imageGrowth) const {
    if (write.file == kPageFile) {
        const auto end =
            static_cast<std::size_t>(write.record) + static_cast<std::size_t>(write.bytes.size());
        return end <= memory_.size() ? 0 : exIllegalAddress;
    }
    if (write.file != kImageFile || write.record > kImageEnd) return exIllegalAddress;
    if (image_.size() + imageGrowth > kMaxImage) return exDeviceFailure;
    return 0;
}

std::uint8_t BoardDevice::ApplyRecordWrite(const RecordWrite& write) {
    if (write.file == kPageFile) {
        for (qsizetype i = 0; i < write.bytes.size(); ++i)
            memory_[write.record + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(write.bytes.at(i));
        return 0;
    }
    switch (write.record) {
        case kImageStart:
            // Starting a new configuration leaves the FPGA unconfigured until its end.
            image_.clear();
            fpgaConfigured_ = false;
            return 0;
        case kImageData:
            image_ += write.bytes;
            return 0;
        default:
            if (!WriteDump()) return exDeviceFailure;
            fpgaConfigured_ = true;
            return 0;
    }
}

bool BoardDevice::WriteDump() const {
    if (dumpPath_.isEmpty()) return true;
    QSaveFile file(dumpPath_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(image_) != image_.size()) return false;
    return file.commit();
}

}  // namespace torvel::board
