#pragma once
// The date and time text of events, exports and file stamps: the locale's short date, a
// blank, hours:minutes:seconds without a time zone. Under the C/POSIX locale the Russian
// forms dd.MM.yyyy and H:mm:ss.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace torvel {

QString DateTimeText(const QDateTime& moment, const QLocale& locale = QLocale::system());
QString NowText();

}  // namespace torvel
