// Runs a fuzz target without libFuzzer, so every build (g++, and CI's sanitizer build) puts
// it through its paces: first every seed file, then variants of the seeds made by a mutator
// with a fixed seed, so that a run is repeatable. Usage:
//   <target> [--variants N] [--max-seconds S] [--seed X] (SEED_FOLDER | FILE)...
// A file given by name runs alone (to replay a failing input). When an input fails, it is
// written to "<target>.failing-input" in the current folder before the process dies.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Present only in sanitizer builds: lets the driver save the input before the report exits.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

using Input = std::string;

// The input being run and where to keep it if it kills the process. Read by a signal
// handler, hence plain globals and a fixed path buffer.
const Input* currentInput = nullptr;
std::array<char, 4096> failingInputPath{};

void SaveCurrentInput() {
    const Input* input = currentInput;
    if (!input || failingInputPath[0] == '\0') return;
    const int fd = open(failingInputPath.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < input->size()) {
        const ssize_t wrote = write(fd, input->data() + done, input->size() - done);
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    close(fd);
    static const char kNote[] = "\nThe failing input is saved as ";
    (void)!write(STDERR_FILENO, kNote, sizeof kNote - 1);
    (void)!write(STDERR_FILENO, failingInputPath.data(), std::strlen(failingInputPath.data()));
    (void)!write(STDERR_FILENO, "\n", 1);
    currentInput = nullptr;
}

void OnFatalSignal(int number) {
    SaveCurrentInput();
    signal(number, SIG_DFL);
    raise(number);
}

void WatchForCrashes(const std::string& programName) {
    const std::string path =
        std::filesystem::path(programName).filename().string() + ".failing-input";
    std::snprintf(failingInputPath.data(), failingInputPath.size(), "%s", path.c_str());
    for (int number : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) signal(number, OnFatalSignal);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(SaveCurrentInput);
}

void Run(const Input& input) {
    currentInput = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    currentInput = nullptr;
}

Input ReadFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return Input(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// splitmix64: tiny, and the same sequence with every compiler and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1; 0 for n == 0.
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t state_;
};

// Variants keep to a size the parsers meet in practice; larger seeds are only cut down.
constexpr std::size_t kMaxVariantGrowth = 4096;

// Bytes that delimit something in one of the formats: frames, journal lines, INI files.
constexpr std::array<std::string_view, 9> kTokens = {
    ":", "\r", "\n", ">", "[", "]", "=", std::string_view("\0", 1), "\r\n"};

class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : random_(seed) {}

    Input Mutate(Input input, const std::vector<Input>& seeds) {
        const std::size_t limit = input.size() + kMaxVariantGrowth;
        const std::size_t steps = 1 + random_.Below(4);
        for (std::size_t step = 0; step < steps; ++step) Step(input, seeds);
        if (input.size() > limit) input.resize(limit);
        return input;
    }

    std::size_t Below(std::size_t n) { return random_.Below(n); }

private:
    void Step(Input& input, const std::vector<Input>& seeds) {
        const std::size_t at = random_.Below(input.size() + 1);
        switch (random_.Below(8)) {
            case 0:  // flip one bit
                if (!input.empty())
                    input[at % input.size()] ^= static_cast<char>(1 << random_.Below(8));
                break;
            case 1:  // any byte value
                if (!input.empty()) input[at % input.size()] = static_cast<char>(random_.Next());
                break;
            case 2:
            case 3:  // a delimiter, where delimiters confuse parsers most
                input.insert(at, kTokens[random_.Below(kTokens.size())]);
                break;
            case 4:  // cut short
                input.resize(at);
                break;
            case 5: {  // a piece repeated
                const std::size_t length = random_.Below(input.size() - at + 1);
                const Input piece = input.substr(at, length);
                input.insert(random_.Below(input.size() + 1), piece);
                break;
            }
            case 6: {  // a piece removed
                input.erase(at, random_.Below(input.size() - at + 1));
                break;
            }
            default: {  // a piece of another seed spliced in
                if (seeds.empty()) break;
                const Input& other = seeds[random_.Below(seeds.size())];
                const std::size_t from = random_.Below(other.size() + 1);
                input.insert(at, other.substr(from, random_.Below(other.size() - from + 1)));
                break;
            }
        }
    }

    Random random_;
};

struct Options {
    std::size_t variants = 2000;
    double maxSeconds = 8.0;
    std::uint64_t seed = 1;
    std::vector<std::filesystem::path> seedFolders;
    std::vector<std::filesystem::path> files;
};

[[noreturn]] void Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--variants N] [--max-seconds S] [--seed X] (SEED_FOLDER | FILE)...\n",
                 program);
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--variants" && hasValue) {
            options.variants = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--max-seconds" && hasValue) {
            options.maxSeconds = std::strtod(argv[++i], nullptr);
        } else if (arg == "--seed" && hasValue) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg.starts_with("--")) {
            Usage(argv[0]);
        } else if (std::filesystem::is_directory(argv[i])) {
            options.seedFolders.emplace_back(argv[i]);
        } else if (std::filesystem::is_regular_file(argv[i])) {
            options.files.emplace_back(argv[i]);
        } else {
            std::fprintf(stderr, "%s: no such file or folder: %s\n", argv[0], argv[i]);
            std::exit(2);
        }
    }
    if (options.seedFolders.empty() && options.files.empty()) Usage(argv[0]);
    return options;
}

// Sorted, so the variants depend on the seed files' contents and names only.
std::vector<Input> ReadSeeds(const std::vector<std::filesystem::path>& folders) {
    std::vector<std::filesystem::path> paths;
    for (const auto& folder : folders) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_regular_file()) paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Input> seeds;
    for (const auto& path : paths) seeds.push_back(ReadFile(path));
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    WatchForCrashes(argv[0]);

    for (const auto& file : options.files) Run(ReadFile(file));
    if (options.seedFolders.empty()) {
        std::printf("%zu input(s) passed\n", options.files.size());
        return 0;
    }

    const std::vector<Input> seeds = ReadSeeds(options.seedFolders);
    for (const Input& seed : seeds) Run(seed);

    // Half the variants grow from the previous one, so changes pile up as a fuzzer's do.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration<double>(options.maxSeconds);
    Mutator mutator(options.seed);
    Input previous;
    std::size_t ran = 0;
    while (ran < options.variants && Clock::now() < deadline) {
        const bool fromSeed = seeds.empty() || previous.empty() || mutator.Below(2) == 0;
        const Input& base =
            fromSeed && !seeds.empty() ? seeds[mutator.Below(seeds.size())] : previous;
        previous = mutator.Mutate(base, seeds);
        Run(previous);
        ++ran;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%zu seed(s) and %zu variant(s) passed in %.1f s%s\n", seeds.size(), ran, seconds,
                ran < options.variants ? " (stopped at the time cap)" : "");
    return 0;
}
