// torvel-cli's command line from any bytes: the input split at NUL bytes into arguments, read
// as UTF-8. A refusal is one printable line; a command line understood keeps every value in
// the window's ranges and says what it needs (a file for load, values or a file for write).

#include <QString>
#include <QStringList>
#include <cstdint>

#include "cli/option_values.h"
#include "cli/options.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace torvel;
using namespace torvel::cli;

bool Within(const std::optional<int>& value, int low, int high) {
    return !value || (*value >= low && *value <= high);
}

void CheckRefusal(const QString& error) {
    FUZZ_CHECK(error.size() < 400, QStringLiteral("a message of %1 characters").arg(error.size()));
    for (const QChar c : error) {
        FUZZ_CHECK(c.isPrint() || c.isSurrogate(),
                   QStringLiteral("a message with character %1").arg(c.unicode()));
    }
}

void CheckUnderstood(const CliOptions& o) {
    if (o.help || o.version) return;
    FUZZ_CHECK(o.command != Command::None, QStringLiteral("understood without a command"));
    for (const QString& port : o.ports)
        FUZZ_CHECK(PortNameAcceptable(port), QStringLiteral("port \"%1\" taken").arg(port));
    FUZZ_CHECK(Within(o.slaveAddress, 0, 255) && Within(o.timeoutSeconds, 0, 20) &&
                   Within(o.resultFile.columns, 1, 24) && Within(o.tester.count, 1, kMaxRepeat) &&
                   Within(o.tester.repeat, 1, kMaxRepeat) &&
                   Within(o.tester.delayMs, kMinDelayMs, kMaxDelayMs) &&
                   Within(o.irq.events, 1, kMaxIrqEvents) &&
                   Within(o.irq.registerCount, 1, kMaxIrqRegisters) &&
                   Within(o.line.customBaudRate, kMinCustomBaud, kMaxCustomBaud),
               QStringLiteral("a value outside its range"));
    FUZZ_CHECK(o.line.customBaudRate.has_value() == (o.line.baudRate == brCustom),
               QStringLiteral("a custom rate without brCustom, or the other way round"));
    FUZZ_CHECK(o.command != Command::Load || !o.load.file.isEmpty(),
               QStringLiteral("load without a file"));
    if (o.command == Command::Write) {
        FUZZ_CHECK(o.tester.values.empty() != o.tester.fromFile.isEmpty(),
                   QStringLiteral("write needs values or a file, not both"));
    }
    if (o.command == Command::Read || o.command == Command::Write) {
        FUZZ_CHECK(!(o.tester.count && o.tester.target != atPage) &&
                       !(o.tester.repeat && o.tester.target == atPage),
                   QStringLiteral("--count or --repeat on the wrong target"));
    }
    FUZZ_CHECK(o.irq.line == 0 || o.irq.line == 1, QStringLiteral("line %1").arg(o.irq.line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceQtMessages();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arguments;
    for (const QByteArray& part : bytes.split('\0')) arguments << QString::fromUtf8(part);
    if (bytes.isEmpty()) arguments.clear();
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.error.isEmpty())
        CheckRefusal(parsed.error);
    else
        CheckUnderstood(parsed.options);
    return 0;
}
