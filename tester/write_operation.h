#pragma once
// The tester's write as a stepper: the first request (a coil, a register or RAM/ROM bytes,
// from the value field or the input file), what each reply changes, and what the timers
// send next. The window sends and shows.

#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/outcome.h"
#include "tester/address_rules.h"
#include "tester/input_values.h"
#include "tester/repetition.h"

namespace torvel {

struct TWriteSettings {
    TAddrType AddrType = atCoil;
    std::int64_t Address = 0;  // the full value of the address field
    bool AutoRepeat = false;
    int Stepcount = 2;       // repetitions, or for RAM/ROM the bytes to write
    std::uint8_t Value = 0;  // the value field, checked to fit a byte by the caller
    bool WriteFromFile = false;
    TInputValues Inputs;    // the input file's values when WriteFromFile
    QString InputFileName;  // named by the events of a reduced repeat count
    TBoardRanges Board;
};

enum class TWriteRefusal {
    wrNone,
    wrAddress,   // the board does not admit the address, or the run cannot be carried
    wrNoValues,  // a repeated RAM/ROM write from a file that holds no value
};

struct TWriteStart {
    std::optional<TTesterRequest> Request;  // nothing: refused, nothing to send
    TWriteRefusal Refusal = TWriteRefusal::wrNone;
    // Said before the request goes (a repeat count reduced to the file), refused or not.
    std::vector<TTesterEvent> Events;
    std::optional<std::uint8_t> Shown;  // the value field takes the value the request carries
    // The repeat count reduced to the input file's values, refused or not; it replaces the
    // one asked for.
    std::optional<int> Stepcount;
};

struct TWriteStep {
    std::optional<std::uint8_t> Shown;  // the value the next repetition carries
    TStepEnd End = TStepEnd::Continue;
};

class TTesterWrite : public TRepeatingOperation {
public:
    TWriteStart Start(TWriteSettings settings);
    // A reply of the write's own function (5, 6 or 21): arrival is all it says.
    TWriteStep Reply(const DecodedReply& reply);

private:
    // The bytes of one RAM/ROM chunk: the next input values, or the value repeated.
    QString ChunkBytes(int length);

    TWriteSettings settings_;
};

}  // namespace torvel
