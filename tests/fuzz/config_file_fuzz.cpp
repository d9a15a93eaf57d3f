// The configuration file reader on a file holding the input. The first byte picks the file:
// below 0x80 the rest as it is; from 0x80 on the rest repeated past 100,000 bytes, so that
// small inputs also reach the image's capacity and lines far longer than the part that counts.
// The image sits between guard bytes; neither guard nor any position past the length read
// may change.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <memory>

#include "fpga/config_reader.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace torvel;

constexpr std::uint8_t kUntouched = 0xC3;
constexpr qsizetype kRepeatedFileSize = 2 * ConfigImageCapacity + 16;

struct GuardedImage {
    std::array<std::uint8_t, 64> before;
    ConfigImageBytes image;
    std::array<std::uint8_t, 64> after;
};

bool AllUntouched(const std::uint8_t* begin, const std::uint8_t* end) {
    for (const std::uint8_t* p = begin; p != end; ++p) {
        if (*p != kUntouched) return false;
    }
    return true;
}

void CheckResult(const ConfigReadResult& result, std::uint16_t length, qsizetype fileSize,
                 const GuardedImage& guarded) {
    FUZZ_CHECK(result.Outcome != ConfigReadOutcome::CannotOpen,
               QStringLiteral("a regular file was not read"));
    FUZZ_CHECK(result.FileSize == fileSize,
               QStringLiteral("file size %1 reported as %2").arg(fileSize).arg(result.FileSize));
    FUZZ_CHECK(length <= ConfigImageCapacity,
               QStringLiteral("length %1 above the capacity").arg(length));
    FUZZ_CHECK((result.Outcome == ConfigReadOutcome::Read) == (result.Fault == ConfigFault::None),
               QStringLiteral("outcome and fault disagree"));
    FUZZ_CHECK(result.Fault != ConfigFault::TooManyWords || length == ConfigImageCapacity,
               QStringLiteral("too many words at length %1").arg(length));
    FUZZ_CHECK(result.Fault != ConfigFault::ReadError, QStringLiteral("a read error on a file"));
    FUZZ_CHECK(AllUntouched(guarded.before.data(), guarded.before.data() + guarded.before.size()) &&
                   AllUntouched(guarded.after.data(), guarded.after.data() + guarded.after.size()),
               QStringLiteral("written outside the image"));
    FUZZ_CHECK(
        AllUntouched(guarded.image.data() + length, guarded.image.data() + guarded.image.size()),
        QStringLiteral("written past length %1").arg(length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceQtMessages();
    fuzz::InputReader input(data, size);
    const QByteArray contents = fuzz::FileContents(input, kRepeatedFileSize);
    const QString path = fuzz::ScratchPath(QStringLiteral("config.txt"));
    FUZZ_CHECK(fuzz::WriteWholeFile(path, contents), QStringLiteral("cannot write ") + path);

    auto guarded = std::make_unique<GuardedImage>();
    guarded->before.fill(kUntouched);
    guarded->image.fill(kUntouched);
    guarded->after.fill(kUntouched);
    std::uint16_t length = 0xFFFF;
    const ConfigReadResult result = ReadConfigFile(path, guarded->image, length);
    CheckResult(result, length, contents.size(), *guarded);
    return 0;
}
