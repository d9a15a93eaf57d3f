#pragma once
// Private to the tester's window files (form1_tester*.cpp): texts they share.

#include <QString>

namespace torvel {

inline const QString kTesterTag = QStringLiteral("ТЕСТЕР");
inline const QString kOperatorTag = QStringLiteral("ОПЕРАТОР");
inline const QString kOperatorError = QStringLiteral("ОШИБКА Оператора");
// Status-bar panel 3 while a tester operation runs.
inline const QString kTesterMarker = QStringLiteral("Тестер");

}  // namespace torvel
