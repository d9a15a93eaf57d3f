// The frame codec on a reply of the largest size the window handles in practice.

#include <benchmark/benchmark.h>

#include "common/hex.h"
#include "protocol/frame.h"

namespace {

// A function-20 reply of 120 data bytes: 246 characters of body, the LRC and the CR.
QString LongPacket() {
    QString body = QStringLiteral("001478");
    for (int i = 0; i < 120; ++i) body += torvel::Hex(static_cast<unsigned>(i * 37), 2);
    return body + torvel::Hex(torvel::ComputeLrc(body), 2) + QLatin1Char('\r');
}

void BM_ComputeLrc(benchmark::State& state) {
    const QString packet = LongPacket();
    const QString body = packet.left(packet.size() - 3);
    for (auto _ : state) benchmark::DoNotOptimize(torvel::ComputeLrc(body));
    state.SetLabel(std::to_string(body.size()) + " characters");
}
BENCHMARK(BM_ComputeLrc);

void BM_ValidateFrame(benchmark::State& state) {
    const QString packet = LongPacket();
    std::uint8_t function = 0;
    QString payload;
    for (auto _ : state) {
        benchmark::DoNotOptimize(torvel::ValidateFrame(packet, function, payload));
        benchmark::DoNotOptimize(payload);
    }
    state.SetLabel(std::to_string(packet.size()) + " characters");
}
BENCHMARK(BM_ValidateFrame);

void BM_RequestLine(benchmark::State& state) {
    const QString data = QStringLiteral("1B06000A00010014") + QString(40, QLatin1Char('A'));
    for (auto _ : state) benchmark::DoNotOptimize(torvel::RequestLine(0, 21, data));
}
BENCHMARK(BM_RequestLine);

}  // namespace
