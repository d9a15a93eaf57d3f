#pragma once
// The tester's input data file: values to write, as hex words on lines of Windows-1251 text.
// Lines beginning with "/" are remarks (the headers of a result file are among them); in
// the first 250 characters of every other line, each run of characters above code 47 is one
// value, of which the last two hex digits count ("A5", "0A5", "1A5" all give A5h).

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvel {

// The values the program holds; a file with more is refused as a whole rather than cut.
inline constexpr int kInputValueCapacity = 50000;
inline constexpr int kInputLineCharacters = 250;

using TInputValues = std::vector<std::uint8_t>;

// The values of a file's contents, or nothing when there are more than the capacity.
std::optional<TInputValues> ParseInputText(const QByteArray& contents);

// LoadInputFile: the values of the file at `path`, or nothing when it is not a regular file,
// cannot be read, or holds more values than the capacity. An empty file gives no values.
std::optional<TInputValues> LoadInputFile(const QString& path);

}  // namespace torvel
