// Request written to reply read, through torvel-board on a pseudo-terminal: unpaced, and
// at emulated line speeds against the wire time of the two frames (10 bits a character).
// Prints figures; never fails on a slow machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/support/gui_thread_probe.h"
#include "common/hex.h"
#include "protocol/frame.h"
#include "protocol/requests.h"
#include "support/board_process.h"
#include "support/pty_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using torvel::test::BoardProcess;
using torvel::test::PtyClient;

struct Request {
    const char* name;
    std::uint8_t function;
    QString data;
};

using torvel::bench::Percentile;

// Round trips in microseconds; empty when the board did not answer.
std::vector<double> Measure(PtyClient& client, const Request& request, int rounds,
                            qsizetype& replySize) {
    const QByteArray line = torvel::RequestLine(0, request.function, request.data).toLatin1();
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        if (!client.Write(line)) return {};
        const auto reply = client.ReadLine();
        const auto end = Clock::now();
        if (!reply) return {};
        replySize = reply->size();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return times;
}

bool Run(unsigned baud, const std::vector<Request>& requests, int rounds) {
    QStringList options;
    if (baud) options << QStringLiteral("--baud") << QString::number(baud);
    BoardProcess board(options);
    PtyClient client;
    if (!board.started() || !client.Open(board.linkPath())) {
        std::fprintf(stderr, "cannot start the board: %s %s\n", qPrintable(board.error()),
                     qPrintable(client.error()));
        return false;
    }
    if (baud)
        std::printf("\n%u bit/s (%d round trips each)\n", baud, rounds);
    else
        std::printf("\nunpaced (%d round trips each)\n", rounds);
    for (const Request& request : requests) {
        qsizetype replySize = 0;
        const std::vector<double> times = Measure(client, request, rounds, replySize);
        if (times.empty()) {
            std::printf("  %-22s no reply\n", request.name);
            continue;
        }
        const auto requestSize = torvel::RequestLine(0, request.function, request.data).size();
        const double median = Percentile(times, 0.5), p99 = Percentile(times, 0.99);
        std::printf("  %-22s %3lld + %3lld chars  median %9.1f us  p99 %9.1f us", request.name,
                    static_cast<long long>(requestSize), static_cast<long long>(replySize), median,
                    p99);
        if (baud) {
            const double wire = (requestSize + replySize) * 10.0 * 1e6 / baud;
            std::printf("  wire %9.1f us  median %+5.2f %%  p99 %+5.2f %%", wire,
                        100.0 * (median - wire) / wire, 100.0 * (p99 - wire) / wire);
        }
        std::printf("\n");
    }
    return true;
}

}  // namespace

int main() {
    const std::vector<Request> requests = {
        {"identification (17)", torvel::fnReportSlaveId, {}},
        {"read register (3)", torvel::fnReadRegisters, torvel::ReadRegisterData(0x10)},
        {"read 20 bytes (20)", torvel::fnReadFileRecord, torvel::ReadRecordsData(0, 0x100, 20)},
        {"write 20 bytes (21)", torvel::fnWriteFileRecord,
         torvel::WriteRecordsData(10, 1, QString(40, QLatin1Char('A')))},
    };
    bool ok = Run(0, requests, 2000);
    ok = Run(115200, requests, 300) && ok;
    ok = Run(9600, requests, 20) && ok;
    return ok ? 0 : 1;
}
