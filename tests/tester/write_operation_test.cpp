// The write stepper: which bytes each request of a repeated write carries, and when the
// write refuses to start.
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

// Every request of a run: the first, then each the timer sends after a reply.
QStringList RunToEnd(TTesterWrite& write, const TWriteStart& start) {
    QStringList sent{start.Request->Data};
    for (int guard = 0; guard < 100; ++guard) {
        const TWriteStep step = write.Reply(Reply(start.Request->Function));
        if (step.End != TStepEnd::Continue) break;
        const TRepetition next =
            write.Pacer() == TPacer::Pages ? write.NextPage() : write.NextRepetition();
        if (!next.Request) break;
        sent << next.Request->Data;
    }
    return sent;
}

TEST(TesterWrite, CoilRepetitionsFromAFileCarryValueKThenZero) {
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atCoil, 3, true, 5, {1, 2, 3}, true));
    ASSERT_TRUE(start.Request);
    EXPECT_EQ(start.Shown, 1);
    EXPECT_EQ(RunToEnd(write, start),
              (QStringList{QStringLiteral("00030100"), QStringLiteral("00030200"),
                           QStringLiteral("00030300"), QStringLiteral("00030000"),
                           QStringLiteral("00030000")}));
}

TEST(TesterWrite, RegisterRepetitionsWithoutAFileRepeatTheFirstRequest) {
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atRegister, 0x10, true, 3));
    EXPECT_EQ(RunToEnd(write, start), QStringList(3, QStringLiteral("0010005A")));
}

TEST(TesterWrite, RepeatedPageWriteSendsChunksOfTheBuffersSize) {
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atPage, 0x100, true, 25));
    ASSERT_EQ(write.Pacer(), TPacer::Pages);
    const QStringList sent = RunToEnd(write, start);
    ASSERT_EQ(sent.size(), 3);
    const QString value = QStringLiteral("5A");
    EXPECT_EQ(sent[0], QStringLiteral("110600000100000A") + value.repeated(10));
    EXPECT_EQ(sent[1], QStringLiteral("11060000010A000A") + value.repeated(10));
    EXPECT_EQ(sent[2], QStringLiteral("0C06000001140005") + value.repeated(5));
}

TEST(TesterWrite, PageWriteFromAShortFileIsReducedToItsValues) {
    TInputValues twelve;
    for (std::uint8_t v = 1; v <= 12; ++v) twelve.push_back(v);
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atPage, 0x200, true, 50, twelve, true));
    ASSERT_EQ(start.Events.size(), 2u);
    EXPECT_EQ(start.Events[1].Text, QStringLiteral("Количество повторов уменьшено до 12"));
    EXPECT_EQ(RunToEnd(write, start),
              (QStringList{QStringLiteral("110600000200000A0102030405060708090A"),
                           QStringLiteral("09060000020A00020B0C")}));
}

TEST(TesterWrite, PageWriteFromAFileWithoutValuesSendsNothing) {
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atPage, 0x200, true, 5, {}, true));
    EXPECT_FALSE(start.Request);
    EXPECT_EQ(start.Refusal, TWriteRefusal::wrNoValues);
    EXPECT_EQ(start.Events.size(), 2u);  // the operator still hears why
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

TEST(TesterWrite, RefusedAddressesSayNothingOfTheFile) {
    TTesterWrite write;
    const TWriteStart start = write.Start(Settings(atCoil, 0x10, true, 5, {}, true));
    EXPECT_FALSE(start.Request);
    EXPECT_EQ(start.Refusal, TWriteRefusal::wrAddress);
    EXPECT_TRUE(start.Events.empty());
}

}  // namespace
