#pragma once
// torvel-cli from its arguments to its exit status, on streams the caller gives, so that
// tests run it whole in their own process.

#include <QIODevice>
#include <QStringList>

namespace torvel::cli {

struct Streams {
    QIODevice& out;
    QIODevice& err;
    // Progress lines are drawn only on a terminal, `terminalWidth` columns wide (0: unknown).
    bool errIsTerminal = false;
    int terminalWidth = 0;
};

// `arguments` without the program name; the result is an ExitCode.
int RunCli(const QStringList& arguments, const Streams& streams);

}  // namespace torvel::cli
