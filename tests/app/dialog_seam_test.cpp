#include "app/dialog_seam.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include "support/qt_printers.h"
#include "window_fixture.h"

using namespace torvel;

namespace {

struct FilterCase {
    const char* pipe;
    const char* qt;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.pipe;
}

class FileFilterConversion : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FileFilterConversion, GivesQtsDoubleSemicolonForm) {
    EXPECT_EQ(QtFileFilter(QString::fromUtf8(GetParam().pipe)), QString::fromUtf8(GetParam().qt));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Filters, FileFilterConversion, ::testing::Values(
    FilterCase{"CSV файл (*.csv)|*.csv|Бинарный файл (*.dat)|*.dat",
               "CSV файл (*.csv);;Бинарный файл (*.dat)"},
    FilterCase{"Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*",
               "Текстовые файлы (*.txt);;Все файлы (*.*)"},
    FilterCase{"Конфигурация|*.ttf;*.bit",       "Конфигурация (*.ttf *.bit)"},
    FilterCase{"Old (*.x)|*.y",                   "Old (*.y)"},
    FilterCase{"",                                ""}));
// clang-format on

class DialogSeamTest : public ::testing::Test {
protected:
    DialogSeam seam{nullptr};
};

TEST_F(DialogSeamTest, QueuedAnswersAreUsedInOrderAndRecorded) {
    seam.setNextAnswer(QMessageBox::Ok);
    seam.setNextAnswer(QMessageBox::Cancel);
    EXPECT_EQ(seam.Confirm(QStringLiteral("первый?")), QMessageBox::Ok);
    EXPECT_EQ(seam.Confirm(QStringLiteral("второй?")), QMessageBox::Cancel);
    ASSERT_EQ(seam.shownBoxes().size(), 2);
    EXPECT_EQ(seam.shownBoxes()[0].Title, QStringLiteral("Confirm"));
    EXPECT_EQ(seam.shownBoxes()[0].Icon, QMessageBox::Question);
    EXPECT_EQ(seam.shownBoxes()[1].Text, QStringLiteral("второй?"));
    EXPECT_EQ(seam.queuedAnswers(), 0);
}

TEST_F(DialogSeamTest, ErrorBoxHasTitleErrorAndErrorIcon) {
    seam.setUnattended(true);
    seam.ShowError(QStringLiteral("Ошибка при чтении журнала TORVEL.LOG"));
    ASSERT_EQ(seam.shownBoxes().size(), 1);
    EXPECT_EQ(seam.shownBoxes()[0].Title, QStringLiteral("Error"));
    EXPECT_EQ(seam.shownBoxes()[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(seam.shownBoxes()[0].Answer, QMessageBox::Ok);
}

TEST_F(DialogSeamTest, UnattendedConfirmationIsCancelled) {
    seam.setUnattended(true);
    EXPECT_EQ(seam.Confirm(QStringLiteral("?")), QMessageBox::Cancel);
}

TEST_F(DialogSeamTest, SaveDialogAddsTheChosenFiltersExtension) {
    const QString filter = QStringLiteral("CSV файл (*.csv)|*.csv|Бинарный файл (*.dat)|*.dat");
    int index = -1;
    seam.setNextFileName(QStringLiteral("/tmp/a.dat"));
    EXPECT_EQ(seam.AskSaveFileName({}, filter, {}, QStringLiteral("csv"), &index),
              QStringLiteral("/tmp/a.dat"));
    EXPECT_EQ(index, 1);

    seam.setNextFileName(QStringLiteral("/tmp/b"), 1);
    EXPECT_EQ(seam.AskSaveFileName({}, filter, {}, QStringLiteral("csv"), &index),
              QStringLiteral("/tmp/b.dat"));
    seam.setNextFileName(QStringLiteral("/tmp/c"));
    EXPECT_EQ(seam.AskSaveFileName({}, filter, {}, QStringLiteral("csv"), &index),
              QStringLiteral("/tmp/c.csv"));
    EXPECT_EQ(index, 0);
}

TEST_F(DialogSeamTest, OpenDialogRecordsTitleFilterAndInitialFile) {
    seam.setNextFileName(QStringLiteral("/tmp/x.txt"));
    seam.setNextFileName(QString());
    const QString filter = QStringLiteral("Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*");
    EXPECT_EQ(seam.AskOpenFileName(QStringLiteral("Открыть файл"), filter,
                                   QStringLiteral("/tmp/old.txt"), QStringLiteral("*.txt")),
              QStringLiteral("/tmp/x.txt"));
    EXPECT_EQ(seam.AskOpenFileName(QStringLiteral("again"), filter, {}), QString());
    ASSERT_EQ(seam.fileDialogs().size(), 2);
    const FileDialogRecord& first = seam.fileDialogs()[0];
    EXPECT_FALSE(first.Save);
    EXPECT_EQ(first.Title, QStringLiteral("Открыть файл"));
    EXPECT_EQ(first.Filter, filter);
    EXPECT_EQ(first.InitialFile, QStringLiteral("/tmp/old.txt"));
    EXPECT_EQ(first.Answer, QStringLiteral("/tmp/x.txt"));
    EXPECT_EQ(seam.fileDialogs()[1].Answer, QString());
}

TEST_F(DialogSeamTest, PrintFileTurnsThePrinterIntoAPdfWriter) {
    QPrinter printer;
    seam.setPrintFile(QStringLiteral("/tmp/out.pdf"));
    seam.PreparePrinter(printer);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), QStringLiteral("/tmp/out.pdf"));
}

}  // namespace
