#pragma once
// What a board session reports to the front end that shows it: the events with their tags,
// exactly as the journal keeps them, and the displays that change as the runs go. The window
// turns them into its events pane and controls, the command line into lines of output. Every
// display is optional; a front end that has no such control ignores it.

#include <QString>
#include <QtGlobal>

#include "tester/read_operation.h"

namespace torvel {

class RateEstimator;

struct TSessionEvent {
    QString Text;
    QString Tag;  // empty for none

    bool operator==(const TSessionEvent&) const = default;
};

// The runs of work of a board.
enum class TRunKind { rkIdentification, rkLoad, rkTester };

// How a run ended.
enum class TRunEndReason {
    reDone,       // it did what was asked
    reRefused,    // it could not start, or the board refused what it was asked (an address)
    reStopped,    // the operator or the last interrupt event stopped it
    reFailed,     // the exchange failed: time-out, exception, bad frame, lost line, ...
    reAbandoned,  // another command or the end of the session cut it short
};

// The tester's operations; which value fields stay shown as values while one runs.
enum class TTesterOperation { toNone, toRead, toWrite, toIrq };

class TSessionView {
public:
    // One event, in the journal and the events pane.
    virtual void Event(const TSessionEvent& event) = 0;

    // Connect, open and load given to the user or taken away.
    virtual void LoadControls(bool /*enabled*/) {}
    // The tester tab given back (showing the tester's state again) or taken away.
    virtual void TesterControls(bool /*enabled*/) {}
    // The tester tab taken away while `operation` runs, its address and value still shown.
    virtual void TesterBusy(TTesterOperation /*operation*/) {}
    // The device group: the identity, the configuration status and the project file.
    virtual void DeviceChanged() {}
    // Status-bar panel 1 (board), 2 (FPGA) or 3 (the operation under way).
    virtual void Panel(int /*number*/, const QString& /*text*/) {}
    // The FPGA load: the progress bar, the position sent (0 for none) and its speed in bytes,
    // reported from the first request on and null once the load is over, however it ends.
    // A record's displays are reported just after its request has gone out.
    virtual void LoadProgress(int /*percent*/) {}
    virtual void UploadPosition(quint16 /*position*/) {}
    virtual void UploadSpeed(const RateEstimator* /*rate*/) {}
    // The tester: its short outcome, its progress bar, the values read and written.
    virtual void TesterStatus(const QString& /*text*/) {}
    virtual void TesterProgress(int /*percent*/) {}
    virtual void ReadValue(quint16 /*value*/) {}
    virtual void WriteValue(quint16 /*value*/) {}
    // A repeated read or write: its speed in requests, reported from the first request on
    // (each time just after one has gone out) and null once it is over, however it ends.
    virtual void TesterSpeed(const RateEstimator* /*rate*/) {}
    // A repeated RAM/ROM write from a file of fewer values than its repeat count goes on with
    // this count, which becomes the setting's (Stepcount) as the operation starts.
    virtual void StepcountReduced(int /*stepcount*/) {}
    // A value read, as it goes to the result file, and an interrupt event with its payload.
    virtual void ResultValue(const TResultValue& /*value*/) {}
    virtual void IrqEvent(int /*number*/, const QString& /*payload*/) {}
    // A run is over; sequencers start the next one from here.
    virtual void RunEnded(TRunKind /*kind*/, TRunEndReason /*reason*/) {}

protected:
    ~TSessionView() = default;
};

}  // namespace torvel
