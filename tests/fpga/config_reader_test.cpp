#include "fpga/config_reader.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "support/qt_printers.h"

using namespace torvel;

namespace torvel {
// Readable failure messages for the outcomes.
void PrintTo(ConfigReadOutcome outcome, std::ostream* os) {
    static const char* const kNames[] = {"Read", "CannotOpen", "Faulty"};
    *os << kNames[static_cast<int>(outcome)];
}
void PrintTo(ConfigFault fault, std::ostream* os) {
    static const char* const kNames[] = {"None", "NotANumber", "TooManyWords", "ReadError"};
    *os << kNames[static_cast<int>(fault)];
}
}  // namespace torvel

namespace {

constexpr std::uint8_t kUntouched = 0xA5;

// A reader's target with guards on both sides, pre-filled so untouched bytes show.
struct GuardedImage {
    std::array<std::uint8_t, 64> before;
    ConfigImageBytes image;
    std::array<std::uint8_t, 64> after;

    GuardedImage() {
        before.fill(kUntouched);
        image.fill(kUntouched);
        after.fill(kUntouched);
    }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < before.size(); ++i)
            if (before[i] != kUntouched || after[i] != kUntouched) return false;
        return true;
    }
};

class ConfigReaderTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& content, const QString& name = QStringLiteral("c.ttf")) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(content), content.size());
        return path;
    }

    ConfigReadResult Read(const QString& path) { return ReadConfigFile(path, buf_.image, length_); }
    ConfigReadResult ReadText(const QByteArray& content) { return Read(Write(content)); }

    std::vector<int> Taken() const {
        return std::vector<int>(buf_.image.begin(), buf_.image.begin() + length_);
    }

    QTemporaryDir dir_;
    GuardedImage buf_;
    std::uint16_t length_ = 1234;
};

}  // namespace

struct WordCase {
    const char* content;
    std::vector<int> image;
};

class ConfigWords : public ConfigReaderTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(ConfigWords, StoresTheLowEightBitsOfEachWordInFileOrder) {
    const WordCase& c = GetParam();
    const ConfigReadResult result = ReadText(QByteArray(c.content));
    EXPECT_EQ(result.Outcome, ConfigReadOutcome::Read);
    EXPECT_EQ(Taken(), c.image);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ConfigWords, ::testing::Values(
    WordCase{"255,255,98,1", {255, 255, 98, 1}},
    WordCase{"256", {0}},
    WordCase{"300", {44}},
    WordCase{"2147483647", {255}},
    WordCase{"007,0000000000000000000000001", {7, 1}},
    WordCase{"1\r\n2\n3\r\n", {1, 2, 3}},
    WordCase{"1\r2", {1, 2}},                  // a lone CR is only a delimiter
    WordCase{"1\n\n\r\n\n2", {1, 2}},          // lines without words add nothing
    WordCase{"1/2-3+4.5 6\t7!8\"9#10$11%12&13'14(15)16*17", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                                             11, 12, 13, 14, 15, 16, 17}},
    WordCase{"-5", {5}},                        // a minus sign is a delimiter
    WordCase{"", {}},
    WordCase{"\r\n \r\n,,,\r\n", {}}));
// clang-format on

TEST_F(ConfigReaderTest, NulBytesAreDelimiters) {
    EXPECT_EQ(ReadText(QByteArray("\0"
                                  "12\0\0"
                                  "34\0",
                                  8))
                  .Outcome,
              ConfigReadOutcome::Read);
    EXPECT_EQ(Taken(), (std::vector<int>{12, 34}));
}

struct FaultyCase {
    const char* content;
    int length;               // words taken, the faulty one included
    std::vector<int> stored;  // positions before the faulty one
};

class FaultyWords : public ConfigReaderTest, public ::testing::WithParamInterface<FaultyCase> {};

TEST_P(FaultyWords, StopAtTheFirstWordThatIsNotADecimalInteger) {
    const FaultyCase& c = GetParam();
    const ConfigReadResult result = ReadText(QByteArray(c.content));
    EXPECT_EQ(result.Outcome, ConfigReadOutcome::Faulty);
    EXPECT_EQ(result.Fault, ConfigFault::NotANumber);
    ASSERT_EQ(length_, c.length);
    const std::vector<int> taken = Taken();
    EXPECT_EQ(std::vector<int>(taken.begin(), taken.end() - 1), c.stored);
    // The faulty word counts but stores nothing.
    EXPECT_EQ(taken.back(), kUntouched);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, FaultyWords, ::testing::Values(
    FaultyCase{"7 ; 8", 2, {7}},               // ";" (59) is not a delimiter
    FaultyCase{"1,2\r\n3,2147483648", 4, {1, 2, 3}},
    FaultyCase{"0x10", 1, {}},
    FaultyCase{"12a,5", 1, {}},
    FaultyCase{"9,\xC0\xC1", 2, {9}},          // Cyrillic letters
    FaultyCase{"4 99999999999999999999", 2, {4}}));
// clang-format on

TEST_F(ConfigReaderTest, RawBinaryFileIsRejectedAtItsFirstWord) {
    const QByteArray raw("\xFF\xFF\xFF\xFF\xAA\x99\x55\x66\x30\xA1\x00\x07\x20\x00\x31\xA1", 16);
    const ConfigReadResult result = Read(Write(raw, QStringLiteral("x.bit")));
    EXPECT_EQ(result.Outcome, ConfigReadOutcome::Faulty);
    EXPECT_EQ(result.Fault, ConfigFault::NotANumber);
    EXPECT_EQ(length_, 1);
}

