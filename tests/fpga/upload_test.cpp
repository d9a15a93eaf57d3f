#include "fpga/upload.h"

#include <gtest/gtest.h>
#include <vector>

#include "support/qt_printers.h"

using namespace torvel;

namespace {

// Position p holds p & 0xFF, so every chunk's hex text is predictable.
ConfigImageBytes CountingImage() {
    ConfigImageBytes image{};
    for (int p = 1; p <= ConfigImageCapacity; ++p) image[p - 1] = static_cast<std::uint8_t>(p);
    return image;
}

const ConfigImageBytes kImage = CountingImage();

// Runs an upload reply by reply, as the window's function-21 branch would.
struct UploadRun {
    std::vector<QString> requests;  // data fields, preparatory first
    std::vector<int> shown;         // ShowUploadPosition values
    std::vector<int> progress;
    bool completed = false;
    UploadState state;
};

UploadRun RunUpload(std::uint16_t length, int chunkSize) {
    UploadRun run;
    run.requests.push_back(BeginUpload(run.state));
    // An upload can never take more replies than bytes plus its three fixed requests.
    for (int reply = 0; reply < ConfigImageCapacity + 4; ++reply) {
        const UploadStep step = StepUpload(run.state, kImage, length, chunkSize);
        if (step.Completed) {
            run.completed = true;
            break;
        }
        run.requests.push_back(step.RequestData);
        if (step.ShownPosition) run.shown.push_back(*step.ShownPosition);
        if (step.Progress) run.progress.push_back(*step.Progress);
    }
    return run;
}

}  // namespace

TEST(UploadRequests, DataFieldsOfTheFourRequests) {
    EXPECT_EQ(PreparatoryRequestData(), QStringLiteral("0806000A0000000100"));
    EXPECT_EQ(FirstByteRequestData(0xAB), QStringLiteral("0806000A00010001AB"));
    EXPECT_EQ(FirstByteRequestData(0x05), QStringLiteral("0806000A0001000105"));
    EXPECT_EQ(ImageDataRequestData(3, QStringLiteral("0102FF")),
              QStringLiteral("0A06000A000100030102FF"));
    EXPECT_EQ(EndRequestData(), QStringLiteral("0806000A0002000100"));
}

struct ChunkCase {
    int length;
    int chunkSize;
    int position;
    int count;
    const char16_t* data;
    int nextPosition;
};

class ImageChunks : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ImageChunks, TakesUpToChunkSizeBytesAndAdvances) {
    const ChunkCase& c = GetParam();
    auto position = static_cast<std::uint16_t>(c.position);
    std::uint8_t count = 99;
    QString data = QStringLiteral("stale");
    NextImageChunk(kImage, static_cast<std::uint16_t>(c.length), c.chunkSize, position, count,
                   data);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(data, QString::fromUtf16(c.data));
    EXPECT_EQ(position, c.nextPosition);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ImageChunks, ::testing::Values(
    ChunkCase{10, 3, 2, 3, u"020304", 5},
    ChunkCase{10, 3, 8, 3, u"08090A", 11},       // ends exactly on the last byte
    ChunkCase{10, 3, 9, 2, u"090A", 11},         // the rest of the image
    ChunkCase{10, 3, 10, 1, u"0A", 11},
    ChunkCase{10, 3, 11, 0, u"", 11},            // past the end: nothing, position kept
    ChunkCase{0, 3, 1, 0, u"", 1},
    ChunkCase{300, 2, 255, 2, u"FF00", 257},     // bytes wrap at 256 in the counting image
    ChunkCase{10, 0, 2, 1, u"02", 3},            // no usable chunk size still advances
    ChunkCase{10, -4, 2, 1, u"02", 3},
    ChunkCase{10, 3, 0, 3, u"010203", 4}));      // position 0 starts at the first byte
// clang-format on

