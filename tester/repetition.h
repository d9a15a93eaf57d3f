#pragma once
// What the tester's read and write have in common: the request they send, which timer paces
// their repetitions, and what a tick of that timer sends next.

#include <QString>
#include <cstdint>
#include <optional>

#include "tester/chunk_plan.h"

namespace torvel {

struct TTesterRequest {
    std::uint8_t Function = 0;
    QString Data;
};

// Which timer paces a repeated operation.
enum class TPacer { None, Repetition /* Timer2 */, Pages /* Timer3 */ };

// How a reply leaves the operation.
enum class TStepEnd {
    Continue,  // a timer sends the next request
    Done,      // over: controls back, the reply's status stays on screen
    Stop,      // over through StopTesterOperation
};

// The requests of a repeated operation: sent so far and in all.
struct TRequestCount {
    int Sent = 0;
    int Total = 0;
    bool operator==(const TRequestCount&) const = default;
};

struct TRepetition {
    std::optional<TTesterRequest> Request;  // nothing: all repetitions are sent, it is over
    int Progress = 0;                       // PBTest after sending
};

class TRepeatingOperation {
public:
    TPacer Pacer() const { return pacer_; }
    // A tick of the repetition timer with no reply pending: the request the last reply left,
    // until Stepcount requests have gone.
    TRepetition NextRepetition();
    // A tick of the page timer with no reply pending: the chunk the last reply prepared.
    TRepetition NextPage() const;
    // Asked just after a request has gone (the first, or one a timer sent): the requests sent
    // so far and in all; nothing of either for an operation that does not repeat.
    TRequestCount Requests() const;

protected:
    TRepeatingOperation() = default;
    ~TRepeatingOperation() = default;

    void Begin(bool autoRepeat, int stepcount);
    // Plans a repeated RAM/ROM run and hands the pacing to the page timer; false when the run
    // cannot be carried (see PlanChunks).
    bool PlanPages(std::int64_t first, int count, int chunkSize);
    bool Paged() const { return plan_.has_value(); }
    // The chunk of the request in flight, which the reply in hand answers.
    const TPageChunk& CurrentChunk() const;
    // Counts that chunk answered; the chunk to send next, or nothing when that was the last.
    const TPageChunk* NextChunk();

    TTesterRequest last_;
    int repeatIndex_ = 0;
    int stepcount_ = 0;

private:
    TPacer pacer_ = TPacer::None;
    std::optional<TChunkPlan> plan_;
    int pagesDone_ = 1;  // one more than the chunks answered
};

}  // namespace torvel
