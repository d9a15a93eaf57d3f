#include "tester/input_file.h"

#include <QBuffer>
#include <QFile>

#include "common/cp1251.h"
#include "common/hex.h"
#include "common/line_reader.h"
#include "common/regular_file.h"
#include "common/text.h"

namespace torvel {

namespace {

std::optional<TInputValues> ParseLines(QIODevice& device) {
    static const CharSet delimiters = CharSet::Range(0, 47);
    TInputValues values;
    TCutLineReader lines(device, kInputLineCharacters);
    QByteArray raw;
    // Windows-1251 has one byte per character, so cutting bytes cuts characters.
    while (lines.Next(raw)) {
        const QString line = TrimText(FromCp1251(raw));
        if (line.startsWith(QChar(u'/'))) continue;
        const int words = WordCount(line, delimiters);
        if (values.size() + static_cast<std::size_t>(words) > kInputValueCapacity)
            return std::nullopt;
        for (int n = 1; n <= words; ++n)
            values.push_back(HexToInt(ExtractWord(n, line, delimiters)));
    }
    if (lines.Failed()) return std::nullopt;
    return values;
}

}  // namespace

std::optional<TInputValues> ParseInputText(const QByteArray& contents) {
    QByteArray copy = contents;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ParseLines(buffer);
}

std::optional<TInputValues> LoadInputFile(const QString& path) {
    QFile file;
    if (OpenRegularFile(file, path) != RegularFileOpen::Opened) return std::nullopt;
    return ParseLines(file);
}

}  // namespace torvel
