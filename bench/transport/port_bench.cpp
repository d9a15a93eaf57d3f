// The port over a pseudo-terminal: what an open, silent port costs, and how long a line
// written on the far side takes to reach OnPacket on the port's thread.

#include <sys/resource.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/pty_pair.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"

using namespace torvel;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A port on the slave side of `pty` with a framer cutting Modbus ASCII lines, as the window
// sets them up.
void BindLineFramer(const testing::PtyPair& pty, TComPort& port, TComDataPacket& framer) {
    port.SetPort(pty.SlavePath());
    framer.SetComPort(&port);
    framer.SetStartString(":");
    framer.SetStopString("\n");
}

void SilentPortCpu(double seconds) {
    testing::PtyPair pty;
    TComPort port;
    TComDataPacket framer;
    BindLineFramer(pty, port, framer);
    port.OpenPort();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double cpu = CpuSeconds() - cpuBefore;
    const double elapsed = wall.nsecsElapsed() / 1e9;
    std::printf("silent open port: %.4f s CPU over %.2f s wall = %.3f %% of one core\n", cpu,
                elapsed, 100.0 * cpu / elapsed);
}

void PacketLatency(int lines) {
    testing::PtyPair pty;
    TComPort port;
    TComDataPacket framer;
    BindLineFramer(pty, port, framer);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(lines));
    Clock::time_point written;
    const QByteArray line = ":0103020001F9\r\n";
    auto writeNext = [&] {
        written = Clock::now();
        pty.Write(line);
    };
    framer.OnPacket = [&](TComDataPacket&, const QByteArray&) {
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - written).count());
        if (static_cast<int>(micros.size()) == lines) {
            QCoreApplication::quit();
        } else {
            // From the event loop, so the write is not measured inside the delivery.
            QTimer::singleShot(0, qApp, writeNext);
        }
    };
    port.OpenPort();
    QTimer::singleShot(0, qApp, writeNext);
    QCoreApplication::exec();
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[static_cast<size_t>(q * (micros.size() - 1))]; };
    std::printf(
        "far-side write to OnPacket, %zu lines: median %.1f us, p90 %.1f us, "
        "p99 %.1f us, max %.1f us\n",
        micros.size(), at(0.5), at(0.9), at(0.99), micros.back());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SilentPortCpu(5.0);
    PacketLatency(5000);
    return 0;
}
