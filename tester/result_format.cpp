#include "tester/result_format.h"

#include "common/hex.h"
#include "common/text.h"
#include "tester/replies.h"

namespace torvel {

namespace {

QString LineEnd() {
    return QString::fromUtf16(kResultLineEnd);
}

QString FormatName(bool decimal) {
    return decimal ? QStringLiteral("DEC") : QStringLiteral("HEX");
}

QString StampedLine(const QString& stamp, const QString& text) {
    return QStringLiteral("// [") + stamp + QStringLiteral("] ") + text + LineEnd();
}

QString Decimal(int value) {
    return QString::number(value);
}

// Upper-case hex padded to at least `digits`; a larger number keeps all its digits rather
// than being shown as another one.
QString HexAtLeast(int value, int digits) {
    return PadLeft(QString::number(value, 16).toUpper(), digits, QChar(u'0'));
}

}  // namespace

QString ReadHeader(const QString& stamp, std::uint16_t address, bool autoRepeat, int stepcount,
                   bool decimal) {
    QString text = StampedLine(stamp, QStringLiteral("Результаты чтения по адресу ") +
                                          Hex(address, 5) + QStringLiteral("h"));
    if (autoRepeat) {
        text += QStringLiteral("// с повтором ") + Decimal(stepcount) +
                QStringLiteral(" раз, формат ") + FormatName(decimal);
    } else {
        text += QStringLiteral("// Формат ") + FormatName(decimal);
    }
    return text + LineEnd();
}

QString IrqHeader(const QString& stamp, int irqNumber, int irqRepeatCount,
                  std::uint16_t irqReturnAddr, int irqRegCount, bool decimal) {
    return StampedLine(stamp, QStringLiteral("Обработчик прерывания #") + Decimal(irqNumber)) +
           QStringLiteral("// Количество обрабатываемых прерываний ") + Decimal(irqRepeatCount) +
           LineEnd() + QStringLiteral("// Стартовый регистр ") + Hex(irqReturnAddr, 5) +
           QStringLiteral("h, всего регистров ") + Decimal(irqRegCount) + LineEnd() +
           QStringLiteral("// Формат ") + FormatName(decimal) + LineEnd();
}

QString TResultLayout::FormatResultValue(const QString& valueText, std::uint16_t base,
                                         int ordinal) {
    ++valuesInLine_;
    const int label = base + ordinal - 1;
    QString text;
    if (valuesInLine_ == 1 && format_.AddStep) {
        text = format_.Decimal ? PadLeft(Decimal(label), 5, QChar(u'0')) : HexAtLeast(label, 5);
        text += QStringLiteral(":  ");
    }
    text += format_.Decimal ? PadLeft(Decimal(HexToInt(valueText)), 3, QChar(u' ')) : valueText;
    text += QChar(u' ');
    if (valuesInLine_ >= format_.NumberOfColumns) {
        text += LineEnd();
        valuesInLine_ = 0;
    }
    return text;
}

QString FormatIrqEvent(int eventNumber, const QString& payload, const TResultFormat& format) {
    const TIrqEvent event = DecodeIrqEvent(payload);
    if (!event.CarriesRecord) return QString();
    QString text = LineEnd() + QStringLiteral("Event ") +
                   (format.Decimal ? PadLeft(Decimal(eventNumber), 5, QChar(u'0'))
                                   : HexAtLeast(eventNumber, 3)) +
                   QStringLiteral(": ");
    int inLine = 0;
    for (const QString& value : event.Values) {
        text += format.Decimal ? PadLeft(Decimal(HexToInt(value)), 5, QChar(u' ')) : value;
        text += QChar(u' ');
        if (++inLine >= format.NumberOfColumns) {
            text += LineEnd();
            inLine = 0;
        }
    }
    return text;
}

}  // namespace torvel
