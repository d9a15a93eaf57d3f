// torvel-board: a simulated device board on a pseudo-terminal (see --help).

#include <cstdio>

#include "board/options.h"
#include "board/serve_loop.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const torvel::board::ParsedOptions parsed = torvel::board::ParseBoardOptions(arguments);
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "torvel-board: %s\nTry --help.\n",
                     parsed.error.toLocal8Bit().constData());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(torvel::board::BoardUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    return torvel::board::RunBoard(parsed.options);
}
