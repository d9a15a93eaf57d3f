#include "app/journal_export.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QRegularExpression>

#include "support/qt_printers.h"
#include "window_fixture.h"

using namespace torvel;
using torvel_test::InTemporaryDirectory;
using torvel_test::ReadFileBytes;

namespace {

template <std::size_t N>
QByteArray Bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

TEST(JournalCsv, JoinsBySemicolonAndQuotesOnlyValuesThatHoldOne) {
    const QList<TLogRecord> entries{
        {"05.12.2026 9:07:31", "a;b", "ОШИБКА"},
        {"t2", "say \"hi\"; ok", ""},
        {"t3", "plain \"quoted\"", ";"},
    };
    EXPECT_EQ(JournalCsv(entries),
              QByteArray("05.12.2026 9:07:31;\"a;b\";\xCE\xD8\xC8\xC1\xCA\xC0\r\n"
                         "t2;\"say \"hi\"; ok\";\r\n"
                         "t3;plain \"quoted\";\";\"\r\n"));
}

TEST(JournalCsv, EmptyJournalGivesAnEmptyFile) {
    EXPECT_EQ(JournalCsv({}), QByteArray());
}

TEST(JournalListView, WritesHeaderFlagAndLittleEndianLengths) {
    const QList<TLogRecord> entries{{"1", "Аб", ""}, {"t", "x", "ТЕСТЕР"}};
    EXPECT_EQ(JournalListView(entries), Bytes("LISTVIEW01\0"
                                              "\x03\0"
                                              "\x01\0"
                                              "1"
                                              "\x02\0"
                                              "\xC0\xE1"
                                              "\0\0"
                                              "\x03\0"
                                              "\x01\0"
                                              "t"
                                              "\x01\0"
                                              "x"
                                              "\x06\0"
                                              "\xD2\xC5\xD1\xD2\xC5\xD0"));
}

TEST(JournalListView, EmptyJournalIsTheHeaderAlone) {
    EXPECT_EQ(JournalListView({}), Bytes("LISTVIEW01\0"));
}

TEST(JournalListView, TextBeyondSixteenBitsIsCutToFit) {
    const QByteArray bytes = JournalListView({{"t", QString(70000, u'я'), ""}});
    // header 11, column count 2, time 2+1, then the title's length field
    ASSERT_GT(bytes.size(), 18);
    EXPECT_EQ(bytes.mid(16, 2), Bytes("\xFF\xFF"));
    EXPECT_EQ(bytes.size(), 16 + 2 + 0xFFFF + 2);
}

TEST(JournalPrintLine, BracketsTheTimeAndSpacesTheSeparator) {
    EXPECT_EQ(JournalPrintLine({"05.12.2026 9:07:31", "Начало сеанса", ""}),
              QStringLiteral("[05.12.2026 9:07:31]Начало сеанса > "));
    EXPECT_EQ(JournalPrintLine({"t", "a>b", "ОШИБКА"}), QStringLiteral("[t]a>b > ОШИБКА"));
}

class JournalPrint : public InTemporaryDirectory {
protected:
    static int PageCount(const QByteArray& pdf) {
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        return int(QString::fromLatin1(pdf).count(page));
    }

    QByteArray PrintToPdf(const QList<TLogRecord>& entries) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PathOf(QStringLiteral("journal.pdf")));
        EXPECT_TRUE(PrintJournal(entries, printer));
        return ReadFileBytes(PathOf(QStringLiteral("journal.pdf")));
    }
};

TEST_F(JournalPrint, FewEntriesFitOnePage) {
    const QByteArray pdf = PrintToPdf({{"t", "Начало сеанса", ""}, {"t", "Конец сеанса", ""}});
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(PageCount(pdf), 1);
}

TEST_F(JournalPrint, StartsANewPageWhenTheNextLineWouldNotFit) {
    QList<TLogRecord> entries;
    for (int i = 0; i < 300; ++i) entries.append({"t", QString::number(i), ""});
    const QByteArray pdf = PrintToPdf(entries);
    EXPECT_GE(PageCount(pdf), 3);
    EXPECT_LE(PageCount(pdf), 10);
}

TEST_F(JournalPrint, AtomicSaveWritesTheBytes) {
    ASSERT_TRUE(SaveFileAtomically(PathOf(QStringLiteral("x.dat")), Bytes("a\0b")));
    EXPECT_EQ(ReadFileBytes(PathOf(QStringLiteral("x.dat"))), Bytes("a\0b"));
    EXPECT_FALSE(SaveFileAtomically(PathOf(QStringLiteral("no/such/dir/x.dat")), "a"));
}

}  // namespace
