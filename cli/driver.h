#pragma once
// The boards of one torvel-cli run: one job a port, all on one event loop, each at its own
// line's pace; a board that fails ends alone. A signal stops every board at its next safe
// point. With --journal the events also go to "TORVEL.LOG" of the current folder.

#include <QIODevice>

#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/output.h"

namespace torvel::cli {

// Runs the command on every board until each is done, prints the summary, and gives the
// run's exit status. `err` takes the run's own one-line messages (the journal's).
ExitCode RunBoards(const CliOptions& options, Output& output, QIODevice& err);

}  // namespace torvel::cli
