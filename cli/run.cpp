#include "cli/run.h"

#include <memory>

#include "cli/driver.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/options.h"
#include "cli/text_output.h"
#include "cli/usage.h"
#include "transport/serial_ports.h"

#ifndef TORVEL_VERSION
#define TORVEL_VERSION "unknown"
#endif

namespace torvel::cli {

namespace {

void WriteText(QIODevice& device, const QString& text) {
    device.write(text.toUtf8());
}

// The output the options ask for, and the progress lines it draws on (when any).
struct OutputSet {
    std::unique_ptr<ProgressLines> progress;
    std::unique_ptr<Output> output;
};

OutputSet MakeOutput(const CliOptions& options, const Streams& streams) {
    const OutputStyle style{options.quiet, options.resultFile.decimal.value_or(false)};
    OutputSet set;
    if (options.json) {
        set.output = std::make_unique<JsonOutput>(streams.out, style);
        return set;
    }
    if (streams.errIsTerminal && !options.quiet)
        set.progress = std::make_unique<ProgressLines>(streams.err, streams.terminalWidth);
    set.output = std::make_unique<TextOutput>(streams.out, streams.err, style, set.progress.get());
    return set;
}

}  // namespace

int RunCli(const QStringList& arguments, const Streams& streams) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.error.isEmpty()) {
        WriteText(streams.err, QStringLiteral("torvel-cli: ") + parsed.error +
                                   QStringLiteral(" (see torvel-cli --help)\n"));
        return kExitUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        WriteText(streams.out, CommandUsage(options.command));
        return kExitOk;
    }
    if (options.version) {
        WriteText(streams.out, VersionText(QStringLiteral(TORVEL_VERSION)));
        return kExitOk;
    }
    OutputSet output = MakeOutput(options, streams);
    if (options.command == Command::Ports) {
        for (const QString& name : ListSerialPortNames()) output.output->PortName(name);
        return kExitOk;
    }
    return RunBoards(options, *output.output, streams.err);
}

}  // namespace torvel::cli
