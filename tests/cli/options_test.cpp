// torvel-cli's command line: what each command takes into the options, which settings count
// as given, and every kind of bad input refused with one line and the usage status.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "cli/exit_codes.h"
#include "cli/run.h"
#include "support/args.h"
#include "support/qt_printers.h"

namespace torvel::cli {
namespace {

using torvel::test::Args;

CliOptions Parse(std::initializer_list<const char*> args) {
    const ParsedCommandLine parsed = ParseCommandLine(Args(args));
    EXPECT_EQ(parsed.error, QString());
    return parsed.options;
}

TEST(CliOptions, LeaveEverySettingOfTheFileUnsetWhenNotGiven) {
    const CliOptions o = Parse({"identify"});
    EXPECT_EQ(o.command, Command::Identify);
    EXPECT_TRUE(o.ports.isEmpty());
    EXPECT_FALSE(o.line.baudRate || o.line.dataBits || o.line.stopBits || o.line.parity ||
                 o.line.flowControl);
    EXPECT_FALSE(o.slaveAddress || o.timeoutSeconds);
    EXPECT_FALSE(o.resultFile.appendOrCreate || o.resultFile.addStep || o.resultFile.columns ||
                 o.resultFile.decimal);
}

TEST(CliOptions, TakeTheGlobalOptionsBeforeAndAfterTheCommand) {
    // clang-format off
    const CliOptions o = Parse({
        "--port", "board0", "--baud=115200", "--data-bits", "7", "--stop-bits", "1.5",
        "--parity", "even", "--flow-control", "Hardware", "--address", "0x1F", "--timeout", "20",
        "read", "coil", "3", "--port", "/dev/ttyUSB1", "--replace", "--no-add-step",
        "--columns", "24", "--format", "DEC", "--json", "--quiet", "--journal"});
    // clang-format on
    EXPECT_EQ(o.ports, Args({"board0", "/dev/ttyUSB1"}));
    EXPECT_EQ(o.line.baudRate, br115200);
    EXPECT_FALSE(o.line.customBaudRate);
    EXPECT_EQ(o.line.dataBits, dbSeven);
    EXPECT_EQ(o.line.stopBits, sbOne5StopBits);
    EXPECT_EQ(o.line.parity, prEven);
    EXPECT_EQ(o.line.flowControl, fcHardware);
    EXPECT_EQ(o.slaveAddress, 0x1F);
    EXPECT_EQ(o.timeoutSeconds, 20);
    EXPECT_EQ(o.resultFile.appendOrCreate, false);
    EXPECT_EQ(o.resultFile.addStep, false);
    EXPECT_EQ(o.resultFile.columns, 24);
    EXPECT_EQ(o.resultFile.decimal, true);
    EXPECT_TRUE(o.json && o.quiet && o.journal);
}

struct BaudCase {
    const char* text;
    TBaudRate rate;
    std::optional<int> custom;
};

class CliBaud : public ::testing::TestWithParam<BaudCase> {};

TEST_P(CliBaud, TakesTheListedEntryOrACustomRate) {
    const CliOptions o = Parse({"--baud", GetParam().text, "identify"});
    EXPECT_EQ(o.line.baudRate, GetParam().rate);
    EXPECT_EQ(o.line.customBaudRate, GetParam().custom);
}

INSTANTIATE_TEST_SUITE_P(Rates, CliBaud,
                         ::testing::Values(BaudCase{"110", br110, {}},
                                           BaudCase{"0x1C200", br115200, {}},
                                           BaudCase{"256000", br256000, {}},
                                           BaudCase{"921600", brCustom, 921600},
                                           BaudCase{"50", brCustom, 50}));

TEST(CliOptions, TakeEachCommandsOwnArguments) {
    const CliOptions load = Parse({"load", "--force", "--no-verify", "--", "-odd.ttf"});
    EXPECT_EQ(load.load.file, QStringLiteral("-odd.ttf"));
    EXPECT_TRUE(load.load.force && load.load.noVerify);

    const CliOptions read =
        Parse({"read", "ram", "0x100", "--count", "16", "--delay", "50", "--out", "r.txt"});
    EXPECT_EQ(read.tester.target, atPage);
    EXPECT_EQ(read.tester.address, 0x100);
    EXPECT_EQ(read.tester.count, 16);
    EXPECT_FALSE(read.tester.repeat);
    EXPECT_EQ(read.tester.delayMs, 50);
    EXPECT_EQ(read.tester.outFile, QStringLiteral("r.txt"));

    const CliOptions write =
        Parse({"write", "REGISTER", "0xFFFF", "1", "0x2", "255", "--repeat", "3"});
    EXPECT_EQ(write.tester.target, atRegister);
    EXPECT_EQ(write.tester.address, 0xFFFF);
    EXPECT_EQ(write.tester.values, (std::vector<std::uint8_t>{1, 2, 255}));
    EXPECT_EQ(write.tester.repeat, 3);

    const CliOptions fromFile = Parse({"write", "ram", "0", "--from", "in.txt", "--count", "4"});
    EXPECT_EQ(fromFile.tester.fromFile, QStringLiteral("in.txt"));
    EXPECT_TRUE(fromFile.tester.values.empty());

    const CliOptions irq =
        Parse({"irq", "1", "--events", "1000", "--registers", "0x10:8", "--out", "irq.txt"});
    EXPECT_EQ(irq.irq.line, 1);
    EXPECT_EQ(irq.irq.events, 1000);
    EXPECT_EQ(irq.irq.firstRegister, 0x10);
    EXPECT_EQ(irq.irq.registerCount, 8);
    EXPECT_EQ(irq.irq.outFile, QStringLiteral("irq.txt"));
    EXPECT_TRUE(irq.tester.outFile.isEmpty());
}

TEST(CliOptions, StopAtHelpAndVersionWithTheCommandNamedBefore) {
    const ParsedCommandLine perCommand = ParseCommandLine(Args({"read", "--help", "--bogus"}));
    EXPECT_EQ(perCommand.error, QString());
    EXPECT_TRUE(perCommand.options.help);
    EXPECT_EQ(perCommand.options.command, Command::Read);
    EXPECT_EQ(ParseCommandLine(Args({"-h"})).options.command, Command::None);
    EXPECT_TRUE(ParseCommandLine(Args({"--version", "nonsense"})).options.version);
}

struct BadLine {
    std::vector<const char*> args;
    const char* message;  // a part of the one line on standard error
};

void PrintTo(const BadLine& line, std::ostream* os) {
    for (const char* arg : line.args) *os << arg << ' ';
}

class CliBadLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(CliBadLine, GivesOneLineAndTheUsageStatus) {
    QStringList args;
    for (const char* arg : GetParam().args) args << QString::fromUtf8(arg);
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    EXPECT_EQ(RunCli(args, {out, err}), kExitUsage);
    const QString text = QString::fromUtf8(err.data());
    EXPECT_TRUE(text.startsWith(QStringLiteral("torvel-cli: "))) << text.toStdString();
    EXPECT_EQ(text.count(u'\n'), 1) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u'\n'));
    EXPECT_TRUE(text.contains(QString::fromUtf8(GetParam().message))) << text.toStdString();
    EXPECT_TRUE(out.data().isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, CliBadLine, ::testing::Values(
    BadLine{{}, "no command given"},
    BadLine{{"flash"}, "unknown command \"flash\""},
    BadLine{{"fla\nsh"}, "unknown command \"fla\\u000ash\""},
    BadLine{{"identify", "--x\ry"}, "unknown option --x\\u000dy"},
    BadLine{{"identify", "--nope"}, "unknown option --nope"},
    BadLine{{"identify", "-x"}, "unknown option -x"},
    BadLine{{"--force", "load", "a.ttf"}, "--force goes after its command"},
    BadLine{{"identify", "--count", "2"}, "--count is no option of identify"},
    BadLine{{"identify", "--port"}, "--port needs a value"},
    BadLine{{"identify", "--port", "--json"}, "--port needs a value"},
    BadLine{{"identify", "--port", "a\tb"}, "bad value"},
    BadLine{{"identify", "--json=yes"}, "--json takes no value"},
    BadLine{{"identify", "--baud", "9600", "--baud", "9600"}, "--baud given twice"},
    BadLine{{"identify", "--baud", "Custom"}, "bad value \"Custom\" for --baud"},
    BadLine{{"identify", "--baud", "49"}, "--baud"},
    BadLine{{"identify", "--baud", "-9600"}, "--baud"},
    BadLine{{"identify", "--parity", "Even2"}, "one of None, Odd, Even, Mark, Space"},
    BadLine{{"identify", "--data-bits", "9"}, "one of 5, 6, 7, 8"},
    BadLine{{"identify", "--address", "256"}, "a number 0 ... 255"},
    BadLine{{"identify", "--address", " 5"}, "--address"},
    BadLine{{"identify", "--timeout", "21"}, "a number 0 ... 20"},
    BadLine{{"identify", "--columns", "0"}, "a number 1 ... 24"},
    BadLine{{"identify", "--format", "oct"}, "hex or dec"},
    BadLine{{"identify", "--append", "--replace"}, "--append and --replace contradict"},
    BadLine{{"identify", "--add-step", "--no-add-step"}, "contradict"},
    BadLine{{"identify", "extra"}, "unexpected argument \"extra\""},
    BadLine{{"load"}, "load needs FILE"},
    BadLine{{"load", "a.ttf", "b.ttf"}, "unexpected argument \"b.ttf\""},
    BadLine{{"read"}, "read needs coil, register or ram"},
    BadLine{{"read", "flag", "1"}, "bad target \"flag\""},
    BadLine{{"read", "coil"}, "read needs ADDRESS"},
    BadLine{{"read", "ram", "0x10000"}, "a number 0 ... 0xFFFF"},
    BadLine{{"read", "ram", "0", "--count", "10001"}, "a number 1 ... 10000"},
    BadLine{{"read", "coil", "0", "--count", "2"}, "--count is the number of ram bytes"},
    BadLine{{"read", "ram", "0", "--repeat", "2"}, "--repeat is for a coil or register"},
    BadLine{{"read", "coil", "0", "--repeat", "0"}, "--repeat"},
    BadLine{{"read", "coil", "0", "--delay", "9"}, "a number 10 ... 10000"},
    BadLine{{"read", "coil", "0", "--out", ""}, "a file name"},
    BadLine{{"read", "coil", "0", "--from", "x"}, "--from is no option of read"},
    BadLine{{"write", "coil", "0"}, "write needs VALUE... or --from FILE"},
    BadLine{{"write", "coil", "0", "1", "--from", "in.txt"}, "exclude each other"},
    BadLine{{"write", "ram", "0", "256"}, "bad VALUE \"256\""},
    BadLine{{"irq"}, "irq needs LINE"},
    BadLine{{"irq", "2"}, "bad LINE \"2\": 0 or 1"},
    BadLine{{"irq", "0", "--events", "1001"}, "--events"},
    BadLine{{"irq", "0", "--registers", "16"}, "FIRST:COUNT"},
    BadLine{{"irq", "0", "--registers", "0x10:9"}, "--registers"}));
// clang-format on

}  // namespace
}  // namespace torvel::cli
