// The real torvel-board process on its pseudo-terminal, talked to like a serial port.

#include <signal.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "board/pty_link.h"
#include "common/board_folder.h"
#include "common/hex.h"
#include "protocol/frame.h"
#include "protocol/requests.h"
#include "support/board_process.h"
#include "support/pty_client.h"
#include "support/qt_printers.h"
#include "support/scoped_variable.h"

namespace torvel {
namespace {

using namespace std::chrono_literals;
using test::BoardProcess;
using test::PtyClient;

const QByteArray kIdentity(":00110C110012040F003F10048000409A\r\n");

class PtyBoard : public ::testing::Test {
protected:
    void Start(const QStringList& options = {}) {
        board_ = std::make_unique<BoardProcess>(options);
        ASSERT_TRUE(board_->started()) << board_->error().toStdString();
        ASSERT_TRUE(client_.Open(board_->linkPath())) << client_.error().toStdString();
    }

    // Sends one request and returns the reply line, or an empty array on a time-out.
    QByteArray Ask(std::uint8_t function, const QString& data,
                   std::chrono::milliseconds deadline = 5s) {
        if (!client_.WriteRequest(0, function, data)) return {};
        return client_.ReadLine(deadline).value_or(QByteArray());
    }

    QByteArray Expected(std::uint8_t function, const QString& data) {
        return RequestLine(0, function, data).toLatin1();
    }

