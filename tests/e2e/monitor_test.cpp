// The exchange monitor against torvel-board: faults on cue give exactly their rows and
// counters, a saved file reads back as the rows shown, closing the monitor ends nothing, and a
// board that goes away mid-upload leaves the lost link as the last row.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/monitor_window.h"
#include "app/traffic_model.h"
#include "common/cp1251.h"
#include "protocol/traffic_text.h"
#include "upload_window.h"

namespace {

using torvel_test::UploadWindow;
using torvel_test::WaitUntil;

class MonitorTest : public UploadWindow {
protected:
    torvel::TMonitorWindow& OpenMonitor() {
        Find<QAction>("MenuMonitor")->trigger();
        torvel::TMonitorWindow* monitor = Form().Monitor();
        EXPECT_NE(monitor, nullptr);
        EXPECT_TRUE(monitor->isVisible());
        EXPECT_FALSE(monitor->isModal());
        return *monitor;
    }
    // The cells the view shows in `column`, caught up with the line first.
    QStringList Shown(int column) {
        torvel::TMonitorWindow& monitor = *Form().Monitor();
        monitor.Refresh();
        QStringList cells;
        const torvel::TrafficModel& model = *monitor.Model();
        for (int row = 0; row < model.rowCount(); ++row)
            cells.append(model.data(model.index(row, column)).toString());
        return cells;
    }
    const torvel::TrafficCounters& Counters() {
        return Form().Monitor()->Recorder().Stats().counters;
    }
    // Identification, waited for. A request the board drops is timed out by ticks from the
    // test once the board has read it.
    void Identify(bool dropped = false) {
        const qsizetype read = BoardRequests().size();
        Control<QPushButton>("Button3")->click();
        if (dropped) {
            ASSERT_TRUE(WaitUntil([&] { return BoardRequests().size() > read; }));
            while (Form().ReplyExpected()) Form().Timer1Timer();
        }
        ASSERT_TRUE(WaitForExchangeEnd());
    }
};

struct FaultCase {
    const char* name;
    const char* option;  // spoils the second request
    QStringList states;  // of the second exchange's rows
    torvel::TrafficCounters counters;
};

class MonitorFault : public MonitorTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(MonitorFault, ShowsExactlyItsRowsAndCounters) {
    const FaultCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartBoard({QString::fromLatin1(c.option), QStringLiteral("2")}));
    Form().Timer1->setInterval(24 * 3600 * 1000);  // ticks come from the test
    OpenMonitor();
    ASSERT_NO_FATAL_FAILURE(Identify());
    ASSERT_NO_FATAL_FAILURE(Identify(c.counters.timeouts > 0));

    const QStringList expected =
        QStringList{QStringLiteral("передан"), QStringLiteral("ок"), QStringLiteral("передан")} +
        c.states;
    EXPECT_EQ(Shown(torvel::tcState), expected);
    EXPECT_EQ(Shown(torvel::tcFunction).constFirst(), QStringLiteral("17 Идентификация"));
    EXPECT_FALSE(Shown(torvel::tcRoundTrip)[1].isEmpty());
    const torvel::TrafficCounters& got = Counters();
    EXPECT_EQ(got.requests, 2u);
    EXPECT_EQ(got.replies, c.counters.replies);
    EXPECT_EQ(got.timeouts, c.counters.timeouts);
    EXPECT_EQ(got.badFrames, c.counters.badFrames);
    EXPECT_EQ(got.exceptions, c.counters.exceptions);
    EXPECT_EQ(got.leftovers, c.counters.leftovers);

    // "Только ошибки" keeps the fault rows alone.
    Find<QCheckBox>("CheckErrorsOnly")->setChecked(true);
    QStringList faults = c.states;
    faults.removeAll(QStringLiteral("ок"));
    EXPECT_EQ(Shown(torvel::tcState), faults);
}

torvel::TrafficCounters Counted(quint64 replies, quint64 timeouts, quint64 badFrames,
                                quint64 exceptions, quint64 leftovers) {
    torvel::TrafficCounters counters;
    counters.replies = replies;
    counters.timeouts = timeouts;
    counters.badFrames = badFrames;
    counters.exceptions = exceptions;
    counters.leftovers = leftovers;
    return counters;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, MonitorFault, ::testing::Values(
    FaultCase{"LostReply", "--drop-every",      {QStringLiteral("таймаут")},      Counted(1, 1, 0, 0, 0)},
    FaultCase{"WrongLrc",  "--bad-lrc-every",   {QStringLiteral("ошибка LRC")},   Counted(1, 0, 1, 0, 0)},
    FaultCase{"Exception", "--exception-every", {QStringLiteral("исключение: ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА")},
                                                                                 Counted(1, 0, 0, 1, 0)},
    FaultCase{"Noise",     "--noise-every",     {QStringLiteral("шум"), QStringLiteral("ок")},
                                                                                 Counted(2, 0, 0, 0, 1)}),
    torvel_test::CaseName());
