// The FPGA load through the window, end to end: TForm1 (offscreen) uploads the 59691-byte
// sample to torvel-board, unpaced and at emulated 115200 and 9600 bit/s. Prints the
// turnaround (reply packet handed to CDP1Packet to the next request's write returning), the
// round trip (write returned to the reply packet), the whole upload against the wire time of
// its frames (10 bits a character), the longest the GUI thread was kept from a 5 ms timer
// (scheduling by a busy machine included) and its event loop's longest busy spell.
// With the exchange monitor: the same upload with the monitor open and following against it
// closed, and the memory and refresh time of a full ring of 100,000 rows.
// Against a floor: a bare client (a program given by path, run as CLIENT DEVICE FILE) sends the
// very request lines the window wrote to a board of its own at the same speed, in rounds that
// alternate with the window's, and the window's line time (its first request written to its
// last reply read, as the client counts) is set against the client's.
// Figures only; it never fails on a slow machine.
//   upload_bench [--baud N]      (N alone; 0 is unpaced)
//   upload_bench --monitor [N]   (monitor closed, open, closed, open at N bit/s, default 115200)
//   upload_bench --ring          (a full ring: memory and the longest refresh)
//   upload_bench --shot FILE [WINDOW]
//                                (a picture of the monitor at 40 % of an upload at 115200, and
//                                one of the main window at that moment in WINDOW)
//   upload_bench --floor CLIENT [--baud N] [--rounds R] [--monitor] [--hidden]
//                                (R rounds at N bit/s, default 3 at 115200: the window, the
//                                client, with --monitor the window with its monitor open, with
//                                --hidden the window not shown)

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "app/form1.h"
#include "app/monitor_window.h"
#include "bench/support/gui_thread_probe.h"
#include "fpga/sample_config.h"
#include "fpga/upload.h"
#include "protocol/frame.h"
#include "support/board_process.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"