    std::unique_ptr<BoardProcess> board_;
    PtyClient client_;
};

TEST_F(PtyBoard, AnswersIdentificationWithTheDefaultBytes) {
    Start();
    EXPECT_EQ(Ask(17, {}), kIdentity);
}

TEST_F(PtyBoard, AnswersEveryRequestOfABurstInOrder) {
    Start();
    // 150 writes to distinct registers (each reply echoes its request), all sent before any
    // reply is read: the board takes no more than it can queue and reads the rest later.
    QByteArray burst;
    for (int i = 0; i < 150; ++i)
        burst += Expected(6, QStringLiteral("%1%2")
                                 .arg(0x10 + i % 48, 4, 16, QChar(u'0'))
                                 .arg(i, 4, 16, QChar(u'0'))
                                 .toUpper());
    ASSERT_TRUE(client_.Write(burst));
    QByteArray replies;
    while (replies.size() < burst.size()) {
        const std::optional<QByteArray> line = client_.ReadLine();
        if (!line) break;
        replies += *line;
    }
    EXPECT_EQ(replies, burst);
}

TEST(BoardLink, DefaultFolderIsPerUser) {
    {
        test::ScopedVariable variable("XDG_RUNTIME_DIR", "/run/user/1234");
        EXPECT_EQ(DefaultBoardFolder(), QStringLiteral("/run/user/1234/torvel-boards"));
    }
    test::ScopedVariable variable("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(DefaultBoardFolder(), QStringLiteral("/tmp/torvel-boards-%1").arg(::geteuid()));
}

TEST(BoardLink, DefaultIsBoard0InAFolderOfTheUsersOwn) {
    QTemporaryDir runtime;
    test::ScopedVariable variable("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData());
    const QString folder = runtime.filePath(QStringLiteral("torvel-boards"));
    QString link;
    QString error;
    ASSERT_TRUE(board::ChooseLinkPath({}, link, error)) << error.toStdString();
    EXPECT_EQ(link, folder + QStringLiteral("/board0"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    // A link given on the command line is used as it is, wherever it is.
    ASSERT_TRUE(board::ChooseLinkPath(QStringLiteral("/tmp/elsewhere/b1"), link, error));
    EXPECT_EQ(link, QStringLiteral("/tmp/elsewhere/b1"));
}

TEST(BoardLink, RefusesADefaultFolderThatOthersMayWrite) {
    QTemporaryDir runtime;
    const QString folder = runtime.filePath(QStringLiteral("torvel-boards"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 01777), 0);

    QProcess board;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    board.setProcessEnvironment(environment);
    board.start(BoardProcess::ExecutablePath(), {});
    ASSERT_TRUE(board.waitForFinished(10000));
    EXPECT_EQ(board.exitCode(), 1);
    EXPECT_TRUE(board.readAllStandardError().contains("writable by others"));
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(PtyBoard, UploadsAnImageAndDumpsItByteForByte) {
    QTemporaryDir folder;
    const QString dumpPath = folder.filePath(QStringLiteral("image.bin"));
    Start({QStringLiteral("--dump"), dumpPath});
    QByteArray image(3001, '\0');
    QRandomGenerator random(11);
    for (char& byte : image) byte = static_cast<char>(random.bounded(256));

    auto send = [&](unsigned record, const QByteArray& bytes) {
        const QString data =
            WriteRecordsData(10, record, QString::fromLatin1(bytes.toHex().toUpper()));
        return Ask(21, data) == Expected(21, data);
    };
    ASSERT_TRUE(send(0, QByteArray(1, '\0')));
    ASSERT_TRUE(send(1, image.left(1)));
    for (qsizetype at = 1; at < image.size(); at += 20) ASSERT_TRUE(send(1, image.mid(at, 20)));
    ASSERT_TRUE(send(2, QByteArray(1, '\0')));

    QFile dump(dumpPath);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll(), image);
    EXPECT_EQ(Ask(17, {}), QByteArray(":00110C11FF12040F003F10048000409B\r\n"));
}

TEST_F(PtyBoard, WritesAndReadsRamRomBytes) {
    Start();
    const QString write = WriteRecordsData(kPageFile, 0x1234, QStringLiteral("A1B2C3"));
    EXPECT_EQ(Ask(21, write), Expected(21, write));
    EXPECT_EQ(Ask(20, ReadRecordsData(kPageFile, 0x1233, 5)),
              Expected(20, QStringLiteral("070506"
                                          "33A1B2C337")));
}

TEST_F(PtyBoard, WritesAndReadsCoilsAndRegisters) {
    Start();
    EXPECT_EQ(Ask(5, WriteCoilData(3, 0xFF)), Expected(5, QStringLiteral("0003FF00")));
    EXPECT_EQ(Ask(1, ReadCoilData(3)), Expected(1, QStringLiteral("0101")));
    EXPECT_EQ(Ask(6, WriteRegisterData(0x20, 0x12)), Expected(6, QStringLiteral("00200012")));
    EXPECT_EQ(Ask(3, ReadRegisterData(0x20)), Expected(3, QStringLiteral("020012")));
    EXPECT_EQ(Ask(3, ReadRegisterData(0x40)), Expected(0x83, QStringLiteral("02")));
}

TEST_F(PtyBoard, ArmsReportsEventsAndDisarms) {
    Start({QStringLiteral("--irq-interval"), QStringLiteral("5")});
    EXPECT_EQ(Ask(25, ArmInterruptData(1, 3, true, 0x10, 2)),
              Expected(25, QStringLiteral("06010003FF1002")));
    const QByteArray event = Expected(25, QStringLiteral("050101021011"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(client_.ReadLine(), event) << i;

    // Armed for many events, then disarmed: whatever events came before the answer, none
    // comes after it.
    EXPECT_EQ(Ask(25, ArmInterruptData(1, 1000, false, 0, 1)),
              Expected(25, QStringLiteral("060103E8000001")));
    const QByteArray bareEvent = Expected(25, QStringLiteral("03000100"));
    EXPECT_EQ(client_.ReadLine(), bareEvent);
    ASSERT_TRUE(client_.WriteRequest(0, 25, DisarmInterruptData(1)));
    const QByteArray answer = Expected(25, QStringLiteral("03010000"));
    QByteArray line;
    do {
        line = client_.ReadLine().value_or(QByteArray());
    } while (line == bareEvent);
    EXPECT_EQ(line, answer);
    EXPECT_EQ(Ask(17, {}), kIdentity);
}

TEST_F(PtyBoard, NeverAnswersAWrongLrc) {
    Start();
    ASSERT_TRUE(client_.Write(":0011EE\r\n:0011F0\r\n"));
    // The next line on the wire is the answer to the request after them.
    EXPECT_EQ(Ask(17, {}), kIdentity);
}

TEST_F(PtyBoard, SurvivesNoiseAndAHundredKilobyteLine) {
    Start();
    ASSERT_TRUE(client_.Write(QByteArray("\xFF\x00\x7F garbage \r\n", 14)));
    ASSERT_TRUE(client_.Write(QByteArray(":") + QByteArray(100 * 1024, 'F') + "\r\n"));
    ASSERT_TRUE(client_.Write(QByteArray(100 * 1024, '\0')));
    EXPECT_EQ(Ask(17, {}), kIdentity);
}

TEST_F(PtyBoard, HangsUpAfterNRequests) {
    Start({QStringLiteral("--hangup-after"), QStringLiteral("2")});
    EXPECT_EQ(Ask(17, {}), kIdentity);
    EXPECT_EQ(Ask(17, {}), kIdentity);
    EXPECT_TRUE(client_.WaitForHangUp());
    EXPECT_EQ(board_->WaitForExit(5s), 0);
    EXPECT_FALSE(QFileInfo(board_->linkPath()).isSymLink());
}

TEST_F(PtyBoard, RemovesItsLinkOnSigterm) {
    Start();
    client_.Close();
    EXPECT_EQ(board_->Stop(), 0);
    EXPECT_FALSE(QFileInfo(board_->linkPath()).isSymLink());
}

TEST_F(PtyBoard, KeepsServingWhenThePortIsClosedAndReopened) {
    Start();
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Ask(17, {}), kIdentity) << round;
        client_.Close();
        ASSERT_TRUE(client_.Open(board_->linkPath())) << client_.error().toStdString();
    }
    EXPECT_EQ(Ask(17, {}), kIdentity);
}

TEST_F(PtyBoard, SendsSplitNoisyAndSpoiledRepliesOnCue) {
    Start({QStringLiteral("--chunk"), QStringLiteral("3"), QStringLiteral("--noise-every"),
           QStringLiteral("2"), QStringLiteral("--bad-lrc-every"), QStringLiteral("3"),
           QStringLiteral("--exception"), QStringLiteral("21:4")});
    EXPECT_EQ(Ask(17, {}), kIdentity);
    // The noise ends in CR LF, so it arrives as a line of its own.
    EXPECT_EQ(Ask(17, {}), QByteArray("\xFF\x00#?~\x7F\r\n", 8));
    EXPECT_EQ(client_.ReadLine(), kIdentity);
    EXPECT_EQ(Ask(17, {}), QByteArray(":00110C110012040F003F10048000409B\r\n"));
    EXPECT_EQ(Ask(21, WriteRecordsData(0, 0, QStringLiteral("00"))),
              QByteArray("\xFF\x00#?~\x7F\r\n", 8));
    EXPECT_EQ(client_.ReadLine(), QByteArray(":00950467\r\n"));
}

TEST_F(PtyBoard, GivesNoReplyToADroppedRequest) {
    Start({QStringLiteral("--drop-every"), QStringLiteral("1")});
    EXPECT_EQ(Ask(17, {}, 300ms), QByteArray());
}

TEST_F(PtyBoard, LogsWhatCrossedTheLine) {
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("board.log"));
    Start({QStringLiteral("--log"), log});
    EXPECT_EQ(Ask(17, {}), kIdentity);
    EXPECT_EQ(board_->Stop(), 0);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains(" < :0011EF\\x0D\\x0A\n"));
    EXPECT_TRUE(text.contains(" > :00110C110012040F003F10048000409A\\x0D\\x0A\n"));
}

TEST(BoardProgram, RefusesAnUnknownOptionWithStatusTwo) {
    BoardProcess board({QStringLiteral("--no-such-option")}, 5s);
    EXPECT_FALSE(board.started());
    EXPECT_EQ(board.WaitForExit(5s), 2);
}

}  // namespace
}  // namespace torvel
