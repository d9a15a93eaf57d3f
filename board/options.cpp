#include "board/options.h"

#include <functional>
#include <vector>

#include "common/number_text.h"

namespace torvel::board {

namespace {

template <typename T>
bool ParseInRange(const QString& text, unsigned long long low, unsigned long long high, T& out) {
    const auto value = ParseNumberInRange(text, low, high);
    if (!value) return false;
    out = static_cast<T>(*value);
    return true;
}

bool ParseRange(const QString& text, std::uint8_t& first, std::uint8_t& last) {
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() != 2) return false;
    std::uint8_t a = 0, b = 0;
    if (!ParseInRange(parts[0], 0, 255, a) || !ParseInRange(parts[1], 0, 255, b)) return false;
    first = a;
    last = b;
    return true;
}

bool ParseMilliseconds(const QString& text, std::chrono::milliseconds& out) {
    int value = 0;
    if (!ParseInRange(text, 0, 3'600'000, value)) return false;
    out = std::chrono::milliseconds(value);
    return true;
}

bool ParseException(const QString& text, std::map<std::uint8_t, std::uint8_t>& out) {
    const QStringList parts = text.split(QLatin1Char(':'));
    std::uint8_t function = 0, code = 0;
    if (parts.size() != 2 || !ParseInRange(parts[0], 0, 0x7F, function) ||
        !ParseInRange(parts[1], 0, 255, code))
        return false;
    out[function] = code;
    return true;
}

bool ParseHexBytes(const QString& text, QByteArray& out) {
    if (text.size() % 2 != 0) return false;
    for (QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F'))) return false;
    }
    out = QByteArray::fromHex(text.toLatin1());
    return !out.isEmpty();
}

struct Option {
    const char* name;
    const char* value;  // nullptr for a switch
    const char* help;
    std::function<bool(const QString&, BoardOptions&)> apply;
};

const std::vector<Option>& OptionTable() {
    using O = BoardOptions;
    // clang-format off
    static const std::vector<Option> table = {
        {"link", "PATH", "publish the line as this symbolic link (default board0 in\n"
                         "$XDG_RUNTIME_DIR/torvel-boards, else in /tmp/torvel-boards-UID;\n"
                         "that folder is made with mode 0700 and refused when another user\n"
                         "owns it or others may write to it)",
         [](const QString& v, O& o) { o.linkPath = v; return !v.isEmpty(); }},
        {"address", "N", "slave address the board answers to (default 0)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.address); }},
        {"board-code", "N", "identification: board code (default 0x11)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.identity.boardCode); }},
        {"config-flag", "TEXT", "identification: send TEXT verbatim as the configuration flag\n"
                                "(default \"00\", \"FF\" once an FPGA upload has completed)",
         [](const QString& v, O& o) { o.identity.configFlag = v; return true; }},
        {"version", "M.N", "identification: version digits (default 1.2)",
         [](const QString& v, O& o) {
             if (v.size() != 3 || v.at(1) != QLatin1Char('.')) return false;
             o.identity.version = QString(v.at(0)) + v.at(2);
             return true;
         }},
        {"fpga-code", "N", "identification: FPGA code (default 0x04)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.identity.fpgaCode); }},
        {"coils", "FIRST-LAST", "coil addresses (default 0x00-0x0F)",
         [](const QString& v, O& o) { return ParseRange(v, o.identity.coilStart, o.identity.coilEnd); }},
        {"registers", "FIRST-LAST", "holding register addresses (default 0x10-0x3F)",
         [](const QString& v, O& o) { return ParseRange(v, o.identity.holdStart, o.identity.holdEnd); }},
        {"pages", "N", "RAM/ROM page count (default 4)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.identity.pageCount); }},
        {"page-size", "N", "RAM/ROM page size in bytes (default 32768)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 65535, o.identity.pageSize); }},
        {"buffer", "N", "exchange buffer in bytes (default 64); a request longer\n"
                                "than that after its \":\" gets exception 3",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.identity.bufferSize); }},
        {"empty-id", nullptr, "answer identification with an empty payload",
         [](const QString&, O& o) { o.identity.emptyPayload = true; return true; }},
        {"loose-coils", nullptr, "a coil takes any value byte before 00 (non-zero switches it\n"
                                 "on), not only FF00 and 0000",
         [](const QString&, O& o) { o.identity.looseCoils = true; return true; }},
        {"dump", "FILE", "write the received FPGA image (raw bytes) to FILE at the end record",
         [](const QString& v, O& o) { o.dumpPath = v; return !v.isEmpty(); }},
        {"irq-interval", "MS", "time between interrupt events (default 100)",
         [](const QString& v, O& o) { return ParseMilliseconds(v, o.irqInterval); }},
        {"baud", "N", "emulate a line of N bit/s, 10 bits a character\n(default 0: as fast as possible)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 10'000'000, o.baud); }},
        {"reply-delay", "MS", "extra delay before every reply (default 0)",
         [](const QString& v, O& o) { return ParseMilliseconds(v, o.replyDelay); }},
        {"drop-every", "N", "fault: no reply to every Nth request (the request is lost)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.dropEvery); }},
        {"bad-lrc-every", "N", "fault: a wrong LRC on every Nth reply",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.badLrcEvery); }},
        {"exception-every", "N", "fault: refuse every Nth request with exception 4",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.exceptionEvery); }},
        {"wrong-function-every", "N", "fault: every Nth reply carries the request's function code\nplus one",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.wrongFunctionEvery); }},
        {"short-reply-every", "N", "fault: every Nth reply is only \":\", the short-reply text and CR LF",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.shortReplyEvery); }},
        {"short-reply", "TEXT", "the short reply's text, up to 8 characters (default 0; may be empty)",
         [](const QString& v, O& o) { o.faults.shortReply = v.toLatin1(); return v.size() <= 8; }},
        {"exception", "FN:CODE", "fault: answer function FN with exception CODE (repeatable)",
         [](const QString& v, O& o) { return ParseException(v, o.faults.exceptions); }},
        {"noise-every", "N", "fault: noise bytes before the \":\" of every Nth reply",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.noiseEvery); }},
        {"noise", "HEX", "the noise bytes as hex digits (default FF00233F7E7F0D0A)",
         [](const QString& v, O& o) { return ParseHexBytes(v, o.faults.noise); }},
        {"chunk", "N", "fault: write replies in pieces of N bytes",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 65535, o.faults.chunkSize); }},
        {"chunk-gap", "MS", "pause between the pieces (default 2)",
         [](const QString& v, O& o) { return ParseMilliseconds(v, o.faults.chunkGap); }},
        {"hangup-after", "N", "fault: after the reply to the Nth request close the line and exit",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 1'000'000, o.faults.hangUpAfter); }},
        {"irq-flag", "N", "fault: interrupt events carry record flag N (default 01 when\n"
                          "values follow, else 00)",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.faults.irqFlag.emplace()); }},
        {"irq-claim", "N", "fault: interrupt events claim N register values whatever\n"
                           "values they carry",
         [](const QString& v, O& o) { return ParseInRange(v, 0, 255, o.faults.irqClaim.emplace()); }},
        {"event-times", "FILE", "append the steady-clock time in ns at which each interrupt\n"
                                "event's last byte was written to FILE, one a line",
         [](const QString& v, O& o) { o.eventTimesPath = v; return !v.isEmpty(); }},
        {"log", "FILE", "append every request and reply line with a time stamp to FILE",
         [](const QString& v, O& o) { o.logPath = v; return !v.isEmpty(); }},
        {"help", nullptr, "show this text",
         [](const QString&, O& o) { o.help = true; return true; }},
    };
    // clang-format on
    return table;
}

