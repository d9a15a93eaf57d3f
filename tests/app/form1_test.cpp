// The main window: start, end, events memo, journal commands, tabs and menu.
#include "app/form1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "app/fo_log.h"
#include "app/journal_export.h"
#include "common/cp1251.h"
#include "support/qt_printers.h"
#include "window_fixture.h"

using torvel_test::ReadFileBytes;
using torvel_test::WhileModal;
using torvel_test::WindowTest;
using torvel_test::WriteFileBytes;

namespace {

const QString kJournal = QStringLiteral("TORVEL.LOG");

QStringList JournalTitles(const QString& fileName) {
    torvel::TLogFile log;
    if (!log.LoadJournal(fileName)) return {QStringLiteral("<unreadable>")};
    QStringList titles;
    for (const auto& entry : log.Entries()) titles.append(entry.Title);
    return titles;
}

class Form1Start : public WindowTest {};

TEST_F(Form1Start, FirstStartCreatesTheJournalAndReportsItThenTheSession) {
    TForm1& form = Form();
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression stamp(
        QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d - "));
    EXPECT_TRUE(stamp.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(WithoutTime(lines[0]), QStringLiteral("Создан журнал событий TORVEL.LOG"));
    EXPECT_EQ(WithoutTime(lines[1]), QStringLiteral("Начало сеанса"));
    EXPECT_TRUE(QFile::exists(kJournal));
    EXPECT_TRUE(form.JournalEnabled);
    EXPECT_EQ(form.Log1.Count(), 2);
    EXPECT_TRUE(form.Dialogs().shownBoxes().isEmpty());
}

TEST_F(Form1Start, ExistingJournalIsLoadedButNotShownInTheMemo) {
    ASSERT_TRUE(WriteFileBytes(kJournal, "[1]old one>\r\n[2]old two>\r\n"));
    TForm1& form = Form();
    const QStringList lines = MemoLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(WithoutTime(lines[0]), QStringLiteral("Начало сеанса"));
    EXPECT_EQ(form.Log1.Count(), 3);
    EXPECT_EQ(form.Log1.Entries()[0].Title, QStringLiteral("old one"));
}

TEST_F(Form1Start, StartsWithTheBuiltInDefaults) {
    TForm1& form = Form();
    EXPECT_EQ(form.Device.BoardText, QStringLiteral("нет данных"));
    EXPECT_EQ(form.Device.FpgaName, QStringLiteral("нет данных"));
    EXPECT_EQ(form.ProjectTypeText, QStringLiteral("нет данных"));
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
    EXPECT_EQ(form.Device.PageOffsetMax, 32767);
    EXPECT_EQ(form.NumberOfColumns, 16);
    EXPECT_EQ(form.EditorName, QStringLiteral("NOTEPAD.EXE"));
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_TRUE(Find<QLabel>("StatusTest")->text().isEmpty());
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_EQ(Find<QTabWidget>("PageControl2")->currentIndex(), 0);
}

TEST_F(Form1Start, UnreadableJournalIsReportedAndLeftAlone) {
    ASSERT_TRUE(QDir().mkdir(kJournal));
    TForm1& form = Form();
    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Title, QStringLiteral("Error"));
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Text,
              QStringLiteral("Ошибка при чтении журнала TORVEL.LOG"));
    EXPECT_FALSE(form.JournalEnabled);
    EXPECT_EQ(WithoutTime(MemoLines().back()), QStringLiteral("Начало сеанса"));
    EXPECT_EQ(form.Log1.Count(), 0);
    form.close();
    EXPECT_EQ(form.Dialogs().shownBoxes().size(), 1);  // nothing saved, nothing reported
    EXPECT_TRUE(QFileInfo(kJournal).isDir());
}

TEST_F(Form1Start, JournalThatCannotBeCreatedIsReported) {
    ASSERT_TRUE(QFile::link(QStringLiteral("no/such/dir/x.log"), kJournal));
    TForm1& form = Form();
    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Text,
              QStringLiteral("Ошибка при создании журнала TORVEL.LOG"));
    EXPECT_FALSE(form.JournalEnabled);
    EXPECT_EQ(MemoLines().size(), 1);  // "Начало сеанса" only
}

class Form1End : public WindowTest {};

TEST_F(Form1End, CloseSavesTheJournalEndingWithEndOfSession) {
    Form().close();
    EXPECT_EQ(JournalTitles(kJournal),
              (QStringList{QStringLiteral("Создан журнал событий TORVEL.LOG"),
                           QStringLiteral("Начало сеанса"), QStringLiteral("Конец сеанса")}));
    EXPECT_TRUE(
        ReadFileBytes(kJournal).endsWith(torvel::ToCp1251(QStringLiteral("]Конец сеанса>\r\n"))));
    EXPECT_EQ(WithoutTime(MemoLines().back()), QStringLiteral("Конец сеанса"));
}

