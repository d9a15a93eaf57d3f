#include "fpga/identity.h"

#include <gtest/gtest.h>

#include "common/hex.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

// "11" "FF" "12" "04" "0F" "00" "3F" "10" "04" "8000" "40"
const QString kArvixPayload = QStringLiteral("11FF12040F003F1004800040");

QString WithField(QString payload, int position, const QString& field) {
    return payload.replace(position - 1, field.size(), field);
}

}  // namespace

TEST(DecodeIdentity, DecodesEveryFieldOfAFullPayload) {
    const DeviceIdentity id = DecodeIdentity(kArvixPayload);
    EXPECT_EQ(id.BoardCode, 0x11);
    EXPECT_EQ(id.BoardName, QStringLiteral("Arvix"));
    EXPECT_FALSE(id.LoadNotRequired);
    EXPECT_EQ(id.BoardText, QStringLiteral("Arvix версия 1.2"));
    EXPECT_TRUE(id.ConfigurationLoaded);
    EXPECT_EQ(id.FpgaName, QStringLiteral("EPF10K10"));
    EXPECT_EQ(AddressLabelText(id.CoilStart), QStringLiteral("00h"));
    EXPECT_EQ(AddressLabelText(id.CoilEnd), QStringLiteral("0Fh"));
    EXPECT_EQ(AddressLabelText(id.HoldStart), QStringLiteral("10h"));
    EXPECT_EQ(AddressLabelText(id.HoldEnd), QStringLiteral("3Fh"));
    EXPECT_EQ(PageCountText(id.PageCount), QStringLiteral("4"));
    EXPECT_EQ(id.PageSize, 32768);
    EXPECT_EQ(PageSizeText(id.PageSize), QStringLiteral("32КБ"));
    EXPECT_EQ(BufferSizeText(id.BufferSize), QStringLiteral("64Б"));
    EXPECT_EQ(id.PageChunkSize, 20);
    EXPECT_TRUE(id.BufferAccepted());
    EXPECT_EQ(id.PageOffsetMin, 0);
    EXPECT_EQ(id.PageOffsetMax, 32768);
}

TEST(DecodeIdentity, VersionCharactersAreShownAsTheyCame) {
    EXPECT_EQ(DecodeIdentity(WithField(kArvixPayload, 5, QStringLiteral("A7"))).BoardText,
              QStringLiteral("Arvix версия A.7"));
}

struct FlagCase {
    const char16_t* flag;
    bool loaded;
};