const Option* FindOption(const QString& name) {
    for (const Option& option : OptionTable())
        if (name == QLatin1String(option.name)) return &option;
    return nullptr;
}

}  // namespace

ParsedOptions ParseBoardOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            parsed.error = QStringLiteral("unexpected argument \"%1\"").arg(argument);
            return parsed;
        }
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const Option* option = FindOption(name);
        if (!option) {
            parsed.error = QStringLiteral("unknown option --%1").arg(name);
            return parsed;
        }
        if (option->value && !value) {
            if (i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("--%1 needs a value").arg(name);
                return parsed;
            }
            value = arguments[++i];
        }
        if (!option->value && value) {
            parsed.error = QStringLiteral("--%1 takes no value").arg(name);
            return parsed;
        }
        if (!option->apply(value.value_or(QString()), parsed.options)) {
            parsed.error = QStringLiteral("bad value \"%1\" for --%2").arg(*value, name);
            return parsed;
        }
    }
    return parsed;
}

QString BoardUsage() {
    QString text = QStringLiteral(
        "Usage: torvel-board [OPTION]...\n"
        "A simulated device board: a Modbus ASCII slave on a pseudo-terminal. It serves\n"
        "functions 17 (identification), 1, 3, 5, 6 (coils and holding registers), 20 and 21\n"
        "on file 0 (RAM/ROM bytes, record = byte address), the FPGA upload on file 10\n"
        "(record 0 starts, record 1 appends, record 2 ends), and 25 (interrupt events).\n"
        "Registers start out holding their own address, RAM/ROM bytes the low byte of\n"
        "theirs, coils off. A frame with a wrong LRC gets no reply at all.\n"
        "Function 25 is acknowledged with a byte count and the request's data; each event\n"
        "then comes as a function-25 reply: byte count, record flag (01 when values follow),\n"
        "the line, the value count, and the low byte of each register asked for.\n"
        "Numbers are decimal, or hexadecimal after 0x. It runs until SIGINT or SIGTERM\n"
        "and then removes its link.\n\nOptions:\n");
    for (const Option& option : OptionTable()) {
        QString head = QStringLiteral("  --") + QLatin1String(option.name);
        if (option.value) head += QLatin1Char(' ') + QLatin1String(option.value);
        const QStringList lines = QString::fromUtf8(option.help).split(QLatin1Char('\n'));
        // A name too long for its column puts its help on the lines below.
        if (head.size() >= 26) text += head + QLatin1Char('\n');
        text += (head.size() >= 26 ? QString(26, QLatin1Char(' ')) : head.leftJustified(26)) +
                lines[0] + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(26, QLatin1Char(' ')) + lines[i] + QLatin1Char('\n');
    }
    return text;
}

}  // namespace torvel::board