TEST_F(ConfigReaderTest, OnlyTheFirst250CharactersOfALineCount) {
    // 124 words "1," fill 248 characters; "12345" straddles the 250th.
    QByteArray line = QByteArray("1,").repeated(124) + "12345," + QByteArray("9,").repeated(20);
    ASSERT_EQ(line.size(), 294);
    line += "999999";  // 300 characters; nothing past 250 is even looked at
    ASSERT_EQ(ReadText(line + "\r\n77\r\n").Outcome, ConfigReadOutcome::Read);
    ASSERT_EQ(length_, 126);
    EXPECT_EQ(buf_.image[123], 1);
    EXPECT_EQ(buf_.image[124], 12);
    EXPECT_EQ(buf_.image[125], 77);
}

TEST_F(ConfigReaderTest, GarbageBeyondTheFirst250CharactersIsIgnored) {
    const QByteArray line =
        QByteArray("5,").repeated(125) + QByteArray("x;\xC0\x00", 4).repeated(50);
    EXPECT_EQ(ReadText(line + "\n6").Outcome, ConfigReadOutcome::Read);
    EXPECT_EQ(length_, 126);
    EXPECT_EQ(buf_.image[125], 6);
}

TEST_F(ConfigReaderTest, HugeLineIsCutLikeAnyOther) {
    const QByteArray line = QByteArray("1,").repeated(5 * 1024 * 1024);  // 10 MB, one line
    ASSERT_EQ(ReadText(line + "\r\n2\r\n").Outcome, ConfigReadOutcome::Read);
    ASSERT_EQ(length_, 126);
    EXPECT_EQ(buf_.image[125], 2);
}

TEST_F(ConfigReaderTest, EmptyFileReadsAsAnEmptyImage) {
    const ConfigReadResult result = ReadText(QByteArray());
    EXPECT_EQ(result.Outcome, ConfigReadOutcome::Read);
    EXPECT_EQ(result.FileSize, 0);
    EXPECT_EQ(length_, 0);
}

TEST_F(ConfigReaderTest, ReportsTheSizeOfTheFileItRead) {
    EXPECT_EQ(ReadText("1,2,3\r\n").FileSize, 7);
}

TEST_F(ConfigReaderTest, NewReadStartsFromPositionOne) {
    ASSERT_EQ(ReadText("1,2,3,4,5").Outcome, ConfigReadOutcome::Read);
    ASSERT_EQ(ReadText("9").Outcome, ConfigReadOutcome::Read);
    EXPECT_EQ(length_, 1);
    EXPECT_EQ(buf_.image[0], 9);
}

TEST_F(ConfigReaderTest, FileThatCannotBeOpenedLeavesImageAndLengthAlone) {
    ASSERT_EQ(ReadText("1,2,3").Outcome, ConfigReadOutcome::Read);
    // Chosen, then gone before it is read.
    const QString path = Write("200,201");
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(Read(path).Outcome, ConfigReadOutcome::CannotOpen);
    EXPECT_EQ(length_, 3);
    EXPECT_EQ(Taken(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(buf_.image[3], kUntouched);
}

TEST_F(ConfigReaderTest, FoldersAndFifosAreNotOpened) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ttf")));
    EXPECT_EQ(Read(dir_.filePath(QStringLiteral("folder.ttf"))).Outcome,
              ConfigReadOutcome::CannotOpen);
    // Opening a FIFO would block until a writer came.
    const QString fifo = dir_.filePath(QStringLiteral("pipe.ttf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(Read(fifo).Outcome, ConfigReadOutcome::CannotOpen);
    EXPECT_EQ(length_, 1234);
}

TEST_F(ConfigReaderTest, FullImageOfExactlyTheCapacityIsRead) {
    EXPECT_EQ(ReadText(QByteArray("3\r\n").repeated(ConfigImageCapacity)).Outcome,
              ConfigReadOutcome::Read);
    EXPECT_EQ(length_, ConfigImageCapacity);
    EXPECT_TRUE(buf_.GuardsIntact());
}

TEST_F(ConfigReaderTest, MoreWordsThanTheImageHoldsAreRefusedWithoutOverrun) {
    const ConfigReadResult result =
        ReadText(QByteArray("3\r\n").repeated(ConfigImageCapacity) + "4,5,6\r\n");
    EXPECT_EQ(result.Outcome, ConfigReadOutcome::Faulty);
    EXPECT_EQ(result.Fault, ConfigFault::TooManyWords);
    EXPECT_EQ(length_, ConfigImageCapacity);
    EXPECT_EQ(buf_.image[ConfigImageCapacity - 1], 3);
    EXPECT_TRUE(buf_.GuardsIntact());
}

TEST(ConfigWordByte, AcceptsDecimalDigitsUpToTheLargestInteger) {
    EXPECT_EQ(ConfigWordByte(QStringLiteral("0")), 0);
    EXPECT_EQ(ConfigWordByte(QStringLiteral("2147483647")), 255);
    EXPECT_EQ(ConfigWordByte(QStringLiteral("2147483392")), 0);
    EXPECT_EQ(ConfigWordByte(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(ConfigWordByte(QString()), std::nullopt);
    // Digits of other scripts are not decimal digits here.
    EXPECT_EQ(ConfigWordByte(QString(QChar(0x0661))), std::nullopt);
    EXPECT_EQ(ConfigWordByte(QStringLiteral("1e3")), std::nullopt);
}
