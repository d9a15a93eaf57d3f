// The tester's input file reader on a file holding the input. The first byte picks the file:
// below 0x80 the rest as it is; from 0x80 on the rest repeated past 100,000 bytes, so that
// small inputs also reach the capacity and lines far longer than the part that counts.
// The values must equal those of a plain byte-wise reading of the same rules, and a file
// with more values than the capacity must be refused.

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "tester/input_file.h"

namespace {

using namespace torvel;

constexpr qsizetype kRepeatedFileSize = 2 * kInputValueCapacity + 16;

int DigitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// Lines split at LF and cut to 250 bytes; trailing NULs and leading blanks dropped; "/"
// lines skipped; words are runs of bytes above 47, each worth its first six characters'
// hex digits modulo 256.
std::optional<TInputValues> Reference(const QByteArray& contents) {
    TInputValues values;
    for (const QByteArray& whole : contents.split('\n')) {
        QByteArray line = whole.left(kInputLineCharacters);
        while (line.endsWith('\0')) line.chop(1);
        qsizetype begin = 0;
        while (begin < line.size() && line[begin] == ' ') ++begin;
        if (begin < line.size() && line[begin] == '/') continue;
        for (qsizetype i = begin; i < line.size();) {
            if (static_cast<std::uint8_t>(line[i]) <= 47) {
                ++i;
                continue;
            }
            unsigned value = 0;
            for (int n = 0; i < line.size() && static_cast<std::uint8_t>(line[i]) > 47; ++i, ++n) {
                if (n < 6) value = value * 16 + static_cast<unsigned>(DigitOf(line[i]));
            }
            if (values.size() == kInputValueCapacity) return std::nullopt;
            values.push_back(static_cast<std::uint8_t>(value & 0xFF));
        }
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceQtMessages();
    fuzz::InputReader input(data, size);
    const QByteArray contents = fuzz::FileContents(input, kRepeatedFileSize);
    const QString path = fuzz::ScratchPath(QStringLiteral("input.txt"));
    FUZZ_CHECK(fuzz::WriteWholeFile(path, contents), QStringLiteral("cannot write ") + path);

    const std::optional<TInputValues> loaded = LoadInputFile(path);
    const std::optional<TInputValues> expected = Reference(contents);
    FUZZ_CHECK(loaded.has_value() == expected.has_value(),
               QStringLiteral("refused: %1, expected refused: %2")
                   .arg(!loaded.has_value())
                   .arg(!expected.has_value()));
    if (!loaded) return 0;
    FUZZ_CHECK(loaded->size() <= std::size_t{kInputValueCapacity},
               QStringLiteral("%1 values above the capacity").arg(loaded->size()));
    FUZZ_CHECK(*loaded == *expected,
               QStringLiteral("%1 values, expected %2").arg(loaded->size()).arg(expected->size()));
    FUZZ_CHECK(ParseInputText(contents) == loaded, QStringLiteral("text and file disagree"));
    return 0;
}
