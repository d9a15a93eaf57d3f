#include "fpga/config_reader.h"

#include <QFile>
#include <algorithm>
#include <limits>

#include "common/cp1251.h"
#include "common/regular_file.h"

namespace torvel {

namespace {

// Hands out the lines of a device one at a time, each cut to its first `keep` bytes, while
// holding no more than one block of the device in memory however long a line is.
class CutLineReader {
public:
    CutLineReader(QIODevice& device, qsizetype keep) : device_(device), keep_(keep) {}

    // The next line without its LF; false at the end of the device or after a read error.
    bool Next(QByteArray& line) {
        line.clear();
        bool started = false;
        for (;;) {
            if (pos_ >= block_.size() && !Fill()) return started && !failed_;
            started = true;
            const qsizetype lf = block_.indexOf('\n', pos_);
            const qsizetype end = lf < 0 ? block_.size() : lf;
            const qsizetype room = keep_ - line.size();
            if (room > 0) line.append(block_.constData() + pos_, std::min(end - pos_, room));
            pos_ = end;
            if (lf >= 0) {
                ++pos_;
                return true;
            }
        }
    }

    bool Failed() const { return failed_; }

private:
    static constexpr qint64 kBlockSize = 64 * 1024;

    bool Fill() {
        block_.resize(kBlockSize);
        const qint64 got = device_.read(block_.data(), kBlockSize);
        if (got < 0) failed_ = true;
        block_.resize(got > 0 ? got : 0);
        pos_ = 0;
        return got > 0;
    }

    QIODevice& device_;
    const qsizetype keep_;
    QByteArray block_;
    qsizetype pos_ = 0;
    bool failed_ = false;
};

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
    QFile file;
    if (OpenRegularFile(file, path) != RegularFileOpen::Opened) return {};
    const qint64 fileSize = file.size();

    length = 0;
    const CharSet& delimiters = ConfigWordDelimiters();
    CutLineReader lines(file, ConfigLineCharacters);
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
