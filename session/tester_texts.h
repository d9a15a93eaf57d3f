#pragma once
// Texts the tester's run and the window's tester tab share.

#include <QString>

namespace torvel {

inline const QString kTesterTag = QStringLiteral("ТЕСТЕР");
inline const QString kOperatorTag = QStringLiteral("ОПЕРАТОР");
inline const QString kOperatorError = QStringLiteral("ОШИБКА Оператора");
// Status-bar panel 3 while a tester operation runs.
inline const QString kTesterMarker = QStringLiteral("Тестер");

}  // namespace torvel
