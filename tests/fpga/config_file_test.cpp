#include "fpga/config_file.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include "support/qt_printers.h"

using namespace torvel;

struct TypeCase {
    const char16_t* path;
    qint64 size;
    const char16_t* type;
};

class ProjectType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ProjectType, ClassifiesByExtensionAndExactSize) {
    EXPECT_EQ(ProjectTypeText(QString::fromUtf16(GetParam().path), GetParam().size),
              QString::fromUtf16(GetParam().type));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ProjectType, ::testing::Values(
    TypeCase{u"/p/a.ttf", 20909, u"ALTERA Tabular Text File для EPF8282A"},
    TypeCase{u"/p/a.ttf", 31985, u"ALTERA Tabular Text File для EPF8452A"},
    TypeCase{u"/p/a.ttf", 47285, u"ALTERA Tabular Text File для EPF8636A"},
    TypeCase{u"/p/a.ttf", 59691, u"ALTERA Tabular Text File для EPF10K10"},
    TypeCase{u"/p/A.TTF", 47285, u"ALTERA Tabular Text File для EPF8636A"},
    TypeCase{u"/p/a.TtF", 59691, u"ALTERA Tabular Text File для EPF10K10"},
    TypeCase{u"/p/a.ttf", 47286, u"ALTERA Tabular Text File "},
    TypeCase{u"/p/a.ttf", 20908, u"ALTERA Tabular Text File "},
    TypeCase{u"/p/a.ttf", 0, u"ALTERA Tabular Text File "},
    TypeCase{u"/p/x.bit", 59691, u"XILINX Binary File"},
    TypeCase{u"/p/x.BIT", 1, u"XILINX Binary File"},
    TypeCase{u"/p/x.ttf.bak", 59691, u"?"},
    TypeCase{u"/p/x.txt", 59691, u"?"},
    TypeCase{u"/p/noext", 59691, u"?"},
    TypeCase{u"/p.ttf/noext", 59691, u"?"},   // a dot in a folder is no extension
    TypeCase{u"/p/a.ttf.", 59691, u"?"}));
// clang-format on

TEST(ProjectType, OnlyTheUnknownTypeIsNotRead) {
    EXPECT_FALSE(ProjectTypeReadable(QStringLiteral("?")));
    EXPECT_TRUE(ProjectTypeReadable(QStringLiteral("XILINX Binary File")));
    EXPECT_TRUE(ProjectTypeReadable(QStringLiteral("ALTERA Tabular Text File ")));
}

TEST(ProjectSize, TextsBeforeAndAfterReading) {
    EXPECT_EQ(ProjectSizeText(20909), QStringLiteral("20909 байт"));
    EXPECT_EQ(ProjectSizeText(20909, 5432),
              QStringLiteral("20909 байт (Информационных байт 5432)"));
    EXPECT_EQ(ProjectSizeText(0, 0), QStringLiteral("0 байт (Информационных байт 0)"));
}

TEST(ProjectModified, ShowsTheStampInUniversalTimeWithoutZoneShift) {
    // 10:08:09 at UTC+3 is 07:08:09 universal time.
    const QDateTime stamp(QDate(2024, 3, 5), QTime(10, 8, 9), QTimeZone(3 * 3600));
    EXPECT_EQ(ProjectModifiedText(stamp, QLocale::c()), QStringLiteral("05.03.2024 7:08:09"));
    EXPECT_EQ(ProjectModifiedText(QDateTime(), QLocale::c()), QString());
}

TEST(ProjectModified, ReadsTheFilesLastWriteStamp) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ttf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        file.setFileTime(QDateTime(QDate(2023, 11, 30), QTime(23, 59, 58), QTimeZone::utc()),
                         QFileDevice::FileModificationTime));
    file.close();
    const QString text = ProjectModifiedText(path);
    // The system locale decides the date form; the universal hour is what matters here.
    EXPECT_TRUE(text.endsWith(QStringLiteral("23:59:58"))) << text.toStdString();
    EXPECT_EQ(ProjectModifiedText(dir.filePath(QStringLiteral("gone.ttf"))), QString());
}
