#pragma once
// What a run of torvel-cli tells: the interface the driver calls, with a text and a JSON
// implementation behind it (text_output.h, json_output.h). Each call is one whole report;
// the implementations write it at once, so a line is never cut by another board's.

#include <QDateTime>
#include <QString>
#include <vector>

#include "cli/summary.h"
#include "fpga/identity.h"
#include "tester/read_operation.h"

namespace torvel::cli {

// One event of a board, as the window's events pane would show it. An empty port is an
// event of the run itself (the journal refused, say).
struct EventRecord {
    QString port;
    QDateTime time;
    QString text;
    QString tag;  // empty for none
};

class Output {
public:
    virtual ~Output() = default;

    // `ports`: one port the window's list offers.
    virtual void PortName(const QString& name) = 0;
    virtual void Event(const EventRecord& event) = 0;
    // `done` of `total` bytes; the implementation decides how often it is shown.
    virtual void Progress(const QString& port, qint64 done, qint64 total) = 0;
    // The results: an identification, one value read (labelled as in the result file), one
    // interrupt event with its function-25 payload as hex text.
    virtual void Identity(const QString& port, const DeviceIdentity& identity) = 0;
    // The configuration file of a load as the window classifies it: its type and size texts.
    virtual void ConfigFile(const QString& port, const QString& path, const QString& typeText,
                            const QString& sizeText) = 0;
    virtual void Value(const QString& port, const TResultValue& value) = 0;
    virtual void IrqEvent(const QString& port, int eventNumber, const QString& payload) = 0;
    // Once, at the end of the run.
    virtual void Summary(const std::vector<SummaryRow>& rows) = 0;
};

// How both implementations shape what they write.
struct OutputStyle {
    bool quiet = false;    // only errors (events with a tag) and results
    bool decimal = false;  // values as --format dec
};

}  // namespace torvel::cli
