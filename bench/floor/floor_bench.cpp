// The floor of a load: the request lines of a command-line load of the 59691-byte sample
// (made by the window's own upload code) sent by the bare client to torvel-board, unpaced
// and at emulated 115200 and 921600 bit/s, against the wire time of the frames (10 bits a
// character). Qt only prepares the lines, starts the board and compares the image it
// received (--dump) with the file's; the measured loop has none.
// Figures only; it never fails on a slow machine.
//   floor_bench [--baud N] [--rounds N]   (N alone; 0 is unpaced)
//   floor_bench --frames FILE             (write the request lines to FILE and stop)

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/floor/bare_client.h"
#include "bench/floor/load_frames.h"
#include "fpga/identity.h"
#include "fpga/sample_config.h"
#include "support/board_process.h"

namespace {

// The standard torvel-board's exchange buffer, and so the upload's chunk.
constexpr int kStandardBuffer = 64;
constexpr qint64 kSampleSize = 59691;

// What the board must have received: the image as the reader took it.
struct Expected {
    QByteArray image;
    QString dumpPath;
};

void RunAt(unsigned baud, const std::vector<std::string>& lines, int rounds,
           const Expected& expected) {
    const QByteArray name = baud ? QByteArray::number(baud) + " bit/s" : "unpaced";
    std::vector<double> seconds;
    torvel::floor::FloorRun last;
    for (int round = 0; round < rounds; ++round) {
        QStringList options;
        if (baud) options << QStringLiteral("--baud") << QString::number(baud);
        QFile::remove(expected.dumpPath);
        options << QStringLiteral("--dump") << expected.dumpPath;
        torvel::test::BoardProcess board(options);
        if (!board.started()) {
            std::fprintf(stderr, "cannot start the board: %s\n", qPrintable(board.error()));
            return;
        }
        last = torvel::floor::SendRequests(board.linkPath().toStdString(), lines);
        if (!last.completed) {
            std::printf("%s: NOT COMPLETED after %zu requests: %s\n", name.constData(),
                        last.answered, last.error.c_str());
            return;
        }
        seconds.push_back(std::chrono::duration<double>(last.elapsed).count());
        QFile dump(expected.dumpPath);
        if (!dump.open(QIODevice::ReadOnly) || dump.readAll() != expected.image) {
            std::printf("%s: the board's image DIFFERS from the file's\n", name.constData());
            return;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    // Every round's image came whole, checked against the file's above.
    const double median = seconds[seconds.size() / 2];
    std::printf(
        "%s: %zu requests, %llu bytes written, %llu read; floor %.3f s (median of %d, "
        "best %.3f s); first request written %.1f us after opening\n",
        name.constData(), last.answered, static_cast<unsigned long long>(last.bytesWritten),
        static_cast<unsigned long long>(last.bytesRead), median, rounds, seconds.front(),
        std::chrono::duration<double, std::micro>(last.toFirstWrite).count());
    if (baud) {
        const double wire = torvel::floor::WireSeconds(last.bytesWritten + last.bytesRead, baud);
        std::printf("  wire time of all frames %.3f s; floor = wire %+.3f %%\n", wire,
                    100.0 * (median - wire) / wire);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    std::vector<unsigned> speeds{0, 115200, 921600};
    int rounds = 1;
    QString framesPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--baud") == 0)
            speeds = {static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10))};
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--frames") == 0)
            framesPath = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[i + 1]));
    }

    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    const QString sample = folder.filePath(QStringLiteral("sample.ttf"));
    QString error;
    if (!torvel::WriteSampleConfigFile(sample, kSampleSize, 1, &error)) {
        std::fprintf(stderr, "cannot write the sample: %s\n", qPrintable(error));
        return 1;
    }
    // Read back by the window's own reader, as the load reads its file.
    auto image = std::make_unique<torvel::ConfigImageBytes>();
    std::uint16_t length = 0;
    torvel::ReadConfigFile(sample, *image, length);
    const QStringList lines =
        torvel::floor::LoadRequestLines(0, *image, length, torvel::PageChunkSize(kStandardBuffer));
    std::printf("image: %u bytes from a %lld-byte sample; %lld request lines\n", length,
                static_cast<long long>(kSampleSize), static_cast<long long>(lines.size()));

    const QString path =
        framesPath.isEmpty() ? folder.filePath(QStringLiteral("load.frames")) : framesPath;
    if (!torvel::floor::WriteRequestLines(path, lines)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    if (!framesPath.isEmpty()) {
        std::printf("request lines written to %s\n", qPrintable(path));
        return 0;
    }
    // The same lines the standalone floor_client reads, from the file.
    std::string readError;
    const auto wire = torvel::floor::ReadRequestLines(path.toStdString(), readError);
    if (!wire) {
        std::fprintf(stderr, "%s\n", readError.c_str());
        return 1;
    }
    const Expected expected{QByteArray(reinterpret_cast<const char*>(image->data()), length),
                            folder.filePath(QStringLiteral("received.bin"))};
    for (const unsigned baud : speeds) RunAt(baud, *wire, rounds, expected);
    return 0;
}
