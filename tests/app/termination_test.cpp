// The real program, ended by a signal, runs the same end sequence as the close box.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "session/log_file.h"
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

// Starts the real program in `folder`, offscreen, and waits until it catches `signalNumber`.
void StartTorvel(QProcess& torvel, const QString& folder, int signalNumber) {
    torvel.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    torvel.setProcessEnvironment(environment);
    torvel.start(QStringLiteral(TORVEL_EXECUTABLE), {});
    ASSERT_TRUE(torvel.waitForStarted(10000));
    ASSERT_TRUE(torvel_test::WaitFor(
        [&] { return CatchesSignal(torvel.processId(), signalNumber); }, 20000));
}

class SessionEndedBySignal : public torvel_test::InTemporaryDirectory,
                             public ::testing::WithParamInterface<int> {};

TEST_P(SessionEndedBySignal, SavesTheJournalEndingWithEndOfSession) {
    QProcess torvel;
    ASSERT_NO_FATAL_FAILURE(StartTorvel(torvel, dir_.path(), GetParam()));

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

namespace {

using SignalEndingASession = torvel_test::InTemporaryDirectory;

TEST_F(SignalEndingASession, DuringStartUpEndsItOnceStartUpIsThrough) {
    // A folder in the journal's place: start-up stops at the journal's error box, which
    // nobody answers.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("TORVEL.LOG")));
    QProcess torvel;
    ASSERT_NO_FATAL_FAILURE(StartTorvel(torvel, dir_.path(), SIGTERM));

    ::kill(pid_t(torvel.processId()), SIGTERM);
    ASSERT_TRUE(torvel.waitForFinished(20000));
    EXPECT_EQ(torvel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(torvel.exitCode(), 0);
    // The end sequence ran: the settings were written.
    EXPECT_TRUE(torvel_test::ReadFileBytes(dir_.filePath(QStringLiteral("TORVEL.INI")))
                    .startsWith("[ComPort1]"));
}

TEST_F(SignalEndingASession, WithAFailingJournalSaveShowsNoBoxAndTheProcessEnds) {
    QProcess torvel;
    ASSERT_NO_FATAL_FAILURE(StartTorvel(torvel, dir_.path(), SIGTERM));
    const QString journal = dir_.filePath(QStringLiteral("TORVEL.LOG"));
    ASSERT_TRUE(torvel_test::WaitFor([&] { return QFile::exists(journal); }, 20000));
    // The save at the end finds a folder where the journal was.
    ASSERT_TRUE(QFile::remove(journal));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("TORVEL.LOG")));

    ::kill(pid_t(torvel.processId()), SIGTERM);
    ASSERT_TRUE(torvel.waitForFinished(20000)) << "still running, held by a modal box";
    EXPECT_EQ(torvel.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(QString::fromUtf8(torvel.readAllStandardError())
                    .contains(QStringLiteral("Ошибка при сохранении журнала TORVEL.LOG")));
    EXPECT_TRUE(QFileInfo(journal).isDir());
}

}  // namespace
