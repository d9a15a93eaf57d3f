// The write stepper on what the end-to-end tests do not reach: single writes from a file, and
// the repeat count a short file leaves.
#include "tester/write_operation.h"

#include <gtest/gtest.h>

#include <optional>

#include "example_board.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

TWriteSettings Settings(TAddrType type, int address, bool repeat, int count,
                        TInputValues inputs = {}, bool fromFile = false) {
    TWriteSettings settings;
    settings.AddrType = type;
    settings.Address = address;
    settings.AutoRepeat = repeat;
    settings.Stepcount = count;
    settings.Value = 0x5A;
    settings.WriteFromFile = fromFile;
    settings.Inputs = std::move(inputs);
    settings.InputFileName = QStringLiteral("in.txt");
    settings.Board = test::ExampleBoard();
    return settings;
}

DecodedReply Reply(std::uint8_t function) {
    return {0, function, QString(), 0};
}

TEST(TesterWrite, SingleWritesTakeTheFirstFileValueAndEndAtTheirReply) {
    TTesterWrite write;
    const TWriteStart page = write.Start(Settings(atPage, 0x100, false, 2, {0xA5, 1}, true));
    EXPECT_EQ(page.Request->Data, QStringLiteral("0806000001000001A5"));
    EXPECT_EQ(write.Reply(Reply(21)).End, TStepEnd::Stop);
    const TWriteStart coil = write.Start(Settings(atCoil, 3, false, 2));
    EXPECT_EQ(coil.Request->Data, QStringLiteral("00035A00"));
    EXPECT_EQ(write.Reply(Reply(5)).End, TStepEnd::Done);
}

struct ReductionCase {
    const char* name;
    TAddrType type;
    bool fromFile;
    int stepcount;
    int values;  // in the input file
    std::optional<int> reduced;
    TWriteRefusal refusal;
};

void PrintTo(const ReductionCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatReduction : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(RepeatReduction, OnlyAPageWriteFromAShortFileGoesOnWithTheFileCount) {
    const ReductionCase& c = GetParam();
    TTesterWrite write;
    const TWriteStart start =
        write.Start(Settings(c.type, c.type == atPage ? 0x100 : 3, true, c.stepcount,
                             TInputValues(static_cast<std::size_t>(c.values), 0x11), c.fromFile));
    EXPECT_EQ(start.Stepcount, c.reduced);
    EXPECT_EQ(start.Refusal, c.refusal);
    // Said to the operator exactly when the count changes.
    EXPECT_EQ(start.Events.size(), c.reduced ? 2u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Write, RepeatReduction, ::testing::Values(
    ReductionCase{"PageFromAShortFile",     atPage, true,  50, 12, 12, TWriteRefusal::wrNone},
    ReductionCase{"PageFromALongerFile",    atPage, true,  5,  12, std::nullopt, TWriteRefusal::wrNone},
    ReductionCase{"PageFromAFileJustRight", atPage, true,  12, 12, std::nullopt, TWriteRefusal::wrNone},
    ReductionCase{"PageFromAnEmptyFile",    atPage, true,  5,  0,  0, TWriteRefusal::wrNoValues},
    ReductionCase{"PageFromTheValueField",  atPage, false, 50, 0,  std::nullopt, TWriteRefusal::wrNone},
    // Coils past the file's end write zeros instead.
    ReductionCase{"CoilFromAShortFile",     atCoil, true,  5,  3,  std::nullopt, TWriteRefusal::wrNone}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
