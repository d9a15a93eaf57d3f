#pragma once
// The command line's answer to SIGINT, SIGTERM and SIGHUP: the first asks every board to
// stop at its next safe point (a repetition ends, an armed board is disarmed, files are
// closed with what was read); a second one ends the process at once, from the signal
// handler, with kExitInterrupted.

#include <QObject>

#include "common/termination_signals.h"

namespace torvel::cli {

class Interruption : public QObject {
    Q_OBJECT
public:
    explicit Interruption(QObject* parent = nullptr);

    // A signal came: the run's exit status is kExitInterrupted whatever the boards did.
    bool Requested() const { return signalNumber_ != 0; }
    int SignalNumber() const { return signalNumber_; }

signals:
    // Once, on the first signal. The driver asks each board to stop.
    void StopRequested();

private:
    TerminationSignals signals_;
    int signalNumber_ = 0;
};

}  // namespace torvel::cli
