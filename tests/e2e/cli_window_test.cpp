// torvel-cli and the window are two views of one session core: the same read with the same
// options writes the same result file, byte for byte but for the moment in its header.
#include <QProcess>

#include "tester_window.h"
#include "transport/com_port.h"

namespace {

using torvel_test::TesterWindow;

TEST_F(TesterWindow, ARamReadThroughTheCommandLineWritesTheWindowsResultFile) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--buffer"), QStringLiteral("44")}));
    const QString byWindow = PathOf(QStringLiteral("window.txt"));
    const QString byCli = PathOf(QStringLiteral("cli.txt"));
    Address(2, 0x100);
    Repeat(25);
    ToFile(byWindow, 4, true);
    Read();
    // The port is one program's at a time.
    Form().ComPort1->ClosePort();

    QProcess cli;
    cli.start(QStringLiteral(TORVEL_CLI_EXECUTABLE),
              {QStringLiteral("--port"), Board().linkPath(), QStringLiteral("--columns"),
               QStringLiteral("4"), QStringLiteral("--format"), QStringLiteral("dec"),
               QStringLiteral("--replace"), QStringLiteral("read"), QStringLiteral("ram"),
               QStringLiteral("0x100"), QStringLiteral("--count"), QStringLiteral("25"),
               QStringLiteral("--out"), byCli});
    ASSERT_TRUE(cli.waitForFinished(20000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardOutput().toStdString();

    EXPECT_FALSE(ResultText(byWindow).isEmpty());
    EXPECT_EQ(ResultText(byCli), ResultText(byWindow));
}

}  // namespace
