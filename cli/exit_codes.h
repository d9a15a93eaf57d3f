#pragma once
// torvel-cli's exit status, the one list scripts may rely on (the README and --help print
// the same table).

namespace torvel::cli {

enum ExitCode : int {
    kExitOk = 0,            // every board did what was asked
    kExitUsage = 2,         // the command line was not understood; nothing was done
    kExitLocalFailure = 3,  // this side failed: a port that cannot be opened, a file refused
    kExitBoardFailure = 4,  // a board failed: no answer, exception, bad frame, lost line,
                            // load not confirmed
    kExitInterrupted = 5,   // SIGINT, SIGTERM or SIGHUP stopped the run
};

// The status of a run whose boards ended differently: an interruption says the most, then a
// failure on this side (the set-up is wrong whatever the boards did), then a board's failure.
constexpr ExitCode WorseExitCode(ExitCode a, ExitCode b) {
    constexpr ExitCode kLeastFirst[] = {kExitOk, kExitBoardFailure, kExitLocalFailure, kExitUsage,
                                        kExitInterrupted};
    int rankA = 0;
    int rankB = 0;
    for (int i = 0; i < 5; ++i) {
        if (kLeastFirst[i] == a) rankA = i;
        if (kLeastFirst[i] == b) rankB = i;
    }
    return rankB > rankA ? b : a;
}

}  // namespace torvel::cli
