#include "common/datetime.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

using namespace torvel;

TEST(DateTimeText, PosixLocaleGivesRussianForms) {
    const QDateTime moment(QDate(2026, 12, 5), QTime(9, 7, 31));
    EXPECT_EQ(DateTimeText(moment, QLocale::c()), QStringLiteral("05.12.2026 9:07:31"));
}

TEST(DateTimeText, OtherLocalesUseTheirShortDateAndNoTimeZone) {
    const QDateTime moment(QDate(2026, 12, 5), QTime(9, 7, 31));
    const QString text = DateTimeText(moment, QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_TRUE(text.startsWith(QStringLiteral("05.12.2026 "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("9:07:31"))) << text.toStdString();
    const QString us = DateTimeText(moment, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(us.startsWith(QStringLiteral("12/5/26 "))) << us.toStdString();
    EXPECT_FALSE(us.contains(QStringLiteral("UTC"))) << us.toStdString();
}
