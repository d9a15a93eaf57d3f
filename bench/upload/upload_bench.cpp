// The FPGA load through the window, end to end: TForm1 (offscreen) uploads the 59691-byte
// sample to torvel-board, unpaced and at emulated 115200 and 9600 bit/s. Prints the
// turnaround (reply packet handed to CDP1Packet to the next request's write returning), the
// round trip (write returned to the reply packet), the whole upload against the wire time of
// its frames (10 bits a character), the longest the GUI thread was kept from a 1 ms timer
// (scheduling by a busy machine included) and its event loop's longest busy spell.
// Figures only; it never fails on a slow machine.
//   upload_bench [--baud N]      (N alone; 0 is unpaced)

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/form1.h"
#include "fpga/sample_config.h"
#include "support/board_process.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micro(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
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
    double longestWriteMs = 0;    // WriteText alone
    // From the event loop waking to its next wait: the GUI thread's own longest busy spell.
    double longestBusyMs = 0;
    int requests = 0;
};

// Waits for the condition while the event loop runs; false at the deadline.
bool RunUntil(const std::function<bool()>& condition, int deadlineMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(5);
    while (!condition()) {
        if (clock.elapsed() > deadlineMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

Figures Upload(unsigned baud, const QString& sample) {
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
    torvel::TComLink writes;
    Clock::time_point writeStart{};
    writes.OnTx = [&](bool on) {
        if (on) writeStart = Clock::now();
    };
    writes.OnTxBuf = [&](torvel::TCustomComPort&, const QByteArray& line) {
        lastWrite = Clock::now();
        figures.longestWriteMs =
            std::max(figures.longestWriteMs,
                     std::chrono::duration<double, std::milli>(lastWrite - writeStart).count());
        if (packetPending) figures.turnaroundUs.push_back(Micro(lastWrite - lastPacket));
        figures.wireCharacters += line.size();
        ++figures.requests;
    };
    form.ComPort1->AddListener(&writes);

    // A 1 ms timer late by more than its period shows the GUI thread was busy elsewhere.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    Clock::time_point lastTick = Clock::now();
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double gapMs = std::chrono::duration<double, std::milli>(now - lastTick).count();
        figures.longestGuiGapMs = std::max(figures.longestGuiGapMs, gapMs);
        if (gapMs > 20) ++figures.gapsOver20Ms;
        lastTick = now;
    });
    probe.start(1);
    // The timer's gap also counts time the machine gave to other processes; the event loop's
    // busy spells count only this thread's work.
    Clock::time_point awake = Clock::now();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const QMetaObject::Connection awakeSeen = QObject::connect(
        dispatcher, &QAbstractEventDispatcher::awake, [&] { awake = Clock::now(); });
    const QMetaObject::Connection blockSeen =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] {
            figures.longestBusyMs =
                std::max(figures.longestBusyMs,
                         std::chrono::duration<double, std::milli>(Clock::now() - awake).count());
        });
    lastTick = Clock::now();

    const Clock::time_point start = Clock::now();
    form.Button2Click();
    figures.completed = RunUntil(
        [&] { return form.FpgaStatusText == QStringLiteral("конфигурация загружена"); }, 600000);
    figures.totalSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    probe.stop();
    QObject::disconnect(awakeSeen);
    QObject::disconnect(blockSeen);
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
        "  longest GUI-thread gap of a 1 ms timer: %.2f ms (%d gaps over 20 ms); "
        "longest reply handler %.2f ms, longest write %.2f ms\n",
        f.longestGuiGapMs, f.gapsOver20Ms, f.longestHandlerMs, f.longestWriteMs);
    std::printf("  longest busy spell of the GUI thread's event loop: %.2f ms\n", f.longestBusyMs);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // --baud N runs that line speed alone (0: unpaced).
    std::vector<unsigned> speeds{0, 115200, 9600};
    if (argc > 2 && std::strcmp(argv[1], "--baud") == 0)
        speeds = {static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))};

    // The window keeps its journal and settings in the current directory.
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) return 1;
    torvel::DialogSeam::setUnattendedByDefault(true);
    const QString sample = folder.filePath(QStringLiteral("sample.ttf"));
    const auto image = torvel::WriteSampleConfigFile(sample, 59691, 1);
    if (!image) return 1;
    std::printf("image: %zu bytes from a 59691-byte sample\n", image->size());

    for (const unsigned baud : speeds) {
        const QByteArray name = baud ? QByteArray::number(baud) + " bit/s" : "unpaced";
        Print(name.constData(), baud, Upload(baud, sample));
    }
    return 0;
}
