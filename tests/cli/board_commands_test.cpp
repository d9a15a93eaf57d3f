// torvel-cli's board commands end to end: the real program against real torvel-boards.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "cli/exit_codes.h"
#include "fpga/sample_config.h"
#include "support/board_process.h"
#include "support/case_name.h"
#include "support/qt_printers.h"
#include "support/wait_until.h"

namespace torvel::cli {
namespace {

using torvel::test::BoardProcess;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BoardCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    // A board with a dump of what it is loaded with and a log of every line.
    BoardProcess& StartBoard(QStringList options = {}) {
        const QString n = QString::number(boards_.size());
        options << QStringLiteral("--dump") << Path(QStringLiteral("dump") + n)
                << QStringLiteral("--log") << Path(QStringLiteral("log") + n);
        boards_.push_back(std::make_unique<BoardProcess>(options));
        EXPECT_TRUE(boards_.back()->started()) << boards_.back()->error().toStdString();
        return *boards_.back();
    }

    QString Path(const QString& name) const { return folder_.filePath(name); }

    std::vector<std::uint8_t> Sample() {
        auto image = WriteSampleConfigFile(Path(QStringLiteral("sample.ttf")), 59691, 5);
        EXPECT_TRUE(image.has_value());
        return image.value_or(std::vector<std::uint8_t>{});
    }

    static QByteArray Bytes(const std::vector<std::uint8_t>& image) {
        return {reinterpret_cast<const char*>(image.data()), qsizetype(image.size())};
    }

    // Runs torvel-cli in the test's folder (no TORVEL.INI there) on the boards given.
    int Run(const QStringList& arguments, const std::vector<BoardProcess*>& boards = {}) {
        QStringList all;
        for (BoardProcess* board : boards) all << QStringLiteral("--port") << board->linkPath();
        process_.setWorkingDirectory(folder_.path());
        process_.start(QStringLiteral(TORVEL_CLI_EXECUTABLE), all + arguments);
        if (!process_.waitForFinished(60000)) return -1;
        out_ = QString::fromUtf8(process_.readAllStandardOutput());
        err_ = QString::fromUtf8(process_.readAllStandardError());
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    QTemporaryDir folder_;
    std::vector<std::unique_ptr<BoardProcess>> boards_;
    QProcess process_;
    QString out_;
    QString err_;
};

TEST_F(BoardCommands, IdentifyShowsTheDeviceGroup) {
    BoardProcess& board = StartBoard();
    ASSERT_EQ(Run({QStringLiteral("identify")}, {&board}), kExitOk) << err_.toStdString();
    EXPECT_TRUE(out_.contains(QStringLiteral("- Устройство подключено\n")));
    EXPECT_TRUE(out_.contains(QStringLiteral(": Установлена ПЛИС: EPF10K10\n")));
    EXPECT_TRUE(out_.contains(QStringLiteral(": Состояние: конфигурация не загружена\n")));
}

TEST_F(BoardCommands, LoadSendsTheImageByteForByteAndEveryJsonLineParses) {
    BoardProcess& board = StartBoard();
    const std::vector<std::uint8_t> image = Sample();
    ASSERT_EQ(
        Run({QStringLiteral("--json"), QStringLiteral("load"), Path(QStringLiteral("sample.ttf"))},
            {&board}),
        kExitOk)
        << err_.toStdString();
    EXPECT_EQ(ReadAll(Path(QStringLiteral("dump0"))), Bytes(image));
    const QStringList lines = out_.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines) {
        QJsonParseError error{};
        EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8(), &error).isObject())
            << line.toStdString();
    }
    EXPECT_TRUE(out_.contains(QStringLiteral("\"text\":\"Конфигурация ПЛИС загружена\"")));
    EXPECT_TRUE(lines.constLast().contains(QStringLiteral("\"outcome\":\"ok\"")));
}

struct ChipCase {
    const char* name;
    bool force;
    int status;
};

class WrongChip : public BoardCommands, public ::testing::WithParamInterface<ChipCase> {};

TEST_P(WrongChip, IsRefusedUnlessForced) {
    BoardProcess& board = StartBoard({QStringLiteral("--fpga-code"), QStringLiteral("1")});
    const std::vector<std::uint8_t> image = Sample();
    QStringList arguments{QStringLiteral("load"), Path(QStringLiteral("sample.ttf"))};
    if (GetParam().force) arguments.insert(1, QStringLiteral("--force"));
    EXPECT_EQ(Run(arguments, {&board}), GetParam().status) << out_.toStdString();
    EXPECT_EQ(ReadAll(Path(QStringLiteral("dump0"))),
              GetParam().force ? Bytes(image) : QByteArray());
    EXPECT_EQ(out_.contains(QStringLiteral("Загрузка конфигурации ПЛИС...")), GetParam().force);
}

