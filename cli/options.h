#pragma once
// torvel-cli's command line as a plain value. Every setting that "TORVEL.INI" also holds is
// optional here: set only when the command line gave it, so that an option always wins and
// everything else can come from the file or the window's defaults.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "tester/address_rules.h"
#include "transport/com_types.h"

namespace torvel::cli {

enum class Command { None, Ports, Identify, Load, Read, Write, Irq };

// The six settings of the port's section (the port itself is CliOptions::ports).
struct LineOptions {
    std::optional<TBaudRate> baudRate;  // brCustom for a rate the window's list lacks
    std::optional<int> customBaudRate;  // set with brCustom only
    std::optional<TDataBits> dataBits;
    std::optional<TStopBits> stopBits;
    std::optional<TParityBits> parity;
    std::optional<TFlowControl> flowControl;
};

// The result-file settings of the window's "Параметры" tab.
struct ResultFileOptions {
    std::optional<bool> appendOrCreate;  // --append / --replace (AppendOrCreate)
    std::optional<bool> addStep;         // --add-step / --no-add-step (AddStep)
    std::optional<int> columns;          // --columns (NumberOfColumns, 1 ... 24)
    std::optional<bool> decimal;         // --format dec / hex (OutputFormat 1 / 0)
};

// `load`.
struct LoadOptions {
    QString file;
    bool force = false;     // load a file made for another chip without asking
    bool noVerify = false;  // no second identification after the upload
};

// `read` and `write`. The window's ranges: repetitions and RAM/ROM bytes 1 ... 10000 (1 is a
// single operation), the delay 10 ... 10000 ms.
struct TesterOptions {
    TAddrType target = atCoil;
    std::uint16_t address = 0;  // the board's own map is checked once it has identified
    std::optional<int> count;   // RAM/ROM bytes (ram only)
    std::optional<int> repeat;  // repetitions (coil and register only)
    std::optional<int> delayMs;
    QString outFile;   // read: the result file; empty for none
    QString fromFile;  // write: the input file; empty for values from the command line
    // write: the values given on the command line, in order; several are written in turn,
    // as the values of an input file are.
    std::vector<std::uint8_t> values;
};

// `irq`. The window's ranges: events 1 ... 1000, returned registers 1 ... 8.
struct IrqOptions {
    int line = 0;  // 0 or 1
    std::optional<int> events;
    // --registers FIRST:COUNT: the board returns COUNT registers from FIRST with each event.
    std::optional<std::uint16_t> firstRegister;
    std::optional<int> registerCount;
    QString outFile;
};

struct CliOptions {
    Command command = Command::None;
    QStringList ports;  // each --port in order; empty: the settings file's or the default
    LineOptions line;
    std::optional<int> slaveAddress;    // 0 ... 255
    std::optional<int> timeoutSeconds;  // DefaultTimeout, 0 ... 20
    ResultFileOptions resultFile;
    bool json = false;
    bool quiet = false;
    bool journal = false;
    bool help = false;  // for `command` when one was named before --help, else in general
    bool version = false;

    LoadOptions load;
    TesterOptions tester;  // read and write
    IrqOptions irq;
};

struct ParsedCommandLine {
    CliOptions options;
    QString error;  // one line; empty when the arguments were understood
};

// `arguments` without the program name. --help and --version end the parsing where they
// stand: what follows them is not looked at.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The command's name as typed on the command line ("read"); empty for Command::None.
QString CommandName(Command command);

}  // namespace torvel::cli
