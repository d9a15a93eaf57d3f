// Figures for the configuration file reader and the upload's data fields. Prints, never fails.

#include <benchmark/benchmark.h>
#include <QTemporaryDir>
#include <memory>

#include "fpga/config_reader.h"
#include "fpga/identity.h"
#include "fpga/sample_config.h"
#include "fpga/upload.h"

using namespace torvel;

namespace {

constexpr qint64 kLargestTtf = 59691;

// One sample file for the whole run, the size of the largest recognised chip's file.
const QString& SamplePath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("sample.ttf"));
        WriteSampleConfigFile(p, kLargestTtf, 1);
        return p;
    }();
    return path;
}

void BM_ReadConfigFile(benchmark::State& state) {
    auto image = std::make_unique<ConfigImageBytes>();
    std::uint16_t length = 0;
    for (auto _ : state) {
        const ConfigReadResult result = ReadConfigFile(SamplePath(), *image, length);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * kLargestTtf);
    state.counters["image_bytes"] = length;
}
BENCHMARK(BM_ReadConfigFile)->Unit(benchmark::kMicrosecond);

// Every data field of one upload of the sample's image, as the reply handler produces them.
void BM_StepWholeUpload(benchmark::State& state) {
    auto image = std::make_unique<ConfigImageBytes>();
    std::uint16_t length = 0;
    ReadConfigFile(SamplePath(), *image, length);
    const int chunkSize = static_cast<int>(state.range(0));
    std::int64_t requests = 0;
    for (auto _ : state) {
        UploadState upload;
        benchmark::DoNotOptimize(BeginUpload(upload));
        ++requests;
        for (;;) {
            const UploadStep step = StepUpload(upload, *image, length, chunkSize);
            if (step.Completed) break;
            benchmark::DoNotOptimize(step.RequestData.size());
            ++requests;
        }
    }
    state.counters["requests_per_upload"] =
        static_cast<double>(requests) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * length);
}
BENCHMARK(BM_StepWholeUpload)->Arg(115)->Arg(20)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DecodeIdentity(benchmark::State& state) {
    const QString payload = QStringLiteral("11FF12040F003F1004800040");
    for (auto _ : state) benchmark::DoNotOptimize(DecodeIdentity(payload));
}
BENCHMARK(BM_DecodeIdentity);

}  // namespace

BENCHMARK_MAIN();
