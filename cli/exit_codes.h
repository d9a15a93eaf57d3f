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
    constexpr auto rank = [](ExitCode code) {
        switch (code) {
            case kExitOk:
                return 0;
            case kExitBoardFailure:
                return 1;
            case kExitLocalFailure:
                return 2;
            case kExitUsage:
                return 3;
            case kExitInterrupted:
                return 4;
        }
        return 0;
    };
    return rank(b) > rank(a) ? b : a;
}

}  // namespace torvel::cli
