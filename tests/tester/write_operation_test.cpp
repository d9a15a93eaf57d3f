// The write stepper on what the end-to-end tests do not reach: single writes from a file.
#include "tester/write_operation.h"

#include <gtest/gtest.h>

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

}  // namespace
