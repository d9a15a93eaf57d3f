// Identification payloads of any length and content (each byte one character): decoding must
// not trust the board's byte count, and every field stays in the range of one byte.

#include <QString>
#include <cstdint>

#include "fpga/identity.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace torvel;

bool IsByte(int value) {
    return value >= 0 && value <= 255;
}

void CheckIdentity(const QString& payload, const DeviceIdentity& id) {
    FUZZ_CHECK(IsByte(id.CoilEnd) && IsByte(id.CoilStart) && IsByte(id.HoldEnd) &&
                   IsByte(id.HoldStart) && IsByte(id.PageCount) && IsByte(id.BufferSize),
               QStringLiteral("a field outside one byte from \"%1\"").arg(payload));
    FUZZ_CHECK(id.VersionMajor == payload.mid(4, 1) && id.VersionMinor == payload.mid(5, 1),
               QStringLiteral("version characters not taken as they came"));
    FUZZ_CHECK(id.ConfigurationLoaded == (payload.mid(2, 2) == u"FF"),
               QStringLiteral("configuration flag misread from \"%1\"").arg(payload));
    FUZZ_CHECK(id.BoardText == BoardText(id.BoardName, id.VersionMajor, id.VersionMinor),
               QStringLiteral("board text \"%1\"").arg(id.BoardText));
    FUZZ_CHECK(id.PageChunkSize == PageChunkSize(id.BufferSize) &&
                   id.BufferAccepted() == (id.BufferSize > 25),
               QStringLiteral("buffer %1 gives chunk %2").arg(id.BufferSize).arg(id.PageChunkSize));
    FUZZ_CHECK(id.PageOffsetMin == 0 && id.PageOffsetMax == id.PageSize,
               QStringLiteral("page offsets %1..%2").arg(id.PageOffsetMin).arg(id.PageOffsetMax));
    FUZZ_CHECK(!id.BoardName.isEmpty(), QStringLiteral("a board without a name"));
}

// The texts the window shows for the decoded values must be made without fault.
void ShowIdentity(const DeviceIdentity& id) {
    const QString shown = ConfigurationStatusText(id.ConfigurationLoaded) +
                          AddressLabelText(id.CoilEnd) + AddressLabelText(id.HoldStart) +
                          PageCountText(id.PageCount) + PageSizeText(id.PageSize) +
                          BufferSizeText(id.BufferSize) + FpgaNameTable(id.FpgaCode);
    FUZZ_CHECK(!shown.isEmpty(), QStringLiteral("nothing to show"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString payload = fuzz::Latin1Text(data, size);
    const DeviceIdentity id = DecodeIdentity(payload);
    CheckIdentity(payload, id);
    ShowIdentity(id);
    return 0;
}