TEST_F(Form1End, JournalGrowsFromRunToRun) {
    Form().close();
    form_.reset();
    Form().close();
    EXPECT_EQ(JournalTitles(kJournal),
              (QStringList{QStringLiteral("Создан журнал событий TORVEL.LOG"),
                           QStringLiteral("Начало сеанса"), QStringLiteral("Конец сеанса"),
                           QStringLiteral("Начало сеанса"), QStringLiteral("Конец сеанса")}));
}

TEST_F(Form1End, EndSequenceRunsOnceWhenClosedTwice) {
    Form().close();
    Form().close();
    EXPECT_EQ(JournalTitles(kJournal).count(QStringLiteral("Конец сеанса")), 1);
}

TEST_F(Form1End, ExitMenuEndsTheSession) {
    ShowForm();
    Find<QAction>("MenuExit")->trigger();
    EXPECT_FALSE(Form().isVisible());
    EXPECT_EQ(JournalTitles(kJournal).back(), QStringLiteral("Конец сеанса"));
}

TEST_F(Form1End, FailedSaveIsReportedAndTheWindowStillCloses) {
    TForm1& form = Form();
    ASSERT_TRUE(QFile::remove(kJournal));
    ASSERT_TRUE(QDir().mkdir(kJournal));  // the rename over it must fail
    ShowForm();
    form.close();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Text,
              QStringLiteral("Ошибка при сохранении журнала TORVEL.LOG"));
    EXPECT_EQ(form.Dialogs().shownBoxes()[0].Icon, QMessageBox::Critical);
}

class Form1Events : public WindowTest {};