INSTANTIATE_TEST_SUITE_P(Cli, WrongChip,
                         ::testing::Values(ChipCase{"Refused", false, kExitBoardFailure},
                                           ChipCase{"Forced", true, kExitOk}),
                         torvel::test::CaseName());

TEST_F(BoardCommands, FourBoardsLoadAtOnceAndTheSilentOneFailsAlone) {
    std::vector<BoardProcess*> boards;
    for (int i = 0; i < 4; ++i)
        boards.push_back(
            &StartBoard(i == 2 ? QStringList{QStringLiteral("--drop-every"), QStringLiteral("1")}
                               : QStringList{}));
    const std::vector<std::uint8_t> image = Sample();
    EXPECT_EQ(Run({QStringLiteral("--timeout"), QStringLiteral("0"), QStringLiteral("load"),
                   Path(QStringLiteral("sample.ttf"))},
                  boards),
              kExitBoardFailure);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadAll(Path(QStringLiteral("dump") + QString::number(i))),
                  i == 2 ? QByteArray() : Bytes(image))
            << i;
    EXPECT_EQ(out_.count(QStringLiteral(" ok, ")), 3) << out_.toStdString();
    EXPECT_TRUE(out_.contains(boards[2]->linkPath() + QStringLiteral(" board failure, ")));
}

TEST_F(BoardCommands, RepeatedRegisterReadGoesToOutputAndTheResultFile) {
    BoardProcess& board = StartBoard();
    ASSERT_EQ(Run({QStringLiteral("read"), QStringLiteral("register"), QStringLiteral("0x11"),
                   QStringLiteral("--repeat"), QStringLiteral("3"), QStringLiteral("--delay"),
                   QStringLiteral("10"), QStringLiteral("--out"), Path(QStringLiteral("r.txt"))},
                  {&board}),
              kExitOk)
        << err_.toStdString();
    EXPECT_EQ(out_.count(QStringLiteral(":  0011\n")), 3) << out_.toStdString();
    const QByteArray file = ReadAll(Path(QStringLiteral("r.txt")));
    EXPECT_TRUE(file.endsWith("00000:  0011 0011 0011 \r\n")) << file.toStdString();
}

TEST_F(BoardCommands, WrittenBytesReadBack) {
    BoardProcess& board = StartBoard();
    ASSERT_EQ(Run({QStringLiteral("write"), QStringLiteral("ram"), QStringLiteral("0x100"),
                   QStringLiteral("1"), QStringLiteral("0x22"), QStringLiteral("255")},
                  {&board}),
              kExitOk)
        << out_.toStdString();
    ASSERT_EQ(Run({QStringLiteral("--json"), QStringLiteral("read"), QStringLiteral("ram"),
                   QStringLiteral("0x100"), QStringLiteral("--count"), QStringLiteral("3")},
                  {&board}),
              kExitOk);
    for (const char* text : {"\"text\":\"01\"", "\"text\":\"22\"", "\"text\":\"FF\""})
        EXPECT_TRUE(out_.contains(QLatin1String(text))) << text;
}

TEST_F(BoardCommands, InterruptionWhileArmedDisarmsTheBoard) {
    BoardProcess& board = StartBoard({QStringLiteral("--irq-interval"), QStringLiteral("20")});
    process_.setWorkingDirectory(folder_.path());
    process_.start(
        QStringLiteral(TORVEL_CLI_EXECUTABLE),
        {QStringLiteral("--port"), board.linkPath(), QStringLiteral("irq"), QStringLiteral("1"),
         QStringLiteral("--events"), QStringLiteral("1000"), QStringLiteral("--registers"),
         QStringLiteral("0x10:1"), QStringLiteral("--out"), Path(QStringLiteral("irq.txt"))});
    QByteArray seen;
    ASSERT_TRUE(torvel::test::WaitUntil([&] {
        seen += process_.readAllStandardOutput();
        return seen.contains("Event 002");
    }));
    ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
    ASSERT_TRUE(process_.waitForFinished(10000));
    EXPECT_EQ(process_.exitCode(), kExitInterrupted);
    // The disarming of line 1 went out, and the result file kept the events read.
    EXPECT_TRUE(ReadAll(Path(QStringLiteral("log0"))).contains("< :0019010000E6"));
    EXPECT_TRUE(ReadAll(Path(QStringLiteral("irq.txt"))).contains("Event 002"));
}

TEST_F(BoardCommands, APortThatIsNotThereIsALocalFailure) {
    EXPECT_EQ(Run({QStringLiteral("--port"), Path(QStringLiteral("nothing")),
                   QStringLiteral("identify")}),
              kExitLocalFailure);
    EXPECT_TRUE(out_.contains(QStringLiteral("[ОШИБКА] Ошибка связи: ")));
}

}  // namespace
}  // namespace torvel::cli
