#include "cli/summary.h"

namespace torvel::cli {

QString OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return QStringLiteral("ok");
        case Outcome::LocalFailure:
            return QStringLiteral("local failure");
        case Outcome::BoardFailure:
            return QStringLiteral("board failure");
        case Outcome::Interrupted:
            return QStringLiteral("interrupted");
    }
    return QString();
}

ExitCode ExitCodeOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return kExitOk;
        case Outcome::LocalFailure:
            return kExitLocalFailure;
        case Outcome::BoardFailure:
            return kExitBoardFailure;
        case Outcome::Interrupted:
            return kExitInterrupted;
    }
    return kExitOk;
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
