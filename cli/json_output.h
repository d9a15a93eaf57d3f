#pragma once
// The output for programs (--json): one compact JSON object a line on standard output,
// keys in English. "type" says what the line is: "port", "event", "progress" (at most
// kProgressPerSecond a second per board, and always its first and last), "result" (with
// "kind" "identity", "value" or "interrupt") and "summary".

#include <QHash>
#include <QIODevice>
#include <QJsonObject>

#include "cli/output.h"
#include "cli/progress_lines.h"

namespace torvel::cli {

class JsonOutput : public Output {
public:
    JsonOutput(QIODevice& out, OutputStyle style, SteadyClock clock = SteadyNowNs);

    void PortName(const QString& name) override;
    void Event(const EventRecord& event) override;
    void Progress(const QString& port, qint64 done, qint64 total) override;
    void Identity(const QString& port, const DeviceIdentity& identity) override;
    void ConfigFile(const QString& port, const QString& path, const QString& typeText,
                    const QString& sizeText) override;
    void Value(const QString& port, const TResultValue& value) override;
    void IrqEvent(const QString& port, int eventNumber, const QString& payload) override;
    void Summary(const std::vector<SummaryRow>& rows) override;

    static constexpr int kProgressPerSecond = 4;

private:
    void Write(const QJsonObject& object);

    QIODevice& out_;
    OutputStyle style_;
    SteadyClock clock_;
    struct Shown {
        qint64 atNs = 0;
        qint64 done = -1;
        qint64 total = -1;
    };
    QHash<QString, Shown> lastProgress_;
};

}  // namespace torvel::cli