TEST(ImageChunks, ChunkNeverExceedsWhatTheRecordLengthField) {
    std::uint16_t position = 1;
    std::uint8_t count = 0;
    QString data;
    NextImageChunk(kImage, 1000, 200, position, count, data);
    EXPECT_EQ(count, MaxImageChunk);
    EXPECT_EQ(data.size(), 2 * MaxImageChunk);
    EXPECT_EQ(position, 1 + MaxImageChunk);
    EXPECT_TRUE(ImageDataRequestData(count, data).startsWith(QStringLiteral("7A06000A00010073")));
}

struct CountCase {
    int length;
    int chunkSize;
};

class UploadRequestCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(UploadRequestCount, IsPreparatoryFirstByteChunksAndEnd) {
    const CountCase& c = GetParam();
    const UploadRun run = RunUpload(static_cast<std::uint16_t>(c.length), c.chunkSize);
    ASSERT_TRUE(run.completed);
    const int chunks = (c.length - 1 + c.chunkSize - 1) / c.chunkSize;
    EXPECT_EQ(run.requests.size(), static_cast<std::size_t>(1 + 1 + chunks + 1));
    EXPECT_EQ(run.requests.front(), PreparatoryRequestData());
    EXPECT_EQ(run.requests[1], FirstByteRequestData(1));
    EXPECT_EQ(run.requests.back(), EndRequestData());
    // Every image byte goes out exactly once, in order.
    QString sent = run.requests[1].right(2);
    for (std::size_t i = 2; i + 1 < run.requests.size(); ++i) sent += run.requests[i].mid(16);
    QString expected;
    for (int p = 1; p <= c.length; ++p) expected += QString::asprintf("%02X", p & 0xFF);
    EXPECT_EQ(sent, expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, UploadRequestCount, ::testing::Values(
    CountCase{1, 20}, CountCase{2, 20}, CountCase{21, 20}, CountCase{22, 20},
    CountCase{1000, 20}, CountCase{10, 3}, CountCase{10, 1}, CountCase{116, 115},
    CountCase{117, 115}, CountCase{50000, 115}, CountCase{50000, 1}));
// clang-format on

TEST(UploadSteps, ThousandBytesInChunksOfTwenty) {
    const UploadRun run = RunUpload(1000, 20);
    ASSERT_TRUE(run.completed);
    ASSERT_EQ(run.requests.size(), 53u);
    for (std::size_t i = 2; i < 51; ++i)
        EXPECT_TRUE(run.requests[i].startsWith(QStringLiteral("1B06000A00010014"))) << i;
    EXPECT_TRUE(run.requests[51].startsWith(QStringLiteral("1A06000A00010013")));
    std::vector<int> shown{1};
    for (int p = 22; p <= 982; p += 20) shown.push_back(p);
    shown.push_back(1001);
    EXPECT_EQ(run.shown, shown);
    EXPECT_EQ(run.progress.front(), 2);
    EXPECT_EQ(run.progress.back(), 100);
}

TEST(UploadSteps, ImageOf116BytesWithTheLargestChunk) {
    const UploadRun run = RunUpload(116, 115);
    ASSERT_EQ(run.requests.size(), 4u);
    EXPECT_EQ(run.requests[1], QStringLiteral("0806000A0001000101"));
    EXPECT_TRUE(run.requests[2].startsWith(QStringLiteral("7A06000A0001007302030405")));
    EXPECT_EQ(run.requests[2].size(), 16 + 2 * 115);
    EXPECT_EQ(run.shown, (std::vector<int>{1, 117}));
}

TEST(UploadSteps, EndAnswerCompletesAndKeepsEndSentUntilTheNextStart) {
    UploadState state;
    state.UploadStarted = true;
    state.UploadPosition = 2;
    const UploadStep end = StepUpload(state, kImage, 1, 20);
    EXPECT_EQ(end.RequestData, EndRequestData());
    EXPECT_FALSE(end.ShownPosition.has_value());
    EXPECT_FALSE(end.Progress.has_value());
    EXPECT_TRUE(state.UploadEndSent);
    EXPECT_FALSE(state.UploadStarted);

    const UploadStep done = StepUpload(state, kImage, 1, 20);
    EXPECT_TRUE(done.Completed);
    EXPECT_TRUE(done.RequestData.isEmpty());
    EXPECT_TRUE(state.UploadEndSent);
    EXPECT_FALSE(state.UploadStarted);

    EXPECT_EQ(BeginUpload(state), PreparatoryRequestData());
    EXPECT_FALSE(state.UploadEndSent);
    EXPECT_FALSE(state.UploadStarted);
}

TEST(UploadSteps, LengthBeyondTheCapacityStillEnds) {
    const UploadRun run = RunUpload(60000, 115);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.shown.back(), ConfigImageCapacity + 1);
}

