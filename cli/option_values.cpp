#include "cli/option_values.h"

#include <algorithm>

namespace torvel::cli {

QString RangeExpectation(unsigned long long low, unsigned long long high) {
    return QStringLiteral("a number %1 ... %2").arg(low).arg(high);
}

QString AddressExpectation() {
    return QStringLiteral("a number 0 ... 0xFFFF");
}

QString ListExpectation(const QStringList& texts) {
    return QStringLiteral("one of ") + texts.join(QStringLiteral(", "));
}

bool PortNameAcceptable(const QString& name) {
    return !name.isEmpty() && std::none_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
}

bool ParseBaudRate(const QString& text, LineOptions& line) {
    const auto rate = ParseNumberInRange(text, kMinCustomBaud, kMaxCustomBaud);
    if (!rate) return false;
    for (int i = br110; i <= br256000; ++i) {
        const auto listed = static_cast<TBaudRate>(i);
        if (static_cast<unsigned long long>(BaudRateValue(listed)) == *rate) {
            line.baudRate = listed;
            line.customBaudRate.reset();
            return true;
        }
    }
    line.baudRate = brCustom;
    line.customBaudRate = static_cast<int>(*rate);
    return true;
}

bool ParseResultFormat(const QString& text, std::optional<bool>& decimal) {
    if (SameTextIgnoringCase(text, QStringLiteral("hex")))
        decimal = false;
    else if (SameTextIgnoringCase(text, QStringLiteral("dec")))
        decimal = true;
    else
        return false;
    return true;
}

bool ParseTarget(const QString& text, TAddrType& target) {
    static const std::pair<const char*, TAddrType> kTargets[] = {
        {"coil", atCoil}, {"register", atRegister}, {"ram", atPage}};
    for (const auto& [name, type] : kTargets) {
        if (SameTextIgnoringCase(text, QLatin1String(name))) {
            target = type;
            return true;
        }
    }
    return false;
}

bool ParseRegisters(const QString& text, IrqOptions& irq) {
    const QStringList parts = text.split(u':');
    if (parts.size() != 2) return false;
    const auto first = ParseNumberInRange(parts[0], 0, 0xFFFF);
    const auto count = ParseNumberInRange(parts[1], 1, kMaxIrqRegisters);
    if (!first || !count) return false;
    irq.firstRegister = static_cast<std::uint16_t>(*first);
    irq.registerCount = static_cast<int>(*count);
    return true;
}

}  // namespace torvel::cli
