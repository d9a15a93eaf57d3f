#pragma once
// The text of the result file: the headers of a read and of the interrupt wait, the values
// of a read laid out in columns, and the records of interrupt events. Every line ends in
// CR LF; the file itself (TResultFile) only stores what these give.

#include <QString>
#include <cstdint>

namespace torvel {

inline constexpr char16_t kResultLineEnd[] = u"\r\n";

// The options of the "Тестер" settings group that shape the file.
struct TResultFormat {
    bool Decimal = false;  // OutputFormat 1 ("DEC")
    bool AddStep = true;   // begin each line with the address or step of its first value
    int NumberOfColumns = 16;
};

// The two header lines of a read, each with its line end. `stamp` is the date and time in
// the journal's form (NowText).
QString ReadHeader(const QString& stamp, std::uint16_t address, bool autoRepeat, int stepcount,
                   bool decimal);

// The four header lines of the interrupt wait.
QString IrqHeader(const QString& stamp, int irqNumber, int irqRepeatCount,
                  std::uint16_t irqReturnAddr, int irqRegCount, bool decimal);

// Lays the values of one read out in lines of NumberOfColumns; one per operation.
class TResultLayout {
public:
    explicit TResultLayout(const TResultFormat& format) : format_(format) {}

    // The text WriteResultValue adds for one value. `valueText` is the value's hex text as
    // received (a register keeps its four digits in HEX; DEC shows its low byte). The label
    // is base + ordinal - 1: the address of a RAM/ROM value or the step of a repetition.
    QString FormatResultValue(const QString& valueText, std::uint16_t base, int ordinal);

    int ValuesInLine() const { return valuesInLine_; }
    const TResultFormat& Format() const { return format_; }

private:
    TResultFormat format_;
    int valuesInLine_ = 0;
};

// The record WriteIrqEvent adds for event number `eventNumber` with the function-25 payload
// as hex text; empty when the event carries no record (flag byte 0, more than 8 registers).
// Only register values really present in the payload are written.
QString FormatIrqEvent(int eventNumber, const QString& payload, const TResultFormat& format);

}  // namespace torvel