TEST(UploadProgress, TruncatesExactlyAndCapsAt100) {
    EXPECT_EQ(UploadProgress(22, 1000), 2);
    EXPECT_EQ(UploadProgress(500, 1000), 50);
    EXPECT_EQ(UploadProgress(29, 100), 29);  // 0.29 * 100 in doubles is just under 29
    EXPECT_EQ(UploadProgress(2, 3), 66);
    EXPECT_EQ(UploadProgress(1001, 1000), 100);
    EXPECT_EQ(UploadProgress(50001, 50000), 100);
    EXPECT_EQ(UploadProgress(1, 0), 0);
}

TEST(UploadPosition, TextIsDecimalAndEmptyForZero) {
    EXPECT_EQ(UploadPositionText(0), QString());
    EXPECT_EQ(UploadPositionText(1001), QStringLiteral("1001"));
}

TEST(UploadSpeed, TextFitsANarrowPanel) {
    constexpr qint64 kSecond = 1'000'000'000;
    EXPECT_EQ(UploadSpeedText(1711.6, 7 * kSecond), QStringLiteral("1712 Б/с, 0:07"));
    EXPECT_EQ(UploadSpeedText(9999.4, kSecond), QStringLiteral("9999 Б/с, 0:01"));
    EXPECT_EQ(UploadSpeedText(9999.6, kSecond), QStringLiteral("10 кБ/с, 0:01"));
    EXPECT_EQ(UploadSpeedText(141720, 0), QStringLiteral("142 кБ/с, 0:00"));
    EXPECT_EQ(UploadSpeedText(13, 84 * 60 * kSecond), QStringLiteral("13 Б/с, 84:00"));
    EXPECT_EQ(UploadSpeedText(0, -1), QStringLiteral("измеряется"));
}

TEST(UploadStart, NeedsAnImage) {
    EXPECT_FALSE(ConfigImageReady(0));
    EXPECT_TRUE(ConfigImageReady(1));
}

struct TypeMatchCase {
    const char16_t* projectType;
    const char16_t* fpgaName;
    bool matches;
};

class FpgaTypeCheck : public ::testing::TestWithParam<TypeMatchCase> {};

TEST_P(FpgaTypeCheck, ComparesTheLastEightCharactersWithTheFpgaName) {
    EXPECT_EQ(ProjectTypeMatchesFpga(QString::fromUtf16(GetParam().projectType),
                                     QString::fromUtf16(GetParam().fpgaName)),
              GetParam().matches);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, FpgaTypeCheck, ::testing::Values(
    TypeMatchCase{u"ALTERA Tabular Text File для EPF10K10", u"EPF10K10", true},
    TypeMatchCase{u"ALTERA Tabular Text File для EPF8282A", u"EPF10K10", false},
    TypeMatchCase{u"ALTERA Tabular Text File ", u"EPF10K10", false},
    TypeMatchCase{u"XILINX Binary File", u"XC2S100", false},   // never a chip name
    TypeMatchCase{u"XILINX Binary File", u"XC2S200", false},
    TypeMatchCase{u"нет данных", u"нет данных", false},
    TypeMatchCase{u"?", u"?", true},                           // shorter: the whole text
    TypeMatchCase{u"EPF8636A", u"EPF8636A", true}));
// clang-format on
