#pragma once
// What the fuzz targets share: a broken invariant ends the process loudly (libFuzzer and the
// standalone driver both keep the input that did it), inputs become texts, files or a stream
// of small choices, and Qt's warnings about hostile input stay off the console.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace torvel::fuzz {

// Prints where and what broke, then aborts.
[[noreturn]] void Fail(const char* file, int line, const char* condition, const QString& detail);

// Every byte one character, 0..255, as the port hands received bytes to the codec.
QString Latin1Text(const std::uint8_t* data, std::size_t size);

// A file in this process's own scratch folder, on tmpfs where there is one so that the
// fsync of an atomic save costs nothing. The folder goes when the process exits normally.
QString ScratchPath(const QString& name);
// False when the file could not be written whole.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);
QByteArray ReadWholeFile(const QString& path);

// Debug, info and warning messages go nowhere: parsers warn about every bad input.
void SilenceQtMessages();

// Takes the input from the front: configuration bytes first, then the payload. Past the end
// it yields zeros and empty pieces, so any input is a complete one.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t TakeByte();
    QByteArray TakeBytes(std::size_t count);
    QByteArray TakeRest();
    bool AtEnd() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A file's contents from the input: the rest as it is, or, when the first byte has its high
// bit set, the rest repeated past `repeatedSize` bytes so that capacity limits are reached.
QByteArray FileContents(InputReader& input, qsizetype repeatedSize);

}  // namespace torvel::fuzz

// An invariant of the code under test; `detail` is a QString built only when it fails.
#define FUZZ_CHECK(condition, detail)                                                     \
    do {                                                                                  \
        if (!(condition)) ::torvel::fuzz::Fail(__FILE__, __LINE__, #condition, (detail)); \
    } while (false)
