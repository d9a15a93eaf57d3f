// The real program, ended by a signal, runs the same end sequence as the close box.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "app/log_file.h"
#include "support/qt_printers.h"
#include "window_fixture.h"

namespace {

// The handlers are installed while the window is built; /proc tells when that has happened
// without relying on any file the program writes.
bool CatchesSignal(qint64 pid, int signalNumber) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        bool ok = false;
        const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (mask & (1ULL << (signalNumber - 1)));
    }
    return false;
}

class SessionEndedBySignal : public torvel_test::InTemporaryDirectory,
                             public ::testing::WithParamInterface<int> {};

TEST_P(SessionEndedBySignal, SavesTheJournalEndingWithEndOfSession) {
    QProcess torvel;
    torvel.setWorkingDirectory(dir_.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    torvel.setProcessEnvironment(environment);
    torvel.start(QStringLiteral(TORVEL_EXECUTABLE), {});
    ASSERT_TRUE(torvel.waitForStarted(10000));
    ASSERT_TRUE(
        torvel_test::WaitFor([&] { return CatchesSignal(torvel.processId(), GetParam()); }, 20000));

    ::kill(pid_t(torvel.processId()), GetParam());
    ASSERT_TRUE(torvel.waitForFinished(20000));
    EXPECT_EQ(torvel.exitStatus(), QProcess::NormalExit)
        << torvel.readAllStandardError().toStdString();

    torvel::TLogFile log;
    ASSERT_TRUE(log.LoadJournal(dir_.filePath(QStringLiteral("TORVEL.LOG"))));
    ASSERT_EQ(log.Count(), 3);
    EXPECT_EQ(log.Entries()[1].Title, QStringLiteral("Начало сеанса"));
    EXPECT_EQ(log.Entries().back().Title, QStringLiteral("Конец сеанса"));
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEndedBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& row) { return std::string(strsignal(row.param)); });

}  // namespace