TEST_F(Form1Events, TaggedAndUntaggedLinesInTheMemoAndTheJournal) {
    TForm1& form = Form();
    form.LogEvent(QStringLiteral("Ошибка обмена с устройством"), QStringLiteral("ТАЙМАУТ"));
    EXPECT_EQ(WithoutTime(MemoLines().back()),
              QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством"));
    const torvel::TLogRecord& entry = form.Log1.Entries().back();
    EXPECT_EQ(entry.Title, QStringLiteral("Ошибка обмена с устройством"));
    EXPECT_EQ(entry.Description, QStringLiteral("ТАЙМАУТ"));
    EXPECT_TRUE(MemoLines().back().startsWith(entry.Time + QStringLiteral(" - ")));
}

TEST_F(Form1Events, MemoIsEmptiedWholeByTheLineAfterItExceedsAThousand) {
    TForm1& form = Form();  // two lines already
    for (int i = 3; i <= 1001; ++i) form.LogEvent(QString::number(i));
    ASSERT_EQ(MemoLines().size(), 1001);
    form.LogEvent(QStringLiteral("1002"));
    ASSERT_EQ(MemoLines().size(), 1);
    EXPECT_EQ(WithoutTime(MemoLines()[0]), QStringLiteral("1002"));
    EXPECT_EQ(form.Log1.Count(), 1002);  // the journal keeps everything
}

TEST_F(Form1Events, ErrorReportsQuoteTheMessage) {
    TForm1& form = Form();
    form.ReportConfigError(QStringLiteral("нет доступа"));
    EXPECT_EQ(WithoutTime(MemoLines().back()),
              QStringLiteral("[ОШИБКА] Ошибка конфигурационного файла: \"нет доступа\""));
    form.ReportLinkError(QStringLiteral("COM1"));
    const QStringList lines = MemoLines();
    EXPECT_EQ(WithoutTime(lines[lines.size() - 2]),
              QStringLiteral("[ОШИБКА] Ошибка связи: \"COM1\""));
    EXPECT_EQ(WithoutTime(lines.back()),
              QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"));
}

TEST_F(Form1Events, EventsAfterAJournalFailureReachOnlyTheMemo) {
    ASSERT_TRUE(QDir().mkdir(kJournal));
    TForm1& form = Form();
    form.LogEvent(QStringLiteral("x"));
    EXPECT_EQ(WithoutTime(MemoLines().back()), QStringLiteral("x"));
    EXPECT_EQ(form.Log1.Count(), 0);
}

class Form1Journal : public WindowTest {};

TEST_F(Form1Journal, ClearingWithOkEmptiesTheJournalButNotTheMemo) {
    TForm1& form = Form();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    Find<QAction>("MenuClearJournal")->trigger();
    ASSERT_EQ(form.Dialogs().shownBoxes().size(), 1);
    const torvel::ShownMessageBox& box = form.Dialogs().shownBoxes()[0];
    EXPECT_EQ(box.Title, QStringLiteral("Confirm"));
    EXPECT_EQ(box.Icon, QMessageBox::Question);
    EXPECT_EQ(box.Text, QStringLiteral("Вы уверены, что хотите очистить журнал событий?"));
    EXPECT_EQ(form.Log1.Count(), 0);
    EXPECT_EQ(MemoLines().size(), 2);
    form.LogEvent(QStringLiteral("после очистки"));
    form.close();
    EXPECT_EQ(JournalTitles(kJournal),
              (QStringList{QStringLiteral("после очистки"), QStringLiteral("Конец сеанса")}));
}

TEST_F(Form1Journal, ClearingWithCancelKeepsEverything) {
    TForm1& form = Form();
    form.Dialogs().setNextAnswer(QMessageBox::Cancel);
    Find<QAction>("MenuClearJournal")->trigger();
    EXPECT_EQ(form.Log1.Count(), 2);
}

TEST_F(Form1Journal, ViewerShowsEveryEntryInThreeColumns) {
    TForm1& form = Form();
    form.LogEvent(QStringLiteral("a>b"), QStringLiteral("ОШИБКА"));
    bool checked = false;
    const bool opened = WhileModal(
        [&] { Find<QAction>("MenuViewJournal")->trigger(); },
        [&](QWidget* modal) {
            auto* viewer = qobject_cast<torvel::TfoLog*>(modal);
            ASSERT_NE(viewer, nullptr);
            EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Журнал событий"));
            QTableView* view = viewer->ListView();
            const QAbstractItemModel* model = view->model();
            ASSERT_EQ(model->rowCount(), 3);
            EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Время"));
            EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Событие"));
            EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(),
                      QStringLiteral("Примечание"));
            EXPECT_EQ(model->index(2, 1).data().toString(), QStringLiteral("a>b"));
            EXPECT_EQ(model->index(2, 2).data().toString(), QStringLiteral("ОШИБКА"));
            EXPECT_EQ(view->columnWidth(0), 115);
            EXPECT_EQ(view->columnWidth(1), 200);
            EXPECT_EQ(view->columnWidth(2), 150);
            EXPECT_FALSE(view->isSortingEnabled());
            EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
            EXPECT_GE(viewer->minimumWidth(), 300);
            checked = true;
        });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(checked);
}

TEST_F(Form1Journal, ViewerExportsBothFormatsAndPrints) {
    TForm1& form = Form();
    form.Dialogs().setNextFileName(PathOf(QStringLiteral("journal.csv")));
    form.Dialogs().setNextFileName(PathOf(QStringLiteral("journal")), 1);
    form.Dialogs().setPrintFile(PathOf(QStringLiteral("journal.pdf")));
    const QList<torvel::TLogRecord> entries = form.Log1.Entries();
    const bool opened =
        WhileModal([&] { Find<QAction>("MenuViewJournal")->trigger(); },
                   [&](QWidget* modal) {
                       auto* save = modal->findChild<QAction*>(QStringLiteral("ActionSave"));
                       auto* print = modal->findChild<QAction*>(QStringLiteral("ActionPrint"));
                       ASSERT_TRUE(save && print);
                       EXPECT_EQ(save->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
                       EXPECT_EQ(save->toolTip(), QStringLiteral("Сохранить журнал"));
                       EXPECT_EQ(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
                       save->trigger();
                       save->trigger();
                       print->trigger();
                   });
    ASSERT_TRUE(opened);
    EXPECT_EQ(ReadFileBytes(PathOf(QStringLiteral("journal.csv"))), torvel::JournalCsv(entries));
    EXPECT_EQ(ReadFileBytes(PathOf(QStringLiteral("journal.dat"))),
              torvel::JournalListView(entries));
    EXPECT_TRUE(ReadFileBytes(PathOf(QStringLiteral("journal.pdf"))).startsWith("%PDF"));
    EXPECT_TRUE(form.Dialogs().shownBoxes().isEmpty());
}

TEST_F(Form1Journal, CancelledExportWritesNothing) {
    TForm1& form = Form();
    form.Dialogs().setNextFileName(QString());
    WhileModal([&] { Find<QAction>("MenuViewJournal")->trigger(); },
               [&](QWidget* modal) {
                   modal->findChild<QAction*>(QStringLiteral("ActionSave"))->trigger();
               });
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{kJournal});
}

}  // namespace
