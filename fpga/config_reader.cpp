#include "fpga/config_reader.h"

#include <QFile>
#include <limits>

#include "common/cp1251.h"
#include "common/line_reader.h"
#include "common/regular_file.h"

namespace torvel {

namespace {

ConfigReadResult Faulty(ConfigFault fault, qint64 fileSize) {
    return {ConfigReadOutcome::Faulty, fault, fileSize};
}

}  // namespace

const CharSet& ConfigWordDelimiters() {
    static const CharSet delimiters = CharSet::Range(0, 47);
    return delimiters;
}

std::optional<std::uint8_t> ConfigWordByte(const QString& word) {
    if (word.isEmpty()) return std::nullopt;
    std::int64_t value = 0;
    for (const QChar c : word) {
        if (c.unicode() < u'0' || c.unicode() > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

ConfigReadResult ReadConfigFile(const QString& path, ConfigImageBytes& image,
                                std::uint16_t& length) {
    // A FIFO or a device would block the open or never end; only regular files are read.
    QFile file;
    if (OpenRegularFile(file, path) != RegularFileOpen::Opened) return {};
    const qint64 fileSize = file.size();

    length = 0;
    const CharSet& delimiters = ConfigWordDelimiters();
    TCutLineReader lines(file, ConfigLineCharacters);
    QByteArray raw;
    // Windows-1251 has one byte per character, so cutting bytes cuts characters; a CR before
    // the LF is a delimiter and needs no special handling.
    while (lines.Next(raw)) {
        const QString line = FromCp1251(raw);
        const int words = WordCount(line, delimiters);
        for (int n = 1; n <= words; ++n) {
            if (length >= ConfigImageCapacity) return Faulty(ConfigFault::TooManyWords, fileSize);
            ++length;
            const std::optional<std::uint8_t> byte =
                ConfigWordByte(ExtractWord(n, line, delimiters));
            if (!byte) return Faulty(ConfigFault::NotANumber, fileSize);
            image[length - 1] = *byte;
        }
    }
    if (lines.Failed()) return Faulty(ConfigFault::ReadError, fileSize);
    return {ConfigReadOutcome::Read, ConfigFault::None, fileSize};
}

}  // namespace torvel
