#pragma once
// Each board's outcome at the end of a run, and the exit status they add up to.

#include <QString>
#include <QtGlobal>
#include <vector>

#include "cli/exit_codes.h"

namespace torvel::cli {

enum class Outcome { Ok, LocalFailure, BoardFailure, Interrupted };

struct SummaryRow {
    QString port;
    Outcome outcome = Outcome::Ok;
    QString reason;        // what ended a board that failed: its last error event's text
    qint64 elapsedNs = 0;  // from the board's first request to its end
    qint64 bytes = 0;      // the work's bytes: image bytes sent, values read or written
};

// "ok", "local failure", "board failure", "interrupted": the summary's and JSON's words.
QString OutcomeName(Outcome outcome);
ExitCode ExitCodeOf(Outcome outcome);
// The worst of the rows (WorseExitCode); kExitOk for none.
ExitCode RunExitCode(const std::vector<SummaryRow>& rows);
// Bytes a second over the row's time; 0 when no time passed.
double BytesPerSecond(const SummaryRow& row);

}  // namespace torvel::cli
