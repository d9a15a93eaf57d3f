#pragma once
// The tester's run: a read, a write or the interrupt handler mode at a time, with its
// steppers, its repetition timers (Timer2 for coils and registers, Timer3 for RAM/ROM) and its
// result file. Its options come from the session's settings, as the front end left them
// (address type, repetition, delay, files, interrupt line ...); the address and values typed
// come with the start.

#include <QString>
#include <optional>

#include "common/rate_estimator.h"
#include "protocol/exchange.h"
#include "session/board_session.h"
#include "tester/input_file.h"
#include "tester/irq_operation.h"
#include "tester/read_operation.h"
#include "tester/result_file.h"
#include "tester/result_format.h"
#include "tester/write_operation.h"

class QTimer;

namespace torvel {

class TTesterRun {
public:
    explicit TTesterRun(TBoardSession& session);
    ~TTesterRun();
    TTesterRun(const TTesterRun&) = delete;
    TTesterRun& operator=(const TTesterRun&) = delete;

    // `address` is the full value of the address field, checked against the board's map.
    TRefusal StartRead(std::int64_t address);
    // `value` is the full value of the value field, checked to fit a byte unless the values
    // come from the input file.
    TRefusal StartWrite(std::int64_t address, std::int64_t value);
    // The same with values given as an input file gives them, written in turn.
    TRefusal StartWrite(std::int64_t address, std::int64_t value, const TInputValues& values);
    // `firstRegister` is the full value of the first-register field.
    TRefusal StartIrq(std::int64_t firstRegister);

    // "Ст&оп": a repeated operation ends at once, an armed handler is told to disarm and the
    // mode ends at the board's answer. False when nothing repeats or is armed.
    bool Stop();
    // A connect, a load or the end of the session cuts the operation short; an armed board (or
    // one being armed) is told to disarm first, without waiting for its answer.
    void Abandon();
    // The one way every operation ends, `outcome` saying how a failed exchange ended.
    void End(TRunEndReason reason, ExchangeOutcome outcome = ExchangeOutcome::eoReply,
             int exceptionCode = 0, const QString& status = QString());

    // A request of the tester; its reply goes to the operation under way.
    bool Send(std::uint8_t function, const QString& data);
    // The ticks of the two repetition timers.
    void RepetitionTick();
    void PageTick();

    bool Active() const { return operation_ != TTesterOperation::toNone; }
    TTesterOperation Operation() const { return operation_; }
    bool IrqArmed() const { return operation_ == TTesterOperation::toIrq && irq_.Armed(); }
    bool IrqStopRequested() const {
        return operation_ == TTesterOperation::toIrq && irq_.StopRequested();
    }
    QTimer* RepetitionTimer() const { return repetitionTimer_; }
    QTimer* PageTimer() const { return pageTimer_; }
    const TResultFile& ResultFile() const { return resultFile_; }

    // An operation that ends before it starts: the status says the operator erred.
    void RefuseStart(const QString& event, const QString& tag = QString());

private:
    // The repeat count and delay in effect for the operation that starts.
    void PrepareStart();
    TRefusal RefuseAddress();
    void Begin(TTesterOperation operation, const QString& what, quint16 address);
    bool SendFirst(const TTesterRequest& request, TPacer pacer);
    TRefusal StartWriteOf(std::int64_t address, std::int64_t value,
                          const std::optional<TInputValues>& given);
    void Reply(const DecodedReply& reply);
    void ReadReply(const DecodedReply& reply);
    void WriteReply(const DecodedReply& reply);
    void IrqReply(const DecodedReply& reply);
    void Follow(TStepEnd end);
    // The speed of the repeated operation, just after one of its requests has gone.
    void ShowSpeed(const TRepeatingOperation& operation, bool first);
    void Disarm();
    TRepeatingOperation* Repeating();
    TBoardRanges BoardRanges() const;
    void StopTimers();
    void FinishPath();
    void StopPath();
    void AbandonPath();

    bool OpenResultFile(const QString& header);
    void WriteResultValue(const TResultValue& value);
    void WriteIrqEvent(int eventNumber, const QString& payload);
    void CloseResultFile();

    TBoardSession& session_;
    TExchangeOperation exchangeOperation_;
    TTesterOperation operation_ = TTesterOperation::toNone;
    TTesterRead read_;
    TTesterWrite write_;
    TTesterIrq irq_;
    QTimer* repetitionTimer_ = nullptr;
    QTimer* pageTimer_ = nullptr;
    TResultFile resultFile_;
    std::optional<TResultLayout> resultLayout_;
    // The speed of a repeated read or write, in requests.
    RateEstimator rate_;
    bool speedShown_ = false;
};

}  // namespace torvel
