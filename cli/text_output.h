#pragma once
// The output for people: the window's event lines naming their port, the values read, the
// identity as the group "Устройство" shows it, and the summary, on standard output; with
// --quiet only the results there and the errors on standard error. The progress lines
// (when standard error is a terminal) are taken off the screen while a line is written.

#include <QIODevice>

#include "cli/output.h"
#include "cli/progress_lines.h"

namespace torvel::cli {

// The window's events-pane line: date and time, " - [" tag "] " text, or " - " text.
QString WindowEventLine(const QString& stamp, const QString& text, const QString& tag);

class TextOutput : public Output {
public:
    // `progress` may be null: no progress lines.
    TextOutput(QIODevice& out, QIODevice& err, OutputStyle style,
               ProgressLines* progress = nullptr);

    void PortName(const QString& name) override;
    void Event(const EventRecord& event) override;
    void Progress(const QString& port, qint64 done, qint64 total) override;
    void Identity(const QString& port, const DeviceIdentity& identity) override;
    void ConfigFile(const QString& port, const QString& path, const QString& typeText,
                    const QString& sizeText) override;
    void Value(const QString& port, const TResultValue& value) override;
    void IrqEvent(const QString& port, int eventNumber, const QString& payload) override;
    void Summary(const std::vector<SummaryRow>& rows) override;

private:
    // Whole lines, each with its port (when there is one), written at once.
    void Write(QIODevice& device, const QString& port, const QStringList& lines);

    QIODevice& out_;
    QIODevice& err_;
    OutputStyle style_;
    ProgressLines* progress_;
};

}  // namespace torvel::cli