class ConfigurationFlag : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ConfigurationFlag, OnlyUpperCaseFFMeansLoaded) {
    const QString payload = WithField(kArvixPayload, 3, QString::fromUtf16(GetParam().flag));
    EXPECT_EQ(DecodeIdentity(payload).ConfigurationLoaded, GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigurationFlag,
                         ::testing::Values(FlagCase{u"FF", true}, FlagCase{u"00", false},
                                           FlagCase{u"ff", false}, FlagCase{u"Ff", false},
                                           FlagCase{u"FE", false}));

TEST(DecodeIdentity, EachDecodeSetsLoadNotRequiredAfresh) {
    EXPECT_TRUE(DecodeIdentity(WithField(kArvixPayload, 1, QStringLiteral("21"))).LoadNotRequired);
    EXPECT_FALSE(DecodeIdentity(kArvixPayload).LoadNotRequired);
}

TEST(DecodeIdentity, EmptyPayloadIsAnUnknownBoardWithAnUnusableBuffer) {
    const DeviceIdentity id = DecodeIdentity(QString());
    EXPECT_EQ(id.BoardText, QStringLiteral("Неизвестное устройство версия ."));
    EXPECT_FALSE(id.ConfigurationLoaded);
    EXPECT_EQ(id.FpgaName, QStringLiteral("не установлена"));
    EXPECT_EQ(id.PageSize, 0);
    EXPECT_EQ(id.BufferSize, 0);
    EXPECT_FALSE(id.BufferAccepted());
    EXPECT_EQ(id.PageOffsetMax, 0);
}

TEST(DecodeIdentity, FieldsBeyondAShortPayloadReadAsZero) {
    // Byte count says 12 bytes but only board, flag and version arrived; FPGA code 0.
    const DeviceIdentity id = DecodeIdentity(QStringLiteral("12FF31"));
    EXPECT_EQ(id.BoardText, QStringLiteral("Boltra версия 3.1"));
    EXPECT_EQ(id.FpgaName, QStringLiteral("не установлена"));
    EXPECT_EQ(id.CoilEnd, 0);
    // A page size cut after its high byte: the low byte reads as 0.
    const DeviceIdentity cut = DecodeIdentity(QStringLiteral("11FF12040F003F100480"));
    EXPECT_EQ(cut.PageSize, 0x8000);
    EXPECT_EQ(cut.BufferSize, 0);
}

TEST(DecodeIdentity, UnknownFpgaCodeGivesAnEmptyName) {
    EXPECT_EQ(DecodeIdentity(WithField(kArvixPayload, 7, QStringLiteral("09"))).FpgaName,
              QString());
}

struct BoardCase {
    int code;
    const char16_t* name;
    bool loadNotRequired;
};

class BoardTable : public ::testing::TestWithParam<BoardCase> {};

TEST_P(BoardTable, NamesBoardsAndMarksThoseWithoutLoad) {
    const BoardEntry entry = BoardNameTable(static_cast<std::uint8_t>(GetParam().code));
    EXPECT_EQ(entry.Name, QString::fromUtf16(GetParam().name));
    EXPECT_EQ(entry.LoadNotRequired, GetParam().loadNotRequired);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, BoardTable, ::testing::Values(
    BoardCase{0x11, u"Arvix", false},   BoardCase{0x12, u"Boltra", false},
    BoardCase{0x13, u"Corvane", false}, BoardCase{0x14, u"Dellik", false},
    BoardCase{0x20, u"Emmet", true},    BoardCase{0x21, u"Fenno", true},
    BoardCase{0x22, u"Gissa", true},
    BoardCase{0x10, u"Неизвестное устройство", false},
    BoardCase{0x15, u"Неизвестное устройство", false},
    BoardCase{0x23, u"Неизвестное устройство", false}));
// clang-format on

struct FpgaCase {
    int code;
    const char16_t* name;
};

class FpgaTable : public ::testing::TestWithParam<FpgaCase> {};

TEST_P(FpgaTable, NamesChipsAndLeavesOthersEmpty) {
    EXPECT_EQ(FpgaNameTable(static_cast<std::uint8_t>(GetParam().code)),
              QString::fromUtf16(GetParam().name));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, FpgaTable, ::testing::Values(
    FpgaCase{0, u"не установлена"}, FpgaCase{1, u"EPF8282A"}, FpgaCase{2, u"EPF8452A"},
    FpgaCase{3, u"EPF8636A"},       FpgaCase{4, u"EPF10K10"}, FpgaCase{5, u""},
    FpgaCase{9, u""},               FpgaCase{0x10, u""},      FpgaCase{0x11, u"XC2S30"},
    FpgaCase{0x12, u"XC2S50"},      FpgaCase{0x13, u"XC2S100"}, FpgaCase{0x14, u"XC2S150"},
    FpgaCase{0x15, u"XC2S200"},     FpgaCase{0x16, u""},      FpgaCase{0xFF, u""}));
// clang-format on

struct BufferCase {
    int bufferSize;
    int chunk;
    bool accepted;
};

class BufferRule : public ::testing::TestWithParam<BufferCase> {};

TEST_P(BufferRule, ChunkSizeFollowsTheBufferAndSmallBuffersAreRefused) {
    const QString payload =
        WithField(kArvixPayload, 23, Hex(static_cast<unsigned>(GetParam().bufferSize), 2));
    const DeviceIdentity id = DecodeIdentity(payload);
    EXPECT_EQ(id.BufferSize, GetParam().bufferSize);
    EXPECT_EQ(id.PageChunkSize, GetParam().chunk);
    EXPECT_EQ(id.BufferAccepted(), GetParam().accepted);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, BufferRule, ::testing::Values(
    BufferCase{255, 115, true},
    BufferCase{64, 20, true},
    BufferCase{32, 4, true},
    BufferCase{27, 1, true},
    BufferCase{26, 1, true},
    BufferCase{25, 0, false},
    BufferCase{1, -11, false},   // -1 div 2 truncates to 0, not -1
    BufferCase{0, -12, false}));
// clang-format on

TEST(DeviceLabels, FormatAsTheDeviceGroupShowsThem) {
    EXPECT_EQ(AddressLabelText(0xAB), QStringLiteral("ABh"));
    EXPECT_EQ(PageSizeText(1023), QStringLiteral("0КБ"));
    EXPECT_EQ(PageSizeText(1024), QStringLiteral("1КБ"));
    EXPECT_EQ(PageSizeText(65535), QStringLiteral("63КБ"));
    EXPECT_EQ(BufferSizeText(255), QStringLiteral("255Б"));
    EXPECT_EQ(PageCountText(0), QStringLiteral("0"));
    EXPECT_EQ(ConfigurationStatusText(true), QStringLiteral("конфигурация загружена"));
    EXPECT_EQ(ConfigurationStatusText(false), QStringLiteral("конфигурация не загружена"));
}
