#pragma once
// One board's share of a torvel-cli run: its own session on its own port, driven through the
// same runs of work as the window (identification, FPGA load, tester run) in the order the
// command needs, reporting to the run's output, and ending once with an outcome.

#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "cli/options.h"
#include "cli/output.h"
#include "cli/summary.h"
#include "session/board_session.h"
#include "session/session_view.h"
#include "session/settings.h"

namespace torvel::cli {

class BoardJob final : private TSessionView {
public:
    // The settings come from "TORVEL.INI" of the current folder, under the command line's
    // options; `port` empty takes the file's port. `report` hears every event (the journal);
    // `finished` is called once, when the board is done.
    BoardJob(const CliOptions& options, const QString& port, Output& output,
             std::function<void(const EventRecord&)> report, std::function<void()> finished);

    TBoardSession& Session() { return session_; }
    // The port's name as output lines give it.
    const QString& Port() const { return port_; }

    void Start();
    // Stops at the next safe point: a repetition ends, an armed board is disarmed, a load
    // ends after the record in flight; what is under way otherwise ends by itself.
    void Interrupt();

    bool Finished() const { return step_ == Step::Done; }
    const SummaryRow& Row() const { return row_; }

private:
    enum class Step { Idle, Identifying, Loading, Verifying, Testing, Done };

    void Identify(Step step);
    void Identified();
    void StartLoad();
    void StartTester();
    void Ended(TRunKind kind, TRunEndReason reason);
    void Finish(Outcome outcome);
    void Fail(Outcome outcome, const QString& text);
    // What a start that could not go means for this board.
    void Refused(TRefusal refusal);

    // What the session shows.
    void Event(const TSessionEvent& event) override;
    void UploadPosition(quint16 position) override;
    void ResultValue(const TResultValue& value) override;
    void IrqEvent(int number, const QString& payload) override;
    void RunEnded(TRunKind kind, TRunEndReason reason) override;

    const CliOptions& options_;
    TSettings settings_;
    Output& output_;
    std::function<void(const EventRecord&)> report_;
    std::function<void()> finished_;
    TBoardSession session_;
    QString port_;
    Step step_ = Step::Idle;
    bool interrupted_ = false;
    // The last event: what ended a board that failed.
    QString lastError_;
    QElapsedTimer clock_;
    SummaryRow row_;
};

}  // namespace torvel::cli
