// The floor on its own, with no Qt in the process: sends the request lines of FILE to the
// board at DEVICE and prints what it took. With --baud N it also prints the wire time of
// the frames at N bit/s. Benchmarks run it beside the front end they measure.
//   floor_client DEVICE FILE [--baud N]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/floor/bare_client.h"

int main(int argc, char* argv[]) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--baud") == 0)) {
        std::fprintf(stderr, "usage: floor_client DEVICE FILE [--baud N]\n");
        return 2;
    }
    const unsigned baud = argc == 5 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 0;
    std::string error;
    const auto lines = torvel::floor::ReadRequestLines(argv[2], error);
    if (!lines) {
        std::fprintf(stderr, "floor_client: %s\n", error.c_str());
        return 1;
    }
    const torvel::floor::FloorRun run = torvel::floor::SendRequests(argv[1], *lines);
    const double seconds = std::chrono::duration<double>(run.elapsed).count();
    std::printf("floor: %s, %zu of %zu requests, %llu bytes written, %llu read, %.3f s\n",
                run.completed ? "completed" : "NOT COMPLETED", run.answered, lines->size(),
                static_cast<unsigned long long>(run.bytesWritten),
                static_cast<unsigned long long>(run.bytesRead), seconds);
    if (baud) {
        const double wire = torvel::floor::WireSeconds(run.bytesWritten + run.bytesRead, baud);
        std::printf("  wire time at %u bit/s %.3f s; floor = wire %+.3f %%\n", baud, wire,
                    100.0 * (seconds - wire) / wire);
    }
    if (!run.completed) std::fprintf(stderr, "floor_client: %s\n", run.error.c_str());
    return run.completed ? 0 : 1;
}
