// torvel-cli against the floor (the bare client with no Qt sending the same request lines):
// a load of the 59691-byte sample on one board at emulated 115200 and 921600 bit/s, in
// alternating rounds on fresh boards; eight boards loaded at once against one; the time from
// the start of the process to its first request on the line; and its peak resident memory
// with eight boards. Figures only; it never fails on a slow machine.
//   cli_bench [--rounds N]

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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
#include "support/pty_pair.h"

namespace {

using torvel::test::BoardProcess;

constexpr int kStandardBuffer = 64;
constexpr qint64 kSampleSize = 59691;
constexpr int kBoards = 8;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QStringList PaceOptions(unsigned baud) {
    return {QStringLiteral("--baud"), QString::number(baud)};
}

// Peak resident memory of a running process in kB, 0 when it cannot be read.
long PeakResidentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

struct CliRun {
    bool ok = false;
    double seconds = 0;  // the process, start to exit
    long peakKb = 0;
};

// torvel-cli load on `boards`; its peak memory sampled while it runs.
CliRun RunCli(const QString& sample, const std::vector<BoardProcess*>& boards) {
    QStringList arguments;
    for (BoardProcess* board : boards) arguments << QStringLiteral("--port") << board->linkPath();
    arguments << QStringLiteral("--quiet") << QStringLiteral("load") << sample;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(TORVEL_CLI_EXECUTABLE), arguments);
    CliRun run;
    if (!process.waitForStarted()) return run;
    while (!process.waitForFinished(50)) {
        run.peakKb = std::max(run.peakKb, PeakResidentKb(process.processId()));
        if (clock.elapsed() > 120000) return run;
    }
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok) std::fprintf(stderr, "%s", process.readAllStandardError().constData());
    return run;
}

// One round of each at `baud`, alternating, each on a fresh board.
void CompareAt(unsigned baud, const QString& sample, const std::vector<std::string>& lines,
               int rounds) {
    std::vector<double> floorSeconds;
    std::vector<double> cliSeconds;
    for (int round = 0; round < rounds; ++round) {
        {
            BoardProcess board(PaceOptions(baud));
            const torvel::floor::FloorRun floor =
                torvel::floor::SendRequests(board.linkPath().toStdString(), lines);
            if (!floor.completed) {
                std::printf("%u bit/s: the floor did not complete: %s\n", baud,
                            floor.error.c_str());
                return;
            }
            floorSeconds.push_back(std::chrono::duration<double>(floor.elapsed).count());
        }
        BoardProcess board(PaceOptions(baud));
        const CliRun cli = RunCli(sample, {&board});
        if (!cli.ok) {
            std::printf("%u bit/s: torvel-cli did not complete\n", baud);
            return;
        }
        cliSeconds.push_back(cli.seconds);
    }
    const double floor = Median(floorSeconds);
    const double cli = Median(cliSeconds);
    std::printf(
        "%u bit/s, median of %d: floor %.3f s, torvel-cli %.3f s (process start to exit) = "
        "floor %+.2f %%\n",
        baud, rounds, floor, cli, 100.0 * (cli - floor) / floor);
}

void EightAtOnce(const QString& sample) {
    std::vector<std::unique_ptr<BoardProcess>> boards;
    std::vector<BoardProcess*> links;
    for (int i = 0; i < kBoards; ++i) {
        boards.push_back(std::make_unique<BoardProcess>(PaceOptions(115200)));
        links.push_back(boards.back().get());
    }
    const CliRun all = RunCli(sample, links);
    BoardProcess alone(PaceOptions(115200));
    const CliRun one = RunCli(sample, {&alone});
    if (!all.ok || !one.ok) {
        std::printf("eight boards: a load did not complete\n");
        return;
    }
    std::printf(
        "%d boards at 115200 bit/s at once: %.3f s against one board's %.3f s = %+.2f %%; "
        "peak resident memory %.1f MB (one board: %.1f MB)\n",
        kBoards, all.seconds, one.seconds, 100.0 * (all.seconds - one.seconds) / one.seconds,
        all.peakKb / 1024.0, one.peakKb / 1024.0);
}

// From the start of the process to the first byte of its first request on a line of our own.
void FirstRequest() {
    std::vector<double> ms;
    for (int round = 0; round < 5; ++round) {
        torvel::testing::PtyPair line;
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(TORVEL_CLI_EXECUTABLE),
                      {QStringLiteral("--port"), line.SlavePath(), QStringLiteral("--timeout"),
                       QStringLiteral("0"), QStringLiteral("--quiet"), QStringLiteral("identify")});
        pollfd wait{line.MasterFd(), POLLIN, 0};
        if (::poll(&wait, 1, 5000) == 1) ms.push_back(clock.nsecsElapsed() / 1e6);
        process.kill();
        process.waitForFinished();
    }
    std::printf("process start to first request written: median %.1f ms, worst %.1f ms\n",
                Median(ms), ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));

    QTemporaryDir folder;
    const QString sample = folder.filePath(QStringLiteral("sample.ttf"));
    if (!folder.isValid() || !torvel::WriteSampleConfigFile(sample, kSampleSize, 1)) return 1;
    auto image = std::make_unique<torvel::ConfigImageBytes>();
    std::uint16_t length = 0;
    torvel::ReadConfigFile(sample, *image, length);
    // The lines a command-line load sends: identification, the upload, identification again.
    std::vector<std::string> lines;
    for (const QString& line :
         torvel::floor::LoadRequestLines(0, *image, length, torvel::PageChunkSize(kStandardBuffer)))
        lines.push_back(line.toStdString());

    FirstRequest();
    for (const unsigned baud : {115200U, 921600U}) CompareAt(baud, sample, lines, rounds);
    EightAtOnce(sample);
    return 0;
}
