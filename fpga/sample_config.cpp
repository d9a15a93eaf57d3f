#include "fpga/sample_config.h"

#include <QSaveFile>
#include <random>

#include "fpga/config_reader.h"

namespace torvel {

namespace {

constexpr int kBlankLineWidth = 200;
// Bytes kept back for the last line, which takes up whatever is left exactly.
constexpr qint64 kTailReserve = 8;

class SampleWriter {
public:
    SampleWriter(qint64 size, std::uint32_t seed) : remaining_(size > 0 ? size : 0), rng_(seed) {}

    SampleConfig Make() {
        for (;;) {
            const Line line = ImageFull() ? BlankLine() : ValueLine();
            if (remaining_ - line.text.size() < kTailReserve) break;
            Append(line);
        }
        Append(TailLine());
        return std::move(sample_);
    }

private:
    struct Line {
        QByteArray text;
        std::vector<std::uint8_t> values;
    };

    bool ImageFull() const { return sample_.Image.size() >= ConfigImageCapacity; }
    std::uint8_t NextByte() { return static_cast<std::uint8_t>(rng_() & 0xFF); }

    Line ValueLine() {
        const std::size_t room = ConfigImageCapacity - sample_.Image.size();
        const std::size_t count = std::min<std::size_t>(12 + rng_() % 9, room);
        Line line;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) line.text += ',';
            line.values.push_back(NextByte());
            line.text += QByteArray::number(line.values.back());
        }
        line.text += "\r\n";
        return line;
    }

    static Line BlankLine() { return {QByteArray(kBlankLineWidth, ' ') + "\r\n", {}}; }

    // Exactly the remaining bytes: one value padded with blanks to a CR LF, or for the
    // smallest sizes a number of exactly one or two digits.
    Line TailLine() {
        const qint64 r = remaining_;
        if (r == 0) return {};
        if (ImageFull()) return {r >= 2 ? QByteArray(r - 2, ' ') + "\r\n" : QByteArray(" "), {}};
        std::uint8_t value = NextByte();
        if (r == 1) value %= 10;
        if (r == 2) value = static_cast<std::uint8_t>(10 + value % 90);
        QByteArray digits = QByteArray::number(value);
        if (r >= 3 && digits.size() > r - 2) {
            value %= 10;
            digits = QByteArray::number(value);
        }
        if (r >= 3) digits += QByteArray(r - 2 - digits.size(), ' ') + "\r\n";
        return {digits, {value}};
    }

    void Append(const Line& line) {
        sample_.Text += line.text;
        sample_.Image.insert(sample_.Image.end(), line.values.begin(), line.values.end());
        remaining_ -= line.text.size();
    }

    qint64 remaining_;
    std::mt19937 rng_;  // its output sequence is fixed by the standard, so samples are too
    SampleConfig sample_;
};

}  // namespace

SampleConfig MakeSampleConfig(qint64 exactSize, std::uint32_t seed) {
    return SampleWriter(exactSize, seed).Make();
}

std::optional<std::vector<std::uint8_t>> WriteSampleConfigFile(const QString& path,
                                                               qint64 exactSize, std::uint32_t seed,
                                                               QString* error) {
    SampleConfig sample = MakeSampleConfig(exactSize, seed);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sample.Text) != sample.Text.size() ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return std::nullopt;
    }
    return std::move(sample.Image);
}

}  // namespace torvel
