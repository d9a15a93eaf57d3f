#include "cli/summary.h"

namespace torvel::cli {

namespace {

struct OutcomeEntry {
    Outcome outcome;
    const char* name;
    ExitCode code;
};

constexpr OutcomeEntry kOutcomes[] = {
    {Outcome::Ok, "ok", kExitOk},
    {Outcome::LocalFailure, "local failure", kExitLocalFailure},
    {Outcome::BoardFailure, "board failure", kExitBoardFailure},
    {Outcome::Interrupted, "interrupted", kExitInterrupted},
};

const OutcomeEntry& EntryOf(Outcome outcome) {
    for (const OutcomeEntry& entry : kOutcomes)
        if (entry.outcome == outcome) return entry;
    return kOutcomes[0];
}

}  // namespace

QString OutcomeName(Outcome outcome) {
    return QLatin1String(EntryOf(outcome).name);
}

ExitCode ExitCodeOf(Outcome outcome) {
    return EntryOf(outcome).code;
}

ExitCode RunExitCode(const std::vector<SummaryRow>& rows) {
    ExitCode code = kExitOk;
    for (const SummaryRow& row : rows) code = WorseExitCode(code, ExitCodeOf(row.outcome));
    return code;
}

double BytesPerSecond(const SummaryRow& row) {
    if (row.elapsedNs <= 0) return 0;
    return static_cast<double>(row.bytes) * 1e9 / static_cast<double>(row.elapsedNs);
}

}  // namespace torvel::cli
