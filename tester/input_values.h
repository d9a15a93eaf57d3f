#pragma once
// Taking the values of a write from the loaded input file, and fitting a repeated RAM/ROM
// write to the number of values the file holds.

#include <QString>
#include <vector>

#include "tester/input_file.h"

namespace torvel {

// An event for the journal: its text and its tag (empty for none).
struct TTesterEvent {
    QString Text;
    QString Tag;
    bool operator==(const TTesterEvent&) const = default;
};

// NextInputValue: the value at `index` as two hex digits; "00" past the end. Does not advance.
QString NextInputValue(const TInputValues& values, int index);

// NextInputValues: `count` values from `index` on, each two hex digits, and `index` advanced
// by `count`. Places past the end give "00", so the text always holds `count` bytes and a
// request built from it says what it carries.
QString NextInputValues(const TInputValues& values, int& index, int count);

struct TRepeatReduction {
    int Stepcount = 0;                 // the count to go on with
    std::vector<TTesterEvent> Events;  // to log, in order; none when nothing was reduced
};

// A repeated RAM/ROM write from a file never writes more bytes than the file holds: a larger
// repeat count is reduced to the number of values, with one event saying so to the operator
// and one saying what it became. A count of 0 is the caller's to refuse.
TRepeatReduction ReduceRepeatCount(int stepcount, int valueCount, const QString& inputFileName);

}  // namespace torvel
