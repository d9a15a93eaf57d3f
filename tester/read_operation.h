#pragma once
// The tester's read as a stepper: it says which request to send first, what each reply shows
// and writes, and what the repetition timers send next. The window sends, shows and writes.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/outcome.h"
#include "tester/address_rules.h"
#include "tester/repetition.h"

namespace torvel {

// One value for WriteResultValue: its text as received, labelled Base + Ordinal - 1.
struct TResultValue {
    QString Text;
    std::uint16_t Base = 0;
    int Ordinal = 1;
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

class TTesterRead : public TRepeatingOperation {
public:
    // The first request, or nothing when the board does not admit the address (or a RAM/ROM
    // run would pass its last record or the board's buffer holds no byte per request).
    std::optional<TTesterRequest> Start(const TReadSettings& settings);

    // A reply of the read's own function (1, 3 or 20).
    TReadStep Reply(const DecodedReply& reply);

private:
    TReadStep PageReply(const QString& data);

    TReadSettings settings_;
};

}  // namespace torvel
