#pragma once
// The tester's read as a stepper: it says which request to send first, what each reply shows
// and writes, and what the repetition timers send next. The window sends, shows and writes.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/outcome.h"
#include "tester/address_rules.h"
#include "tester/chunk_plan.h"

namespace torvel {

struct TTesterRequest {
    std::uint8_t Function = 0;
    QString Data;
};

// One value for WriteResultValue: its text as received, labelled Base + Ordinal - 1.
struct TResultValue {
    QString Text;
    std::uint16_t Base = 0;
    int Ordinal = 1;
};

// Which timer paces a repeated operation.
enum class TPacer { None, Repetition /* Timer2 */, Pages /* Timer3 */ };

// How a reply leaves the operation.
enum class TStepEnd {
    Continue,  // a timer sends the next request
    Done,      // over: controls back, the reply's status stays on screen
    Stop,      // over through StopTesterOperation
};

struct TReadSettings {
    TAddrType AddrType = atCoil;
    std::int64_t Address = 0;  // the full value of the address field
    bool AutoRepeat = false;
    int Stepcount = 2;  // repetitions, or for RAM/ROM the bytes to read
    TBoardRanges Board;
};

struct TReadStep {
    // A coil or register reply without its value: an exchange error, not a value of 0.
    bool Malformed = false;
    std::optional<std::uint8_t> Shown;  // the read value for the result field, when one came
    std::vector<TResultValue> Values;
    TStepEnd End = TStepEnd::Continue;
};

struct TRepetition {
    std::optional<TTesterRequest> Request;  // nothing: all repetitions are sent, the read is over
    int Progress = 0;                       // PBTest after sending
};

class TTesterRead {
public:
    // The first request, or nothing when the board does not admit the address (or a RAM/ROM
    // run would pass its last record or the board's buffer holds no byte per request).
    std::optional<TTesterRequest> Start(const TReadSettings& settings);
    TPacer Pacer() const { return pacer_; }

    // A reply of the read's own function (1, 3 or 20).
    TReadStep Reply(const DecodedReply& reply);
    // A tick of the repetition timer with no reply pending.
    TRepetition NextRepetition();
    // A tick of the page timer with no reply pending: the chunk the last reply prepared.
    TRepetition NextPage() const;

private:
    TReadStep PageReply(const QString& data);

    TReadSettings settings_;
    TPacer pacer_ = TPacer::None;
    TTesterRequest last_;
    int repeatIndex_ = 0;
    std::optional<TChunkPlan> plan_;
    int pagesDone_ = 1;  // one more than the pages answered
};

}  // namespace torvel
