#include "cli/interruption.h"

#include "cli/exit_codes.h"

namespace torvel::cli {

Interruption::Interruption(QObject* parent) : QObject(parent) {
    signals_.EndAtOnceOnRepeat(kExitInterrupted);
    connect(&signals_, &TerminationSignals::TerminationRequested, this, [this](int number) {
        if (signalNumber_ != 0) return;
        signalNumber_ = number;
        emit StopRequested();
    });
}

}  // namespace torvel::cli
