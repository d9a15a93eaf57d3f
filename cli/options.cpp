#include "cli/options.h"

#include <functional>
#include <set>

#include "cli/option_values.h"

namespace torvel::cli {

namespace {

// Which commands an option belongs to; 0: every command (a global option).
constexpr unsigned Bit(Command command) {
    return 1u << static_cast<unsigned>(command);
}
constexpr unsigned kGlobal = 0;
constexpr unsigned kReadWrite = Bit(Command::Read) | Bit(Command::Write);

struct OptionRule {
    const char* name;
    bool takesValue;
    unsigned commands;
    bool repeatable;
    // Stores the value; false when it is not one the option takes (`expected` says which).
    std::function<bool(const QString&, CliOptions&)> apply;
    QString expected;
};

// A number within low ... high into the member that `field` picks.
template <typename T, typename Pick>
std::function<bool(const QString&, CliOptions&)> NumberInto(unsigned long long low,
                                                            unsigned long long high, Pick field) {
    return [=](const QString& text, CliOptions& o) {
        const auto value = ParseNumberInRange(text, low, high);
        if (value) field(o) = static_cast<T>(*value);
        return value.has_value();
    };
}

// A switch that sets `field` to `value`.
template <typename Pick, typename T>
std::function<bool(const QString&, CliOptions&)> Set(Pick field, T value) {
    return [=](const QString&, CliOptions& o) {
        field(o) = value;
        return true;
    };
}

const std::vector<OptionRule>& OptionTable() {
    using O = CliOptions;
    // clang-format off
    static const std::vector<OptionRule> table = {
        {"port", true, kGlobal, true,
         [](const QString& v, O& o) {
             if (!PortNameAcceptable(v)) return false;
             o.ports.append(v);
             return true;
         }, QStringLiteral("a port name without control characters")},
        {"baud", true, kGlobal, false,
         [](const QString& v, O& o) { return ParseBaudRate(v, o.line); },
         QStringLiteral("a rate of the list or another rate 50 ... 10000000")},
        {"data-bits", true, kGlobal, false,
         [](const QString& v, O& o) { return ParseListText(v, DataBitsTexts(), o.line.dataBits); },
         ListExpectation(DataBitsTexts())},
        {"stop-bits", true, kGlobal, false,
         [](const QString& v, O& o) { return ParseListText(v, StopBitsTexts(), o.line.stopBits); },
         ListExpectation(StopBitsTexts())},
        {"parity", true, kGlobal, false,
         [](const QString& v, O& o) { return ParseListText(v, ParityTexts(), o.line.parity); },
         ListExpectation(ParityTexts())},
        {"flow-control", true, kGlobal, false,
         [](const QString& v, O& o) {
             return ParseListText(v, FlowControlTexts(), o.line.flowControl);
         }, ListExpectation(FlowControlTexts())},
        {"address", true, kGlobal, false,
         NumberInto<int>(0, 255, [](O& o) -> auto& { return o.slaveAddress; }),
         RangeExpectation(0, 255)},
        {"timeout", true, kGlobal, false,
         NumberInto<int>(0, 20, [](O& o) -> auto& { return o.timeoutSeconds; }),
         RangeExpectation(0, 20)},
        {"append", false, kGlobal, false,
         Set([](O& o) -> auto& { return o.resultFile.appendOrCreate; }, true), {}},
        {"replace", false, kGlobal, false,
         Set([](O& o) -> auto& { return o.resultFile.appendOrCreate; }, false), {}},
        {"add-step", false, kGlobal, false,
         Set([](O& o) -> auto& { return o.resultFile.addStep; }, true), {}},
        {"no-add-step", false, kGlobal, false,
         Set([](O& o) -> auto& { return o.resultFile.addStep; }, false), {}},
        {"columns", true, kGlobal, false,
         NumberInto<int>(1, 24, [](O& o) -> auto& { return o.resultFile.columns; }),
         RangeExpectation(1, 24)},
        {"format", true, kGlobal, false,
         [](const QString& v, O& o) { return ParseResultFormat(v, o.resultFile.decimal); },
         QStringLiteral("hex or dec")},
        {"json", false, kGlobal, false, Set([](O& o) -> auto& { return o.json; }, true), {}},
        {"quiet", false, kGlobal, false, Set([](O& o) -> auto& { return o.quiet; }, true), {}},
        {"journal", false, kGlobal, false, Set([](O& o) -> auto& { return o.journal; }, true), {}},

        {"force", false, Bit(Command::Load), false,
         Set([](O& o) -> auto& { return o.load.force; }, true), {}},
        {"no-verify", false, Bit(Command::Load), false,
         Set([](O& o) -> auto& { return o.load.noVerify; }, true), {}},

        {"count", true, kReadWrite, false,
         NumberInto<int>(1, kMaxRepeat, [](O& o) -> auto& { return o.tester.count; }),
         RangeExpectation(1, kMaxRepeat)},
        {"repeat", true, kReadWrite, false,
         NumberInto<int>(1, kMaxRepeat, [](O& o) -> auto& { return o.tester.repeat; }),
         RangeExpectation(1, kMaxRepeat)},
        {"delay", true, kReadWrite, false,
         NumberInto<int>(kMinDelayMs, kMaxDelayMs, [](O& o) -> auto& { return o.tester.delayMs; }),
         RangeExpectation(kMinDelayMs, kMaxDelayMs)},
        {"out", true, Bit(Command::Read) | Bit(Command::Irq), false,
         [](const QString& v, O& o) {
             (o.command == Command::Irq ? o.irq.outFile : o.tester.outFile) = v;
             return !v.isEmpty();
         }, QStringLiteral("a file name")},
        {"from", true, Bit(Command::Write), false,
         [](const QString& v, O& o) { o.tester.fromFile = v; return !v.isEmpty(); },
         QStringLiteral("a file name")},

        {"events", true, Bit(Command::Irq), false,
         NumberInto<int>(1, kMaxIrqEvents, [](O& o) -> auto& { return o.irq.events; }),
         RangeExpectation(1, kMaxIrqEvents)},
        {"registers", true, Bit(Command::Irq), false,
         [](const QString& v, O& o) { return ParseRegisters(v, o.irq); },
         QStringLiteral("FIRST:COUNT, FIRST 0 ... 0xFFFF and COUNT 1 ... 8")},
    };
    // clang-format on
    return table;
}

const OptionRule* FindOption(const QString& name) {
    for (const OptionRule& rule : OptionTable())
        if (name == QLatin1String(rule.name)) return &rule;
    return nullptr;
}

// Pairs of switches that say opposite things.
constexpr const char* kOpposites[][2] = {{"append", "replace"}, {"add-step", "no-add-step"}};

struct CommandEntry {
    Command command;
    const char* name;
};
constexpr CommandEntry kCommands[] = {
    {Command::Ports, "ports"}, {Command::Identify, "identify"}, {Command::Load, "load"},
    {Command::Read, "read"},   {Command::Write, "write"},       {Command::Irq, "irq"},
};

std::optional<Command> FindCommand(const QString& name) {
    for (const CommandEntry& entry : kCommands)
        if (name == QLatin1String(entry.name)) return entry.command;
    return std::nullopt;
}

// A word of the command line as a message shows it: on one line whatever it holds, and
// not endless.
QString Shown(const QString& text) {
    constexpr qsizetype kLimit = 64;
    QString shown;
    for (const QChar c : QStringView(text).left(kLimit)) {
        if (c.isPrint() || c.isSurrogate())
            shown += c;
        else
            shown +=
                QStringLiteral("\\u%1").arg(static_cast<uint>(c.unicode()), 4, 16, QChar(u'0'));
    }
    if (text.size() > kLimit) shown += QStringLiteral("...");
    return shown;
}

QString Quoted(const QString& text) {
    return u'"' + Shown(text) + u'"';
}

// The words after the command, by command. Empty when they fit.
QString TakePositionals(const QStringList& words, CliOptions& o) {
    const QString name = CommandName(o.command);
    qsizetype next = 0;
    const auto take = [&]() -> std::optional<QString> {
        if (next >= words.size()) return std::nullopt;
        return words[next++];
    };
    switch (o.command) {
        case Command::None:
        case Command::Ports:
        case Command::Identify:
            break;
        case Command::Load: {
            const auto file = take();
            if (!file || file->isEmpty()) return QStringLiteral("load needs FILE");
            o.load.file = *file;
            break;
        }
        case Command::Read:
        case Command::Write: {
            const auto target = take();
            if (!target) return name + QStringLiteral(" needs coil, register or ram");
            if (!ParseTarget(*target, o.tester.target))
                return QStringLiteral("bad target %1 for %2: coil, register or ram")
                    .arg(Quoted(*target), name);
            const auto address = take();
            if (!address) return name + QStringLiteral(" needs ADDRESS");
            const auto value = ParseNumberInRange(*address, 0, 0xFFFF);
            if (!value)
                return QStringLiteral("bad ADDRESS %1: %2")
                    .arg(Quoted(*address), AddressExpectation());
            o.tester.address = static_cast<std::uint16_t>(*value);
            if (o.command == Command::Read) break;
            for (; next < words.size(); ++next) {
                const auto byte = ParseNumberInRange(words[next], 0, 255);
                if (!byte)
                    return QStringLiteral("bad VALUE %1: %2")
                        .arg(Quoted(words[next]), RangeExpectation(0, 255));
                if (o.tester.values.size() >= static_cast<std::size_t>(kMaxWriteValues))
                    return QStringLiteral("more than %1 values").arg(kMaxWriteValues);
                o.tester.values.push_back(static_cast<std::uint8_t>(*byte));
            }
            break;
        }
        case Command::Irq: {
            const auto line = take();
            if (!line) return QStringLiteral("irq needs LINE");
            const auto value = ParseNumberInRange(*line, 0, 1);
            if (!value) return QStringLiteral("bad LINE %1: 0 or 1").arg(Quoted(*line));
            o.irq.line = static_cast<int>(*value);
            break;
        }
    }
    if (next < words.size())
        return QStringLiteral("unexpected argument %1").arg(Quoted(words[next]));
    return QString();
}

// What the options say together, once all are in.
QString CheckCombination(const CliOptions& o, const std::set<QString>& given) {
    for (const auto& pair : kOpposites) {
        if (given.count(QLatin1String(pair[0])) && given.count(QLatin1String(pair[1])))
            return QStringLiteral("--%1 and --%2 contradict each other")
                .arg(QLatin1String(pair[0]), QLatin1String(pair[1]));
    }
    if (o.command != Command::Read && o.command != Command::Write) return QString();
    const bool ram = o.tester.target == atPage;
    if (o.tester.count && !ram)
        return QStringLiteral(
            "--count is the number of ram bytes; a coil or register takes "
            "--repeat");
    if (o.tester.repeat && ram)
        return QStringLiteral("--repeat is for a coil or register; ram takes --count");
    if (o.command == Command::Write) {
        const bool fromFile = !o.tester.fromFile.isEmpty();
        if (fromFile && !o.tester.values.empty())
            return QStringLiteral("VALUE... and --from exclude each other");
        if (!fromFile && o.tester.values.empty())
            return QStringLiteral("write needs VALUE... or --from FILE");
    }
    return QString();
}

}  // namespace

QString CommandName(Command command) {
    for (const auto& entry : kCommands)
        if (entry.command == command) return QLatin1String(entry.name);
    return QString();
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    const auto fail = [&](const QString& error) {
        parsed.error = error;
        return parsed;
    };
    QStringList words;  // after the command
    std::set<QString> given;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.startsWith(u'-') && argument.size() > 1;
        if (!isOption) {
            if (o.command != Command::None) {
                words.append(argument);
                continue;
            }
            const auto command = FindCommand(argument);
            if (!command) return fail(QStringLiteral("unknown command %1").arg(Quoted(argument)));
            o.command = *command;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            o.help = true;
            return parsed;
        }
        if (argument == QLatin1String("--version")) {
            o.version = true;
            return parsed;
        }
        if (!argument.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unknown option %1").arg(Shown(argument)));
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const OptionRule* rule = FindOption(name);
        if (!rule) return fail(QStringLiteral("unknown option --%1").arg(Shown(name)));
        if (rule->commands != kGlobal && !(rule->commands & Bit(o.command))) {
            if (o.command == Command::None)
                return fail(QStringLiteral("--%1 goes after its command").arg(name));
            return fail(
                QStringLiteral("--%1 is no option of %2").arg(name, CommandName(o.command)));
        }
        if (rule->takesValue && !value) {
            // A value that looks like an option is most likely a forgotten one; --name=VALUE
            // still takes it.
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QLatin1String("--")))
                return fail(QStringLiteral("--%1 needs a value").arg(name));
            value = arguments[++i];
        }
        if (!rule->takesValue && value)
            return fail(QStringLiteral("--%1 takes no value").arg(name));
        if (!rule->repeatable && !given.insert(name).second)
            return fail(QStringLiteral("--%1 given twice").arg(name));
        if (!rule->apply(value.value_or(QString()), o)) {
            return fail(QStringLiteral("bad value %1 for --%2: %3")
                            .arg(Quoted(*value), name, rule->expected));
        }
    }
    if (o.command == Command::None) return fail(QStringLiteral("no command given"));
    if (const QString error = TakePositionals(words, o); !error.isEmpty()) return fail(error);
    if (const QString error = CheckCombination(o, given); !error.isEmpty()) return fail(error);
    return parsed;
}

}  // namespace torvel::cli