// clang-format on

struct SaveCase {
    const char* name;
    const char* file;
    QChar separator;
};

class MonitorSave : public MonitorTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(MonitorSave, FileReadsBackAsTheRowsShown) {
    ASSERT_NO_FATAL_FAILURE(StartBoard({QStringLiteral("--noise-every"), QStringLiteral("2")}));
    torvel::TMonitorWindow& monitor = OpenMonitor();
    ASSERT_NO_FATAL_FAILURE(Identify());
    ASSERT_NO_FATAL_FAILURE(Identify());

    const QString path = PathOf(QString::fromLatin1(GetParam().file));
    monitor.Dialogs().setNextFileName(path);
    monitor.findChild<QAction*>(QStringLiteral("ActionSave"))->trigger();
    const QByteArray bytes = torvel_test::ReadFileBytes(path);
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QStringList lines = torvel::FromCp1251(bytes.chopped(2)).split(QStringLiteral("\r\n"));

    const torvel::TrafficModel& model = *monitor.Model();
    ASSERT_EQ(lines.size(), model.rowCount());
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList shown;
        for (int column = 0; column < torvel::tcColumnCount; ++column)
            shown.append(model.data(model.index(row, column)).toString());
        shown[torvel::tcDirection]
            .replace(u'→', QStringLiteral("->"))
            .replace(u'←', QStringLiteral("<-"));
        EXPECT_EQ(lines[row].split(GetParam().separator), shown) << "row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Board, MonitorSave,
                         ::testing::Values(SaveCase{"Text", "rows.txt", u'\t'},
                                           SaveCase{"Csv", "rows.csv", u';'}),
                         torvel_test::CaseName());

TEST_F(MonitorTest, ClosingEndsNothingAndRecordsNothingUntilOpenedAgain) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen({QStringLiteral("--reply-delay"), QStringLiteral("5")},
                                           NumberedFile("small.ttf", 2000)));
    TForm1& form = Form();
    torvel::TMonitorWindow& monitor = OpenMonitor();
    const int from = EventCount();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    Control<QPushButton>("Button2")->click();
    bool sawSpeed = false;
    ASSERT_TRUE(WaitUntil([&] {
        sawSpeed = sawSpeed || form.StatusPanel(4)->toolTip().contains(QStringLiteral("байт/с"));
        return monitor.Recorder().Rows().Size() >= 8;
    }));
    monitor.close();
    const quint64 rowsAtClose = monitor.Recorder().Rows().End();
    ASSERT_TRUE(WaitUntil([&] {
        sawSpeed = sawSpeed || form.StatusPanel(4)->toolTip().contains(QStringLiteral("байт/с"));
        return !form.ReplyExpected() && LoadControlsEnabled();
    }));
    EXPECT_EQ(Events(from).constLast(), QStringLiteral("Конфигурация ПЛИС загружена"));
    EXPECT_EQ(monitor.Recorder().Rows().End(), rowsAtClose);
    EXPECT_TRUE(sawSpeed);
    EXPECT_EQ(form.StatusPanel(4)->toolTip(), QString());

    // The file records went by with their round trips; opened again, the rows are still there.
    OpenMonitor();
    EXPECT_EQ(Shown(torvel::tcFunction)[2], QStringLiteral("21 Запись файла"));
    EXPECT_EQ(Shown(torvel::tcMeaning)[2], QStringLiteral("файл 10, запись 0001h, 1 байт"));
    EXPECT_FALSE(Shown(torvel::tcRoundTrip)[3].isEmpty());
}

TEST_F(MonitorTest, BoardGoneMidUploadLeavesTheLostLinkAsTheLastRow) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen({QStringLiteral("--reply-delay"), QStringLiteral("5")},
                                           NumberedFile("small.ttf", 4000)));
    TForm1& form = Form();
    torvel::TMonitorWindow& monitor = OpenMonitor();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(WaitUntil([&] { return monitor.Recorder().Rows().Size() >= 6; }));
    ASSERT_TRUE(Board().Stop().has_value());
    ASSERT_TRUE(WaitUntil([&] { return !form.ReplyExpected() && LoadControlsEnabled(); }));

    EXPECT_EQ(Shown(torvel::tcState).constLast(), QStringLiteral("связь потеряна"));
    EXPECT_EQ(Counters().linkErrors, 1u);
    EXPECT_EQ(Counters().requests, Counters().replies + 1);
}

}  // namespace
