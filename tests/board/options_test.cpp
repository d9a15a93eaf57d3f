#include "board/options.h"

#include <gtest/gtest.h>

#include "support/args.h"
#include "support/qt_printers.h"

namespace torvel::board {
namespace {

using torvel::test::Args;

TEST(BoardOptions, DefaultsDescribeTheStandardBoard) {
    const ParsedOptions parsed = ParseBoardOptions({});
    ASSERT_EQ(parsed.error, QString());
    const BoardOptions& o = parsed.options;
    EXPECT_TRUE(o.linkPath.isEmpty());  // board0 in the user's own folder
    EXPECT_EQ(o.address, 0);
    EXPECT_EQ(o.identity.boardCode, 0x11);
    EXPECT_FALSE(o.identity.configFlag.has_value());
    EXPECT_EQ(o.identity.version, QStringLiteral("12"));
    EXPECT_EQ(o.identity.pageSize, 32768);
    EXPECT_EQ(o.baud, 0u);
    EXPECT_TRUE(o.faults.exceptions.empty());
}

TEST(BoardOptions, ParsesEveryOption) {
    const ParsedOptions parsed = ParseBoardOptions(Args({"--link",
                                                         "/tmp/x/b1",
                                                         "--address",
                                                         "0x1F",
                                                         "--board-code",
                                                         "0x21",
                                                         "--config-flag",
                                                         "ff",
                                                         "--version",
                                                         "2.5",
                                                         "--fpga-code",
                                                         "19",
                                                         "--coils",
                                                         "0x02-0x05",
                                                         "--registers",
                                                         "32-39",
                                                         "--pages",
                                                         "2",
                                                         "--page-size",
                                                         "1024",
                                                         "--buffer=26",
                                                         "--empty-id",
                                                         "--loose-coils",
                                                         "--dump",
                                                         "img.bin",
                                                         "--irq-interval",
                                                         "15",
                                                         "--baud",
                                                         "115200",
                                                         "--reply-delay",
                                                         "7",
                                                         "--drop-every",
                                                         "3",
                                                         "--bad-lrc-every",
                                                         "4",
                                                         "--exception",
                                                         "21:4",
                                                         "--exception",
                                                         "0x11:9",
                                                         "--noise-every",
                                                         "2",
                                                         "--noise",
                                                         "AA55",
                                                         "--chunk",
                                                         "5",
                                                         "--chunk-gap",
                                                         "1",
                                                         "--hangup-after",
                                                         "6",
                                                         "--irq-flag",
                                                         "0",
                                                         "--irq-claim",
                                                         "9",
                                                         "--event-times",
                                                         "t.txt",
                                                         "--log",
                                                         "board.log"}));
    ASSERT_EQ(parsed.error, QString());
    const BoardOptions& o = parsed.options;
    EXPECT_EQ(o.linkPath, QStringLiteral("/tmp/x/b1"));
    EXPECT_EQ(o.address, 0x1F);
    EXPECT_EQ(o.identity.boardCode, 0x21);
    EXPECT_EQ(o.identity.configFlag, QStringLiteral("ff"));
    EXPECT_EQ(o.identity.version, QStringLiteral("25"));
    EXPECT_EQ(o.identity.fpgaCode, 19);
    EXPECT_EQ(o.identity.coilStart, 2);
    EXPECT_EQ(o.identity.coilEnd, 5);
    EXPECT_EQ(o.identity.holdStart, 32);
    EXPECT_EQ(o.identity.holdEnd, 39);
    EXPECT_EQ(o.identity.pageCount, 2);
    EXPECT_EQ(o.identity.pageSize, 1024);
    EXPECT_EQ(o.identity.bufferSize, 26);
    EXPECT_TRUE(o.identity.emptyPayload);
    EXPECT_TRUE(o.identity.looseCoils);
    EXPECT_EQ(o.dumpPath, QStringLiteral("img.bin"));
    EXPECT_EQ(o.irqInterval.count(), 15);
    EXPECT_EQ(o.baud, 115200u);
    EXPECT_EQ(o.replyDelay.count(), 7);
    EXPECT_EQ(o.faults.dropEvery, 3);
    EXPECT_EQ(o.faults.badLrcEvery, 4);
    EXPECT_EQ(o.faults.exceptions, (std::map<std::uint8_t, std::uint8_t>{{21, 4}, {17, 9}}));
    EXPECT_EQ(o.faults.noiseEvery, 2);
    EXPECT_EQ(o.faults.noise, QByteArray("\xAA\x55"));
    EXPECT_EQ(o.faults.chunkSize, 5);
    EXPECT_EQ(o.faults.chunkGap.count(), 1);
    EXPECT_EQ(o.faults.hangUpAfter, 6);
    EXPECT_EQ(o.faults.irqFlag, 0);
    EXPECT_EQ(o.faults.irqClaim, 9);
    EXPECT_EQ(o.eventTimesPath, QStringLiteral("t.txt"));
    EXPECT_EQ(o.logPath, QStringLiteral("board.log"));
}

TEST(BoardOptions, ReadsALeadingZeroAsDecimal) {
    EXPECT_EQ(ParseBoardOptions(Args({"--address", "010"})).options.address, 10);
}

class BadArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadArguments, AreRefusedWithAMessage) {
    QStringList args;
    for (const std::string& arg : GetParam()) args << QString::fromStdString(arg);
    const ParsedOptions parsed = ParseBoardOptions(args);
    EXPECT_FALSE(parsed.error.isEmpty()) << args.join(u' ').toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, BadArguments, ::testing::Values(
    std::vector<std::string>{"--nope"},
    std::vector<std::string>{"stray"},
    std::vector<std::string>{"--baud"},
    std::vector<std::string>{"--baud", "fast"},
    std::vector<std::string>{"--baud", "-5"},
    std::vector<std::string>{"--address", "256"},
    std::vector<std::string>{"--coils", "5"},
    std::vector<std::string>{"--coils", "1-300"},
    std::vector<std::string>{"--version", "12"},
    std::vector<std::string>{"--exception", "21"},
    std::vector<std::string>{"--exception", "200:1"},
    std::vector<std::string>{"--empty-id=yes"},
    std::vector<std::string>{"--noise", "XYZ1"},
    std::vector<std::string>{"--noise", "ABC"},
    std::vector<std::string>{"--page-size", "65536"},
    std::vector<std::string>{"--link", ""}));
// clang-format on

TEST(BoardOptions, UsageNamesEveryOptionWithItsValue) {
    const QString usage = BoardUsage();
    for (const char* option : {"--link PATH", "--address N", "--config-flag TEXT", "--empty-id",
                               "--dump FILE", "--irq-interval MS", "--baud N", "--reply-delay MS",
                               "--drop-every N", "--bad-lrc-every N", "--exception FN:CODE",
                               "--noise-every N", "--chunk N", "--hangup-after N", "--log FILE"})
        EXPECT_TRUE(usage.contains(QLatin1String(option))) << option;
}

}  // namespace
}  // namespace torvel::board
