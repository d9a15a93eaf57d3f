#include "cli/usage.h"

#include <utility>

namespace torvel::cli {

namespace {

const char kSynopsis[] =
    "Usage: torvel-cli [OPTIONS] ports\n"
    "       torvel-cli [OPTIONS] identify\n"
    "       torvel-cli [OPTIONS] load [--force] [--no-verify] FILE\n"
    "       torvel-cli [OPTIONS] read  coil|register|ram ADDRESS [--count N] [--repeat N]\n"
    "                                  [--delay MS] [--out FILE]\n"
    "       torvel-cli [OPTIONS] write coil|register|ram ADDRESS (VALUE... | --from FILE)\n"
    "                                  [--count N] [--repeat N] [--delay MS]\n"
    "       torvel-cli [OPTIONS] irq LINE [--events N] [--registers FIRST:COUNT] [--out FILE]\n";

const char kGeneral[] =
    "\n"
    "The board work of the Torvel window from a shell: one board, or with several --port\n"
    "every board at once. Events are the window's own texts, one line each naming its port;\n"
    "values read go to standard output. Numbers are decimal, or hexadecimal after 0x.\n"
    "Settings not given come from TORVEL.INI in the current folder when it exists, else\n"
    "from the window's defaults; an option always wins, and TORVEL.INI is never written.\n"
    "\n"
    "Commands:\n"
    "  ports                the serial ports as the window's port list offers them\n"
    "  identify             the board's identity as the group \"Устройство\" shows it\n"
    "  load FILE            upload an FPGA configuration file record by record\n"
    "  read, write          a coil, a register or RAM/ROM bytes\n"
    "  irq LINE             arm an interrupt line and collect its events\n"
    "  COMMAND --help       the command's own options\n"
    "\n"
    "Line:\n"
    "  --port NAME          the board's serial port; repeat it for several boards\n"
    "  --baud RATE          110 ... 256000 as the window lists them, or any other rate\n"
    "                       50 ... 10000000\n"
    "  --data-bits N        5, 6, 7, 8\n"
    "  --stop-bits N        1, 1.5, 2\n"
    "  --parity P           None, Odd, Even, Mark, Space\n"
    "  --flow-control F     Hardware, Software, None, Custom\n"
    "  --address N          the board's slave address, 0 ... 255\n"
    "  --timeout S          seconds to wait for a reply, 0 ... 20\n"
    "\n"
    "Result file:\n"
    "  --append, --replace  append to an existing result file, or replace it\n"
    "  --add-step, --no-add-step\n"
    "                       begin each line with the address or step of its first value\n"
    "  --columns N          values a line, 1 ... 24\n"
    "  --format hex|dec     how values are written\n"
    "\n"
    "Output:\n"
    "  --json               one JSON object a line: events, results, progress, summary\n"
    "  --quiet              only errors and results\n"
    "  --journal            also append the events to TORVEL.LOG in the current folder\n"
    "  --help, --version\n"
    "\n"
    "A progress line per board goes to standard error while it is a terminal.\n"
    "SIGINT or SIGTERM stops every board at its next safe point; a second one ends at once.\n"
    "\n";

const char kLoad[] =
    "Usage: torvel-cli [OPTIONS] load [--force] [--no-verify] FILE\n"
    "Reads FILE as the window does (a file that gives no image is refused before anything\n"
    "is sent), identifies the board, uploads the image record by record, and identifies the\n"
    "board again: the load is done once the board reports its configuration loaded. A\n"
    "board that needs no load says so and succeeds.\n"
    "\n"
    "  --force              load a file made for another chip than the board's FPGA\n"
    "  --no-verify          no second identification after the upload\n";

const char kRead[] =
    "Usage: torvel-cli [OPTIONS] read coil|register|ram ADDRESS [--count N] [--repeat N]\n"
    "                                 [--delay MS] [--out FILE]\n"
    "Reads a coil, a register or RAM/ROM bytes at ADDRESS (0 ... 0xFFFF; the board's own\n"
    "map decides what it admits). The values go to standard output and, with --out, to a\n"
    "result file in the window's format.\n"
    "\n"
    "  --count N            ram: the bytes to read, 1 ... 10000\n"
    "  --repeat N           coil, register: read N times, 1 ... 10000\n"
    "  --delay MS           between repetitions, 10 ... 10000\n"
    "  --out FILE           the result file (see --append, --columns, --format)\n";

const char kWrite[] =
    "Usage: torvel-cli [OPTIONS] write coil|register|ram ADDRESS (VALUE... | --from FILE)\n"
    "                                  [--count N] [--repeat N] [--delay MS]\n"
    "Writes a coil, a register or RAM/ROM bytes at ADDRESS (0 ... 0xFFFF). Each VALUE is a\n"
    "byte, 0 ... 255; several are written in turn, as the values of an input file are.\n"
    "\n"
    "  --from FILE          the values of an input file in the window's format\n"
    "  --count N            ram: the bytes to write, 1 ... 10000\n"
    "  --repeat N           coil, register: write N times, 1 ... 10000\n"
    "  --delay MS           between repetitions, 10 ... 10000\n";

const char kIrq[] =
    "Usage: torvel-cli [OPTIONS] irq LINE [--events N] [--registers FIRST:COUNT] [--out FILE]\n"
    "Arms interrupt line LINE (0 or 1), collects its events and disarms the board at the end\n"
    "or when interrupted.\n"
    "\n"
    "  --events N           the interrupts to collect, 1 ... 1000\n"
    "  --registers FIRST:COUNT\n"
    "                       the board returns COUNT registers (1 ... 8) from FIRST with each\n"
    "                       event\n"
    "  --out FILE           the result file (see --append, --columns, --format)\n";

const char kPorts[] =
    "Usage: torvel-cli [OPTIONS] ports\n"
    "The serial ports present, one a line, as the window's port list offers them: serial\n"
    "devices, the links of /dev/serial/by-id and the links simulated boards publish.\n";

const char kIdentify[] =
    "Usage: torvel-cli [OPTIONS] identify\n"
    "Asks the board who it is and prints what the window's group \"Устройство\" shows: model\n"
    "and version, address map, RAM/ROM pages and page size, exchange buffer, FPGA and\n"
    "whether its configuration is loaded.\n";

}  // namespace

QString ExitCodeTable() {
    return QStringLiteral(
        "Exit status:\n"
        "  0  every board did what was asked\n"
        "  2  the command line was not understood; nothing was done\n"
        "  3  a failure on this side: a port that cannot be opened, a file refused\n"
        "  4  a board failed: no answer, exception, bad frame, lost line, load not confirmed\n"
        "  5  interrupted by a signal\n");
}

QString GeneralUsage() {
    return QString::fromUtf8(kSynopsis) + QString::fromUtf8(kGeneral) + ExitCodeTable();
}

QString CommandUsage(Command command) {
    static const std::pair<Command, const char*> kTexts[] = {
        {Command::Ports, kPorts}, {Command::Identify, kIdentify}, {Command::Load, kLoad},
        {Command::Read, kRead},   {Command::Write, kWrite},       {Command::Irq, kIrq},
    };
    for (const auto& [each, text] : kTexts) {
        if (each != command) continue;
        return QString::fromUtf8(text) +
               QStringLiteral(
                   "\nThe line, result-file and output options of torvel-cli --help "
                   "apply too.\n");
    }
    return GeneralUsage();
}

QString VersionText(const QString& version) {
    return QStringLiteral("torvel-cli ") + version + u'\n';
}

}  // namespace torvel::cli
