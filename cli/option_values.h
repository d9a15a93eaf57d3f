#pragma once
// The values torvel-cli's options take, one reader each, and the window's ranges they keep
// to. Numbers are read as torvel-board reads them (common/number_text.h).

#include <QString>
#include <QStringList>
#include <optional>

#include "cli/options.h"
#include "common/number_text.h"
#include "transport/com_text.h"

namespace torvel::cli {

// The window's ranges (app/form1.ui): repetitions and RAM/ROM bytes as SpinEdit1 allows
// (its lower bound 2 is the first repeated run; 1 here is the single operation), the delay
// as SpinEdit4, interrupt events as SpinEdit6, returned registers as SpinEdit7.
inline constexpr int kMaxRepeat = 10000;
inline constexpr int kMinDelayMs = 10;
inline constexpr int kMaxDelayMs = 10000;
inline constexpr int kMaxIrqEvents = 1000;
inline constexpr int kMaxIrqRegisters = 8;
// As many values as an input file may hold (tester/input_file.h).
inline constexpr int kMaxWriteValues = 50000;
// Rates outside the window's list: from the slowest POSIX rate to what fast adapters take.
inline constexpr int kMinCustomBaud = 50;
inline constexpr int kMaxCustomBaud = 10'000'000;

// "a number 0 ... 255".
QString RangeExpectation(unsigned long long low, unsigned long long high);
// An address's range, written as addresses are.
QString AddressExpectation();
// "one of None, Odd, Even, Mark, Space".
QString ListExpectation(const QStringList& texts);

// A name that can be shown on one line: not empty, no control character.
bool PortNameAcceptable(const QString& name);

// A rate of the window's list (its text or the same number in hexadecimal) gives that entry;
// any other rate in range gives brCustom with the rate.
bool ParseBaudRate(const QString& text, LineOptions& line);

// The entry of a window's list whose text equals `text`, letters compared without regard
// to case, as the settings file's values are.
template <typename T>
bool ParseListText(const QString& text, const QStringList& texts, std::optional<T>& out) {
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (SameTextIgnoringCase(texts[i], text)) {
            out = static_cast<T>(i);
            return true;
        }
    }
    return false;
}

// "hex" or "dec", in either case.
bool ParseResultFormat(const QString& text, std::optional<bool>& decimal);
// "coil", "register" or "ram".
bool ParseTarget(const QString& text, TAddrType& target);
// FIRST:COUNT.
bool ParseRegisters(const QString& text, IrqOptions& irq);

}  // namespace torvel::cli
