#include "fuzz/fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace torvel::fuzz {

namespace {

void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
    std::abort();
}

QString ScratchBase() {
    const QString shm = QStringLiteral("/dev/shm");
    return QDir(shm).exists() && QFile::permissions(shm).testFlag(QFileDevice::WriteOther)
               ? shm
               : QDir::tempPath();
}

}  // namespace

void Fail(const char* file, int line, const char* condition, const QString& detail) {
    std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n  %s\n", file, line, condition,
                 qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QString Latin1Text(const std::uint8_t* data, std::size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString ScratchPath(const QString& name) {
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        auto made =
            std::make_unique<QTemporaryDir>(ScratchBase() + QStringLiteral("/torvel-fuzz-XXXXXX"));
        if (!made->isValid()) {
            std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(made->errorString()));
            std::abort();
        }
        return made;
    }();
    return folder->filePath(name);
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SilenceQtMessages() {
    static const bool installed = [] {
        qInstallMessageHandler(QuietHandler);
        return true;
    }();
    (void)installed;
}

std::uint8_t InputReader::TakeByte() {
    return pos_ < size_ ? data_[pos_++] : 0;
}

QByteArray InputReader::TakeBytes(std::size_t count) {
    const std::size_t taken = std::min(count, size_ - std::min(pos_, size_));
    QByteArray bytes(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(taken));
    pos_ += taken;
    return bytes;
}

QByteArray InputReader::TakeRest() {
    return TakeBytes(size_);
}

QByteArray FileContents(InputReader& input, qsizetype repeatedSize) {
    const bool repeated = input.TakeByte() >= 0x80;
    const QByteArray rest = input.TakeRest();
    if (!repeated || rest.isEmpty()) return rest;
    QByteArray contents;
    contents.reserve(repeatedSize + rest.size());
    while (contents.size() < repeatedSize) contents.append(rest);
    return contents;
}

}  // namespace torvel::fuzz
