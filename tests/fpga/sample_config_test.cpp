#include "fpga/sample_config.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "fpga/config_file.h"
#include "fpga/config_reader.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

// Reads a sample back as the window would, returning the bytes taken.
std::vector<std::uint8_t> ReadBack(const QString& path,
                                   ConfigReadOutcome expected = ConfigReadOutcome::Read) {
    auto image = std::make_unique<ConfigImageBytes>();
    std::uint16_t length = 0;
    EXPECT_EQ(ReadConfigFile(path, *image, length).Outcome, expected);
    return std::vector<std::uint8_t>(image->begin(), image->begin() + length);
}

}  // namespace

struct ChipCase {
    qint64 size;
    const char16_t* type;
};

class SampleChips : public ::testing::TestWithParam<ChipCase> {};

TEST_P(SampleChips, ExactSizeClassifiesAsTheChipAndReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.ttf"));
    const auto image = WriteSampleConfigFile(path, GetParam().size, 7);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(QFileInfo(path).size(), GetParam().size);
    EXPECT_EQ(ProjectTypeText(path, QFileInfo(path).size()), QString::fromUtf16(GetParam().type));
    EXPECT_GT(image->size(), 5000u);
    EXPECT_EQ(ReadBack(path), *image);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, SampleChips, ::testing::Values(
    ChipCase{20909, u"ALTERA Tabular Text File для EPF8282A"},
    ChipCase{31985, u"ALTERA Tabular Text File для EPF8452A"},
    ChipCase{47285, u"ALTERA Tabular Text File для EPF8636A"},
    ChipCase{59691, u"ALTERA Tabular Text File для EPF10K10"}));
// clang-format on

TEST(SampleConfig, BitFileOfAGivenSizeReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.bit"));
    const auto image = WriteSampleConfigFile(path, 12345, 1);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(QFileInfo(path).size(), 12345);
    EXPECT_EQ(ProjectTypeText(path, 12345), QStringLiteral("XILINX Binary File"));
    EXPECT_EQ(ReadBack(path), *image);
}

TEST(SampleConfig, EverySmallSizeIsExactAndValid) {
    QTemporaryDir dir;
    for (qint64 size = 0; size <= 300; ++size) {
        const QString path = dir.filePath(QStringLiteral("s%1.ttf").arg(size));
        const auto image = WriteSampleConfigFile(path, size, 3);
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(QFileInfo(path).size(), size);
        ASSERT_EQ(ReadBack(path), *image) << size;
        ASSERT_EQ(image->empty(), size == 0) << size;
    }
}

TEST(SampleConfig, SameSeedSameTextOtherSeedOtherText) {
    EXPECT_EQ(MakeSampleConfig(20909, 5).Text, MakeSampleConfig(20909, 5).Text);
    EXPECT_NE(MakeSampleConfig(20909, 5).Text, MakeSampleConfig(20909, 6).Text);
}

TEST(SampleConfig, LinesEndInCrLfAndStayWellUnder250Characters) {
    const QByteArray text = MakeSampleConfig(59691, 1).Text;
    ASSERT_TRUE(text.endsWith("\r\n"));
    for (const QByteArray& line : text.split('\n')) {
        EXPECT_LT(line.size(), 250);
        if (!line.isEmpty()) {
            EXPECT_TRUE(line.endsWith('\r'));
        }
    }
}

TEST(SampleConfig, LargeSampleStopsAtTheImageCapacityAndStillReads) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bit"));
    const auto image = WriteSampleConfigFile(path, 400000, 2);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), static_cast<std::size_t>(ConfigImageCapacity));
    EXPECT_EQ(QFileInfo(path).size(), 400000);
    EXPECT_EQ(ReadBack(path), *image);
}

TEST(SampleConfig, UnwritablePathSaysWhy) {
    QString error;
    EXPECT_FALSE(WriteSampleConfigFile(QStringLiteral("/nonexistent-dir/x.ttf"), 10, 1, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SampleTool, WritesTheFileAskedFor) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.ttf"));
    QProcess tool;
    tool.start(QStringLiteral(TORVEL_SAMPLE_TOOL),
               {QStringLiteral("--size"), QStringLiteral("59691"), QStringLiteral("--out"), path});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_EQ(QFileInfo(path).size(), 59691);
    EXPECT_EQ(ReadBack(path), MakeSampleConfig(59691, 1).Image);
}

TEST(SampleTool, RefusesBadArguments) {
    QProcess tool;
    tool.start(QStringLiteral(TORVEL_SAMPLE_TOOL), {QStringLiteral("--size"), QStringLiteral("x")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
}
