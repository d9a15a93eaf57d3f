#include "tester/input_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

using namespace torvel;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ParseCase {
    const char* Name;
    QByteArray Contents;
    Bytes Values;
};

class InputTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(InputTextTest, ReadsTheValues) {
    const std::optional<TInputValues> values = ParseInputText(GetParam().Contents);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(*values, GetParam().Values);
}

QByteArray LineWithWordAt(int column, const QByteArray& word) {
    return QByteArray(column - 1, ' ') + word + "\r\n";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, InputTextTest, testing::Values(
    ParseCase{"Example", "// remark\r\n  01 02,03\r\nFF", {0x01, 0x02, 0x03, 0xFF}},
    ParseCase{"Empty", "", {}},
    ParseCase{"LastTwoDigitsCount", "A5 a5 0A5 1A5 123456A5", {0xA5, 0xA5, 0xA5, 0xA5, 0x56}},
    ParseCase{"ForeignCharactersCountZero", "G1 \xDF" "5 1x", {0x01, 0x05, 0x10}},
    ParseCase{"Delimiters0To47", "1!2\"3#4$5%6&7'8(9)A*B+C,D-E.F/0\t1\x01" "2", {
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF, 0, 1, 2}},
    ParseCase{"ColonAndAboveAreWordCharacters", "1:2;3", {0x03}},
    ParseCase{"IndentedRemarkAndResultHeader",
              "   // x 11\n// [05.03.2026 9:07:31] Результаты\r\n00010:  AB CD \r\n",
              {0x00, 0xAB, 0xCD}},
    ParseCase{"WordAtColumn250Counts", LineWithWordAt(250, "12"), {0x01}},
    ParseCase{"RestOfALongLineIsSkipped", LineWithWordAt(251, "12") + "34", {0x34}},
    ParseCase{"NulIsADelimiter", QByteArray("01\0" "02", 5), {0x01, 0x02}}),
    [](const testing::TestParamInfo<ParseCase>& param) { return std::string(param.param.Name); });
// clang-format on

TEST(InputText, TakesFiftyThousandValuesAndRefusesOneMore) {
    QByteArray contents;
    for (int i = 0; i < kInputValueCapacity / 10; ++i)
        contents += "01 02 03 04 05 06 07 08 09 0A\r\n";
    const std::optional<TInputValues> full = ParseInputText(contents);
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->size(), std::size_t{kInputValueCapacity});
    EXPECT_EQ(full->back(), 0x0A);
    EXPECT_FALSE(ParseInputText(contents + "FF").has_value());
}

TEST(InputFile, ReadsARegularFileAndRefusesEverythingElse) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("01 02\r\n03\r\n");
    file.close();
    EXPECT_EQ(LoadInputFile(path), std::optional<TInputValues>(Bytes{1, 2, 3}));

    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening a FIFO without a writer for reading would block for ever.
    EXPECT_FALSE(LoadInputFile(fifo).has_value());
    EXPECT_FALSE(LoadInputFile(dir.path()).has_value());
    EXPECT_FALSE(LoadInputFile(dir.filePath(QStringLiteral("missing.txt"))).has_value());
    EXPECT_FALSE(LoadInputFile(QString()).has_value());
}

}  // namespace
