#include "transport/com_text.h"

#include <array>

namespace torvel {

namespace {

// clang-format off
constexpr std::array<const char*, 16> kBaudTexts = {
    "Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400",
    "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<int, 16> kBaudValues = {
    0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200,
    128000, 256000};
constexpr std::array<const char*, 4> kDataBitsTexts = {"5", "6", "7", "8"};
constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};
constexpr std::array<const char*, 5> kParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 4> kFlowTexts = {"Hardware", "Software", "None", "Custom"};
// clang-format on

char16_t UpperAZ(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

template <std::size_t N>
QString TextAt(const std::array<const char*, N>& texts, int index) {
    if (index < 0 || index >= static_cast<int>(N)) return QString();
    return QString::fromLatin1(texts[static_cast<std::size_t>(index)]);
}

template <std::size_t N>
int IndexOfText(const std::array<const char*, N>& texts, const QString& text, int fallback) {
    for (std::size_t i = 0; i < N; ++i) {
        if (SameTextIgnoringCase(QString::fromLatin1(texts[i]), text)) return static_cast<int>(i);
    }
    return fallback;
}

template <std::size_t N>
QStringList AllTexts(const std::array<const char*, N>& texts) {
    QStringList list;
    for (const char* text : texts) list.append(QString::fromLatin1(text));
    return list;
}

}  // namespace

bool SameTextIgnoringCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (UpperAZ(a[i].unicode()) != UpperAZ(b[i].unicode())) return false;
    }
    return true;
}

QString BaudRateToText(TBaudRate value) {
    return TextAt(kBaudTexts, value);
}
QString DataBitsToText(TDataBits value) {
    return TextAt(kDataBitsTexts, value);
}
QString StopBitsToText(TStopBits value) {
    return TextAt(kStopBitsTexts, value);
}
QString ParityToText(TParityBits value) {
    return TextAt(kParityTexts, value);
}
QString FlowControlToText(TFlowControl value) {
    return TextAt(kFlowTexts, value);
}

TBaudRate TextToBaudRate(const QString& text) {
    return static_cast<TBaudRate>(IndexOfText(kBaudTexts, text, br9600));
}
TDataBits TextToDataBits(const QString& text) {
    return static_cast<TDataBits>(IndexOfText(kDataBitsTexts, text, dbEight));
}
TStopBits TextToStopBits(const QString& text) {
    return static_cast<TStopBits>(IndexOfText(kStopBitsTexts, text, sbOneStopBit));
}
TParityBits TextToParity(const QString& text) {
    return static_cast<TParityBits>(IndexOfText(kParityTexts, text, prNone));
}
TFlowControl TextToFlowControl(const QString& text) {
    return static_cast<TFlowControl>(IndexOfText(kFlowTexts, text, fcCustom));
}

QStringList BaudRateTexts() {
    return AllTexts(kBaudTexts);
}
QStringList DataBitsTexts() {
    return AllTexts(kDataBitsTexts);
}
QStringList StopBitsTexts() {
    return AllTexts(kStopBitsTexts);
}
QStringList ParityTexts() {
    return AllTexts(kParityTexts);
}
QStringList FlowControlTexts() {
    return AllTexts(kFlowTexts);
}

int BaudRateValue(TBaudRate value) {
    // The enumeration's own type may be unsigned; the bound is checked on a plain index.
    const auto index = static_cast<std::size_t>(value);
    return index < kBaudValues.size() ? kBaudValues[index] : 0;
}

}  // namespace torvel
