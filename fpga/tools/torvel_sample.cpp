// torvel-sample: writes a synthetic FPGA configuration file of an exact size.
//   torvel-sample --size 59691 --out demo/sample.ttf [--seed 1]
// The chip of a ".ttf" file is recognised by its size alone: 20909, 31985, 47285, 59691.

#include <QString>
#include <cstdio>
#include <cstring>
#include <string>

#include "fpga/sample_config.h"

namespace {

// Larger samples are of no use (the image holds 50000 bytes) and are built in memory.
constexpr long long kMaxSize = 64LL * 1024 * 1024;

int Usage() {
    std::fprintf(stderr, "usage: torvel-sample --size BYTES --out FILE [--seed N]\n");
    return 2;
}

bool ParseNumber(const char* text, long long max, long long& value) {
    try {
        std::size_t used = 0;
        value = std::stoll(text, &used);
        return used == std::strlen(text) && value >= 0 && value <= max;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    long long size = -1;
    long long seed = 1;
    QString out;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        if (option == "--size") {
            if (!ParseNumber(value, kMaxSize, size)) return Usage();
        } else if (option == "--seed") {
            if (!ParseNumber(value, 0xFFFFFFFFLL, seed)) return Usage();
        } else if (option == "--out") {
            out = QString::fromLocal8Bit(value);
        } else {
            return Usage();
        }
    }
    if (size < 0 || out.isEmpty()) return Usage();

    QString error;
    const auto image =
        torvel::WriteSampleConfigFile(out, size, static_cast<std::uint32_t>(seed), &error);
    if (!image) {
        std::fprintf(stderr, "torvel-sample: cannot write %s: %s\n", qPrintable(out),
                     qPrintable(error));
        return 1;
    }
    std::printf("%s: %lld bytes, %zu values\n", qPrintable(out), size, image->size());
    return 0;
}
