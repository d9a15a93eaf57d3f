#include "cli/json_output.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "tester/replies.h"

namespace torvel::cli {

namespace {

constexpr qint64 kSecondNs = 1'000'000'000;

QJsonObject Typed(const char* type, const QString& port) {
    QJsonObject object{{QStringLiteral("type"), QLatin1String(type)}};
    if (!port.isNull()) object.insert(QStringLiteral("port"), port);
    return object;
}

// ISO 8601 with milliseconds and the offset from UTC, so that a program needs no locale.
QString IsoTime(const QDateTime& moment) {
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

}  // namespace

JsonOutput::JsonOutput(QIODevice& out, OutputStyle style, SteadyClock clock)
    : out_(out), style_(style), clock_(std::move(clock)) {}

void JsonOutput::Write(const QJsonObject& object) {
    out_.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void JsonOutput::PortName(const QString& name) {
    Write(Typed("port", name));
}

void JsonOutput::Event(const EventRecord& event) {
    if (style_.quiet && event.tag.isEmpty()) return;
    QJsonObject object = Typed("event", event.port);
    object.insert(QStringLiteral("time"), IsoTime(event.time));
    object.insert(QStringLiteral("text"), event.text);
    object.insert(QStringLiteral("tag"), event.tag);
    Write(object);
}

void JsonOutput::Progress(const QString& port, qint64 done, qint64 total) {
    if (style_.quiet) return;
    const qint64 now = clock_();
    Shown& shown = lastProgress_[port];
    const bool first = shown.done < 0 || total != shown.total || done < shown.done;
    const bool last = done >= total && shown.done < total;
    if (!first && !last && now - shown.atNs < kSecondNs / kProgressPerSecond) return;
    if (!first && !last && done == shown.done) return;
    shown = {now, done, total};
    QJsonObject object = Typed("progress", port);
    object.insert(QStringLiteral("done"), done);
    object.insert(QStringLiteral("total"), total);
    Write(object);
}

void JsonOutput::Identity(const QString& port, const DeviceIdentity& id) {
    QJsonObject object = Typed("result", port);
    object.insert(QStringLiteral("kind"), QStringLiteral("identity"));
    object.insert(QStringLiteral("board"), id.BoardText);
    object.insert(QStringLiteral("boardCode"), id.BoardCode);
    object.insert(QStringLiteral("fpga"), id.FpgaName);
    object.insert(QStringLiteral("fpgaCode"), id.FpgaCode);
    object.insert(QStringLiteral("configured"), id.ConfigurationLoaded);
    object.insert(QStringLiteral("loadRequired"), !id.LoadNotRequired);
    object.insert(QStringLiteral("coils"), QJsonArray{id.CoilStart, id.CoilEnd});
    object.insert(QStringLiteral("registers"), QJsonArray{id.HoldStart, id.HoldEnd});
    object.insert(QStringLiteral("pages"), id.PageCount);
    object.insert(QStringLiteral("pageSize"), id.PageSize);
    object.insert(QStringLiteral("buffer"), id.BufferSize);
    Write(object);
}

void JsonOutput::ConfigFile(const QString& port, const QString& path, const QString& typeText,
                            const QString& sizeText) {
    QJsonObject object = Typed("result", port);
    object.insert(QStringLiteral("kind"), QStringLiteral("file"));
    object.insert(QStringLiteral("path"), path);
    object.insert(QStringLiteral("fileType"), typeText);
    object.insert(QStringLiteral("size"), sizeText);
    Write(object);
}

void JsonOutput::Value(const QString& port, const TResultValue& value) {
    QJsonObject object = Typed("result", port);
    object.insert(QStringLiteral("kind"), QStringLiteral("value"));
    // The address of a RAM/ROM byte, or the step of a repetition, as the result file labels it.
    object.insert(QStringLiteral("label"), value.Base + value.Ordinal - 1);
    object.insert(QStringLiteral("text"), value.Text);
    bool ok = false;
    const uint number = value.Text.toUInt(&ok, 16);
    object.insert(QStringLiteral("value"),
                  ok ? QJsonValue(static_cast<qint64>(number)) : QJsonValue(QJsonValue::Null));
    Write(object);
}

void JsonOutput::IrqEvent(const QString& port, int eventNumber, const QString& payload) {
    const TIrqEvent event = DecodeIrqEvent(payload);
    QJsonObject object = Typed("result", port);
    object.insert(QStringLiteral("kind"), QStringLiteral("interrupt"));
    object.insert(QStringLiteral("event"), eventNumber);
    object.insert(QStringLiteral("record"), event.CarriesRecord);
    object.insert(QStringLiteral("registers"), QJsonArray::fromStringList(event.Values));
    Write(object);
}

void JsonOutput::Summary(const std::vector<SummaryRow>& rows) {
    QJsonArray ports;
    for (const SummaryRow& row : rows) {
        ports.append(QJsonObject{
            {QStringLiteral("port"), row.port},
            {QStringLiteral("outcome"), OutcomeName(row.outcome)},
            {QStringLiteral("reason"), row.reason},
            {QStringLiteral("seconds"), static_cast<double>(row.elapsedNs) / 1e9},
            {QStringLiteral("bytes"), row.bytes},
            {QStringLiteral("bytesPerSecond"), BytesPerSecond(row)},
        });
    }
    QJsonObject object = Typed("summary", QString());
    object.insert(QStringLiteral("exit"), static_cast<int>(RunExitCode(rows)));
    object.insert(QStringLiteral("ports"), ports);
    Write(object);
}

}  // namespace torvel::cli
