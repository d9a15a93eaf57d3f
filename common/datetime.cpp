#include "common/datetime.h"

namespace torvel {

namespace {

bool IsPosixLocale(const QLocale& locale) {
    return locale.language() == QLocale::C;
}

// The long time format without its time-zone part ("t"), which events never show.
QString TimeFormatWithoutZone(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

}  // namespace

QString DateTimeText(const QDateTime& moment, const QLocale& locale) {
    if (IsPosixLocale(locale)) return moment.toString(QStringLiteral("dd.MM.yyyy H:mm:ss"));
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(moment.time(), TimeFormatWithoutZone(locale));
}

QString NowText() {
    return DateTimeText(QDateTime::currentDateTime());
}

}  // namespace torvel
