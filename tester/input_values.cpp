#include "tester/input_values.h"

#include "common/hex.h"

namespace torvel {

QString NextInputValue(const TInputValues& values, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) return QStringLiteral("00");
    return Hex(values[static_cast<std::size_t>(index)], 2);
}

QString NextInputValues(const TInputValues& values, int& index, int count) {
    QString text;
    if (count <= 0) return text;
    text.reserve(2 * count);
    for (int i = 0; i < count; ++i) text += NextInputValue(values, index + i);
    index += count;
    return text;
}

TRepeatReduction ReduceRepeatCount(int stepcount, int valueCount, const QString& inputFileName) {
    if (valueCount >= stepcount) return {stepcount, {}};
    return {
        valueCount,
        {{QStringLiteral("Количество повторов превышает объем выбранного файла ") + inputFileName,
          QStringLiteral("ОПЕРАТОР")},
         {QStringLiteral("Количество повторов уменьшено до ") + QString::number(valueCount),
          QStringLiteral("ТЕСТЕР")}}};
}

}  // namespace torvel
