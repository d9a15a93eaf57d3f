#pragma once
// The board's process: its line, its link and the wait loop around a BoardSession.

#include "board/options.h"

namespace torvel::board {

// Serves until SIGINT, SIGTERM or SIGHUP, or until the configured hang-up. Returns the
// process's exit status (0, or 1 when the line or the link could not be set up).
int RunBoard(const BoardOptions& options);

}  // namespace torvel::board
