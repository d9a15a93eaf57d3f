#pragma once
// Synthetic configuration files for tests, benchmarks and the demo: decimal byte values
// separated by commas, CR LF line ends, lines well under the 250 characters that count, and
// exactly the size asked for, so the size-recognised chip types can be produced at will.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvel {

struct SampleConfig {
    QByteArray Text;                  // the file's content, exactly the size asked for
    std::vector<std::uint8_t> Image;  // the bytes a reader takes from it, in order
};

// The same size and seed always give the same content. Padding to the exact size is blanks
// before a line end; once the image's capacity is reached the rest is blank lines, so every
// sample reads without fault whatever its size.
SampleConfig MakeSampleConfig(qint64 exactSize, std::uint32_t seed);

// Writes MakeSampleConfig's text to `path` atomically and returns the image it encodes; on
// failure nothing, and `error` (when given) says why.
std::optional<std::vector<std::uint8_t>> WriteSampleConfigFile(const QString& path,
                                                               qint64 exactSize, std::uint32_t seed,
                                                               QString* error = nullptr);

}  // namespace torvel