namespace {

using torvel::bench::Clock;
using torvel::bench::Percentile;
using torvel::bench::RunUntil;

double Micro(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// User and system time of the calling thread (RUSAGE_THREAD) or of the process.
double CpuSeconds(int who) {
    rusage usage{};
    if (getrusage(who, &usage) != 0) return 0;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// What one upload measured.
struct Figures {
    bool completed = false;
    double totalSeconds = 0;
    qint64 wireCharacters = 0;  // requests and replies, ":" and CR LF included
    std::vector<double> turnaroundUs;
    std::vector<double> roundTripUs;
    double longestGuiGapMs = 0;
    int gapsOver20Ms = 0;
    double longestHandlerMs = 0;  // one reply in CDP1Packet, the next write included
    // From the event loop waking to its next wait: the GUI thread's own longest busy spell.
    double longestBusyMs = 0;
    int requests = 0;
    bool shotSaved = false;
    // From the first request's write to the last reply's packet: what a bare client counts.
    double lineSeconds = 0;
    // Processor time of the GUI thread and of the whole process (the port's event thread
    // too): what the window costs however busy the machine is.
    double guiCpuSeconds = 0;
    double processCpuSeconds = 0;
    QByteArrayList written;  // the request lines, when asked for
};

// What the upload is asked to do besides uploading.
struct UploadMode {
    bool monitorOpen = false;
    QString shot;  // a picture of the monitor at 40 % of the image
    bool keepWritten = false;
    bool hidden = false;   // the window never shown
    QString windowShot{};  // a picture of the main window at the same moment
};

Figures Upload(unsigned baud, const QString& sample, const UploadMode& mode = {}) {
    Figures figures;
    QStringList options;
    if (baud) options << QStringLiteral("--baud") << QString::number(baud);
    torvel::test::BoardProcess board(options);
    if (!board.started()) {
        std::fprintf(stderr, "cannot start the board: %s\n", qPrintable(board.error()));
        return figures;
    }
    TForm1 form;
    form.ComPort1->SetPort(board.linkPath());
    form.Button3Click();
    if (!RunUntil([&] { return !form.Timer1->isActive(); }, 30000) || !form.DeviceConnected) {
        std::fprintf(stderr, "the board did not identify\n");
        return figures;
    }
    form.Dialogs().setNextFileName(sample);
    form.Button1Click();
    // Shown in every run but the one that asks not to, so that a run with the monitor differs
    // from one without it by the monitor alone and not by the main window's own painting.
    if (!mode.hidden) form.show();
    if (mode.monitorOpen || !mode.shot.isEmpty())
        form.findChild<QAction*>(QStringLiteral("MenuMonitor"))->trigger();

    // Time stamps around the window's own handler and its writes.
    Clock::time_point lastPacket{};
    Clock::time_point lastWrite{};
    bool packetPending = false;
    form.CDP1->OnPacket = [&](torvel::TComDataPacket&, const QByteArray& packet) {
        lastPacket = Clock::now();
        if (lastWrite != Clock::time_point{})
            figures.roundTripUs.push_back(Micro(lastPacket - lastWrite));
        figures.wireCharacters += packet.size() + 2;
        packetPending = true;
        form.CDP1Packet(QString::fromLatin1(packet));
        packetPending = false;
        figures.longestHandlerMs =
            std::max(figures.longestHandlerMs,
                     std::chrono::duration<double, std::milli>(Clock::now() - lastPacket).count());
    };
    // Only the bytes written: a link that listened for the line going quiet would make the
    // event thread wake after every request, which the window itself never asks for.
    torvel::TComLink writes;
    Clock::time_point firstWrite{};
    writes.OnTxBuf = [&](torvel::TCustomComPort&, const QByteArray& line) {
        lastWrite = Clock::now();
        if (firstWrite == Clock::time_point{}) firstWrite = lastWrite;
        if (packetPending) figures.turnaroundUs.push_back(Micro(lastWrite - lastPacket));
        figures.wireCharacters += line.size();
        ++figures.requests;
        if (mode.keepWritten) figures.written.append(line);
    };
    form.ComPort1->AddListener(&writes);

    torvel::bench::GuiThreadProbe probe;
    const double guiCpuBefore = CpuSeconds(RUSAGE_THREAD);
    const double processCpuBefore = CpuSeconds(RUSAGE_SELF);
    const Clock::time_point start = Clock::now();
    form.Button2Click();
    bool shotTaken = mode.shot.isEmpty();
    figures.completed = RunUntil(
        [&] {
            if (!shotTaken && form.Upload.UploadPosition * 10 >= form.ConfigImageLength * 4) {
                shotTaken = true;
                form.Monitor()->Refresh();
                figures.shotSaved = form.Monitor()->grab().save(mode.shot);
                if (!figures.shotSaved)
                    std::fprintf(stderr, "cannot save %s\n", qPrintable(mode.shot));
                // As a person sees it: what the pacer last painted.
                if (!mode.windowShot.isEmpty() && !form.grab().save(mode.windowShot)) {
                    figures.shotSaved = false;
                    std::fprintf(stderr, "cannot save %s\n", qPrintable(mode.windowShot));
                }
                // The picture is all that was asked for.
                return true;
            }
            return form.FpgaStatusText == QStringLiteral("конфигурация загружена");
        },
        600000);
    figures.totalSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.guiCpuSeconds = CpuSeconds(RUSAGE_THREAD) - guiCpuBefore;
    figures.processCpuSeconds = CpuSeconds(RUSAGE_SELF) - processCpuBefore;
    figures.lineSeconds = std::chrono::duration<double>(lastPacket - firstWrite).count();
    figures.longestGuiGapMs = probe.LongestGapMs();
    figures.gapsOver20Ms = probe.GapsOver20Ms();
    figures.longestBusyMs = probe.LongestBusyMs();
    form.ComPort1->RemoveListener(&writes);
    form.ComPort1->ClosePort();
    return figures;
}

void Print(const char* name, unsigned baud, const Figures& f) {
    std::printf("%s: %s, %d requests, %.3f s\n", name, f.completed ? "completed" : "NOT COMPLETED",
                f.requests, f.totalSeconds);
    std::printf(
        "  turnaround (packet in CDP1Packet -> next write returned): median %.1f us, "
        "p99 %.1f us\n",
        Percentile(f.turnaroundUs, 0.5), Percentile(f.turnaroundUs, 0.99));
    std::printf("  round trip (write returned -> reply packet): median %.1f us, p99 %.1f us\n",
                Percentile(f.roundTripUs, 0.5), Percentile(f.roundTripUs, 0.99));
    if (baud) {
        const double wire = static_cast<double>(f.wireCharacters) * 10.0 / baud;
        std::printf("  wire time of all frames %.3f s; upload %.3f s = wire + %.2f %%\n", wire,
                    f.totalSeconds, 100.0 * (f.totalSeconds - wire) / wire);
        const double pairs = static_cast<double>(f.roundTripUs.size());
        if (pairs > 0) {
            const double meanWireUs = wire * 1e6 / pairs;
            std::printf(
                "  mean wire time of one request and its reply %.1f us; median round "
                "trip = wire %+.2f %%\n",
                meanWireUs, 100.0 * (Percentile(f.roundTripUs, 0.5) - meanWireUs) / meanWireUs);
        }
    }
    std::printf(
        "  longest GUI-thread gap of a 5 ms timer: %.2f ms (%d gaps over 20 ms); "
        "longest reply handler %.2f ms\n",
        f.longestGuiGapMs, f.gapsOver20Ms, f.longestHandlerMs);
    std::printf("  longest busy spell of the GUI thread's event loop: %.2f ms\n", f.longestBusyMs);
    if (f.requests > 0)
        std::printf("  processor time a request: GUI thread %.1f us, whole process %.1f us\n",
                    f.guiCpuSeconds * 1e6 / f.requests, f.processCpuSeconds * 1e6 / f.requests);
}

// What the bare client took for the lines of `frames` at `baud`, by its own count; 0 when it
// could not run or did not complete.
double FloorSeconds(const QString& client, const QString& frames, unsigned baud) {
    QStringList options;
    if (baud) options << QStringLiteral("--baud") << QString::number(baud);
    torvel::test::BoardProcess board(options);
    if (!board.started()) {
        std::fprintf(stderr, "cannot start the board: %s\n", qPrintable(board.error()));
        return 0;
    }
    QProcess run;
    run.start(client, {board.linkPath(), frames});
    if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit ||
        run.exitCode() != 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(client),
                     run.readAllStandardError().trimmed().constData());
        return 0;
    }
    // "floor: completed, ..., 9.412 s"
    static const QRegularExpression seconds(QStringLiteral("completed, .* ([0-9.]+) s\\n"));
    const QRegularExpressionMatch match =
        seconds.match(QString::fromLocal8Bit(run.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}

double Percent(double value, double base) {
    return base > 0 ? 100.0 * (value - base) / base : 0;
}

double WireSeconds(const Figures& f, unsigned baud) {
    return static_cast<double>(f.wireCharacters) * 10.0 / baud;
}

// One way of running the window against the floor, and what its rounds measured.
struct FloorVariant {
    const char* name;
    UploadMode mode;
    std::vector<double> overFloor;  // line time against the floor's, in per cent
    std::vector<double> guiCpuUs;   // the GUI thread's processor time a request
};

// Rounds of the window (shown with its monitor closed; with `monitor` also open and following;
// with `hidden` also not shown at all, which is what the line costs without any painting)
// alternating with the bare client on the lines the window wrote in the first round.
int FloorRounds(const QString& client, unsigned baud, int rounds, bool monitor, bool hidden,
                const QString& sample, const QString& frames) {
    std::vector<FloorVariant> variants{{"window shown, monitor closed", {}, {}, {}}};
    if (monitor)
        variants.push_back(
            {"window shown, monitor open and following", {true, {}, false, false}, {}, {}});
    if (hidden) variants.push_back({"window not shown", {false, {}, false, true}, {}, {}});
    std::vector<double> floorOverWire;
    double longestGapMs = 0;
    double longestBusyMs = 0;
    for (int round = 1; round <= rounds; ++round) {
        double floor = 0;
        double wire = 0;
        for (FloorVariant& variant : variants) {
            UploadMode mode = variant.mode;
            mode.keepWritten = round == 1 && &variant == &variants.front();
            const Figures window = Upload(baud, sample, mode);
            Print(variant.name, baud, window);
            if (!window.completed) return 1;
            if (mode.keepWritten) {
                QFile file(frames);
                if (!file.open(QIODevice::WriteOnly) || file.write(window.written.join()) < 0) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(frames));
                    return 1;
                }
            }
            // The floor right after the first variant, so that both meet the same machine.
            if (&variant == &variants.front()) {
                floor = FloorSeconds(client, frames, baud);
                if (floor <= 0) return 1;
                wire = WireSeconds(window, baud);
                floorOverWire.push_back(Percent(floor, wire));
                std::printf("round %d at %u bit/s: floor %.3f s = wire %+.3f %%\n", round, baud,
                            floor, floorOverWire.back());
            }
            variant.overFloor.push_back(Percent(window.lineSeconds, floor));
            variant.guiCpuUs.push_back(window.guiCpuSeconds * 1e6 / window.requests);
            if (!mode.hidden) {
                longestGapMs = std::max(longestGapMs, window.longestGuiGapMs);
                longestBusyMs = std::max(longestBusyMs, window.longestBusyMs);
            }
            std::printf(
                "round %d at %u bit/s: %s %.3f s on the line = wire %+.3f %% = floor "
                "%+.3f %%\n",
                round, baud, variant.name, window.lineSeconds, Percent(window.lineSeconds, wire),
                variant.overFloor.back());
        }
    }
    std::printf("median of %d rounds at %u bit/s: floor = wire %+.3f %%\n", rounds, baud,
                Percentile(floorOverWire, 0.5));
    for (const FloorVariant& variant : variants)
        std::printf("  %s = floor %+.3f %%; the GUI thread's processor time a request %.1f us\n",
                    variant.name, Percentile(variant.overFloor, 0.5),
                    Percentile(variant.guiCpuUs, 0.5));
    std::printf(
        "  shown: longest GUI-thread gap of a 5 ms timer %.2f ms, longest busy spell of "
        "its event loop %.2f ms\n",
        longestGapMs, longestBusyMs);
    return 0;
}

long ResidentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The ring filled with upload records and their echoes, the longest of its kind, through the
// recorder as the exchange would feed it; then what the shown window pays to catch up.
void RingFigures() {
    TForm1 form;
    form.show();
    form.findChild<QAction*>(QStringLiteral("MenuMonitor"))->trigger();
    torvel::TMonitorWindow& monitor = *form.Monitor();
    QCoreApplication::processEvents();
    const QString record =
        torvel::RequestLine(0, 21,
                            torvel::ImageDataRequestData(torvel::MaxImageChunk,
                                                         QString(2 * torvel::MaxImageChunk, u'A')));
    const QString echo = record.mid(1).chopped(1);  // a packet: no ":" and no LF
    const std::size_t rows = monitor.Recorder().Rows().Capacity();
    const long before = ResidentKiB();
    qint64 at = 0;
    const auto feed = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; i += 2) {
            monitor.Recorder().RequestSent(record, at += 20'000);
            monitor.Recorder().PacketReceived(echo, torvel::PacketVerdict::pvReply, at += 20'000,
                                              20'000);
        }
    };
    feed(rows);
    const long filled = ResidentKiB();
    Clock::time_point start = Clock::now();
    monitor.Refresh();
    QCoreApplication::processEvents();
    const double firstRefresh = Ms(Clock::now() - start);
    // Steady state at a fast line: a tenth of a second of unpaced traffic between refreshes,
    // each new row pushing the oldest out.
    double longestRefresh = 0;
    for (int round = 0; round < 50; ++round) {
        feed(200);
        start = Clock::now();
        monitor.Refresh();
        QCoreApplication::processEvents();
        longestRefresh = std::max(longestRefresh, Ms(Clock::now() - start));
    }
    std::printf("full ring: %zu rows of %lld-character upload frames\n",
                monitor.Recorder().Rows().Size(), static_cast<long long>(record.size()));
    std::printf(
        "  resident memory: %.1f MB before, %.1f MB filled (ring %+.1f MB), %.1f MB shown\n",
        before / 1024.0, filled / 1024.0, (filled - before) / 1024.0, ResidentKiB() / 1024.0);
    std::printf(
        "  first refresh of the full ring %.2f ms; longest refresh with 200 new rows "
        "dropping as many %.2f ms\n",
        firstRefresh, longestRefresh);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // --baud N runs that line speed alone (0: unpaced).
    std::vector<unsigned> speeds{0, 115200, 9600};
    if (argc > 2 && std::strcmp(argv[1], "--baud") == 0)
        speeds = {static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))};
    const bool floorRounds = argc > 2 && std::strcmp(argv[1], "--floor") == 0;
    const QString floorClient = floorRounds ? QString::fromLocal8Bit(argv[2]) : QString();
    unsigned floorBaud = 115200;
    int rounds = 3;
    bool floorMonitor = false;
    bool floorHidden = false;
    for (int i = 3; floorRounds && i < argc; ++i) {
        if (std::strcmp(argv[i], "--monitor") == 0)
            floorMonitor = true;
        else if (std::strcmp(argv[i], "--hidden") == 0)
            floorHidden = true;
        else if (i + 1 < argc && std::strcmp(argv[i], "--baud") == 0)
            floorBaud = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (i + 1 < argc && std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[++i]));
    }
    if (floorRounds && floorBaud == 0) {
        std::fprintf(stderr, "upload_bench: the floor is measured at a line speed\n");
        return 2;
    }
    // The client is named from where the bench was started.
    const QString clientPath =
        floorRounds ? QDir::current().absoluteFilePath(floorClient) : QString();
    const bool monitor = argc > 1 && std::strcmp(argv[1], "--monitor") == 0;
    const unsigned monitorBaud =
        monitor && argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 115200;
    const QString shot = argc > 2 && std::strcmp(argv[1], "--shot") == 0
                             ? QString::fromLocal8Bit(argv[2])
                             : QString();
    // The pictures go where the caller asked, however the folder changes below.
    const QString shotPath = shot.isEmpty() ? shot : QDir::current().absoluteFilePath(shot);
    const QString windowShotPath =
        !shot.isEmpty() && argc > 3
            ? QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[3]))
            : QString();
    if (argc > 1 && std::strcmp(argv[1], "--ring") == 0) {
        QTemporaryDir folder;
        if (!folder.isValid() || !QDir::setCurrent(folder.path())) return 1;
        torvel::DialogSeam::setUnattendedByDefault(true);
        RingFigures();
        return 0;
    }

    // The window keeps its journal and settings in the current directory.
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) return 1;
    torvel::DialogSeam::setUnattendedByDefault(true);
    const QString sample = folder.filePath(QStringLiteral("sample.ttf"));
    const auto image = torvel::WriteSampleConfigFile(sample, 59691, 1);
    if (!image) return 1;
    std::printf("image: %zu bytes from a 59691-byte sample\n", image->size());

    if (!shotPath.isEmpty()) {
        const Figures figures =
            Upload(115200, sample, {false, shotPath, false, false, windowShotPath});
        if (figures.shotSaved)
            std::printf("monitor picture at 40 %% of the upload: %s\n", qPrintable(shotPath));
        if (figures.shotSaved && !windowShotPath.isEmpty())
            std::printf("window picture at 40 %% of the upload: %s\n", qPrintable(windowShotPath));
        return figures.shotSaved ? 0 : 1;
    }
    if (floorRounds)
        return FloorRounds(clientPath, floorBaud, rounds, floorMonitor, floorHidden, sample,
                           folder.filePath(QStringLiteral("load.frames")));
    if (monitor) {
        // Alternated, so a machine that slows down or speeds up meanwhile weighs on both; the
        // median of the rounds' differences keeps one disturbed round from deciding.
        std::vector<double> differences;
        std::vector<double> addedTurnaroundUs;
        for (int round = 0; round < 3; ++round) {
            const Figures without = Upload(monitorBaud, sample);
            Print("monitor closed", monitorBaud, without);
            const Figures with = Upload(monitorBaud, sample, {true, {}});
            Print("monitor open and following", monitorBaud, with);
            differences.push_back(100.0 * (with.totalSeconds - without.totalSeconds) /
                                  without.totalSeconds);
            addedTurnaroundUs.push_back(Percentile(with.turnaroundUs, 0.5) -
                                        Percentile(without.turnaroundUs, 0.5));
            std::printf("round %d: monitor open %+.2f %% against closed\n", round + 1,
                        differences.back());
        }
        std::printf(
            "monitor open against closed: median %+.2f %% over %zu rounds; the observer "
            "adds %.1f us to the median turnaround\n",
            Percentile(differences, 0.5), differences.size(), Percentile(addedTurnaroundUs, 0.5));
        return 0;
    }
    for (const unsigned baud : speeds) {
        const QByteArray name = baud ? QByteArray::number(baud) + " bit/s" : "unpaced";
        Print(name.constData(), baud, Upload(baud, sample));
    }
    return 0;
}
