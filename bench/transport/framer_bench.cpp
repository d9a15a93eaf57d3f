// Framer throughput on mixed traffic: reply lines of varied length, noise between them and
// now and then a line too long to keep, cut into chunks as a serial read would deliver them.

#include <benchmark/benchmark.h>
#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include "transport/com_data_packet.h"

using namespace torvel;

namespace {

QByteArray MixedTraffic(qsizetype size) {
    QRandomGenerator random(2024);
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray traffic;
    traffic.reserve(size + 2048);
    while (traffic.size() < size) {
        const int kind = random.bounded(20);
        if (kind == 0) {
            // Noise without a start: dropped before the next ":".
            for (int i = random.bounded(1, 40); i > 0; --i)
                traffic.append(static_cast<char>('a' + random.bounded(26)));
        } else if (kind == 1) {
            // A line that never ends in time: dropped at the size limit.
            traffic.append(':');
            traffic.append(QByteArray(1100 + random.bounded(200), '7'));
        }
        traffic.append(':');
        for (int i = random.bounded(10, 250); i > 0; --i) traffic.append(kHex[random.bounded(16)]);
        traffic.append("\r\n");
    }
    return traffic;
}

QList<QByteArray> Chunks(const QByteArray& traffic, int largest) {
    QRandomGenerator random(7);
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < traffic.size();) {
        const qsizetype n = 1 + random.bounded(largest);
        chunks.append(traffic.mid(at, n));
        at += n;
    }
    return chunks;
}

void FrameMixedTraffic(benchmark::State& state) {
    const QByteArray traffic = MixedTraffic(8 * 1024 * 1024);
    const QList<QByteArray> chunks = Chunks(traffic, static_cast<int>(state.range(0)));
    TComDataPacket framer;
    framer.SetStartString(":");
    framer.SetStopString("\n");
    qint64 packets = 0;
    framer.OnPacket = [&](TComDataPacket&, const QByteArray& packet) {
        packets += 1;
        benchmark::DoNotOptimize(packet.constData());
    };
    for (auto _ : state) {
        for (const QByteArray& chunk : chunks) framer.AppendReceived(chunk);
    }
    state.SetBytesProcessed(state.iterations() * traffic.size());
    state.counters["packets"] =
        benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
}

}  // namespace

// Largest chunk: a slow line's few bytes, a fast line's burst, a full driver buffer.
BENCHMARK(FrameMixedTraffic)
    ->Arg(16)
    ->Arg(512)
    ->Arg(4096)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
