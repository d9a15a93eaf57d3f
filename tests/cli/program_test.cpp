// The real torvel-cli program: its port list from a made-up board folder, --version, help
// per command, and a usage error's status with one line on standard error.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "cli/exit_codes.h"
#include "support/qt_printers.h"

namespace torvel::cli {
namespace {

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished RunProgram(const QStringList& arguments, const QString& runtimeDir = QString()) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!runtimeDir.isEmpty()) environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVEL_CLI_EXECUTABLE), arguments);
    Finished finished;
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return finished;
    finished.exitCode = process.exitCode();
    finished.out = QString::fromUtf8(process.readAllStandardOutput());
    finished.err = QString::fromUtf8(process.readAllStandardError());
    return finished;
}

// A private board folder with two published boards, as torvel-board would leave them.
class BoardFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        const QString folder = runtime_.filePath(QStringLiteral("torvel-boards"));
        ASSERT_TRUE(QDir().mkdir(folder));
        ASSERT_TRUE(
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        for (const char* name : {"zeta", "Alpha"})
            ASSERT_TRUE(
                QFile::link(QStringLiteral("/dev/null"), folder + u'/' + QLatin1String(name)));
        alpha_ = folder + QStringLiteral("/Alpha");
        zeta_ = folder + QStringLiteral("/zeta");
    }
    QTemporaryDir runtime_;
    QString alpha_;
    QString zeta_;
};

TEST_F(BoardFolder, PortsListsThePublishedBoardsOneALineInTheWindowsOrder) {
    const Finished run = RunProgram({QStringLiteral("ports")}, runtime_.path());
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    const qsizetype alpha = lines.indexOf(alpha_);
    ASSERT_GE(alpha, 0) << run.out.toStdString();
    EXPECT_GT(lines.indexOf(zeta_), alpha);
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(BoardFolder, PortsWithJsonGivesAnObjectAPort) {
    const Finished run =
        RunProgram({QStringLiteral("--json"), QStringLiteral("ports")}, runtime_.path());
    ASSERT_EQ(run.exitCode, kExitOk);
    QStringList ports;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_EQ(object[QStringLiteral("type")].toString(), QStringLiteral("port"));
        ports << object[QStringLiteral("port")].toString();
    }
    EXPECT_TRUE(ports.contains(alpha_) && ports.contains(zeta_)) << run.out.toStdString();
}

TEST(CliProgram, SaysItsVersionAndEachCommandsUsage) {
    const Finished version = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, kExitOk);
    EXPECT_EQ(version.out, QStringLiteral("torvel-cli " TORVEL_VERSION "\n"));
    const Finished help = RunProgram({QStringLiteral("irq"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: torvel-cli [OPTIONS] irq LINE")));
    const Finished general = RunProgram({QStringLiteral("--help")});
    EXPECT_TRUE(general.out.contains(QStringLiteral("  5  interrupted by a signal")));
}

TEST(CliProgram, RefusesABadCommandLineWithTheUsageStatus) {
    const Finished run =
        RunProgram({QStringLiteral("read"), QStringLiteral("register"), QStringLiteral("10"),
                    QStringLiteral("--repeat"), QStringLiteral("0")});
    EXPECT_EQ(run.exitCode, kExitUsage);
    EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

}  // namespace
}  // namespace torvel::cli
