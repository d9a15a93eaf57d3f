// The tester's read end to end: coils, registers and RAM/ROM read from torvel-board, once and
// repeated, into the result field and the result file, and every way a read can end early.
#include <sys/stat.h>
#include <QProgressBar>
#include <QTimer>

#include "tester_window.h"

namespace {

using torvel_test::TesterWindow;
using torvel_test::WaitUntil;

const QString kRefused = QStringLiteral("[ТЕСТЕР] Указан недопустимый адрес");

TEST_F(TesterWindow, SingleRegisterReadShowsItsLowByte) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    Address(1, 0x3F);
    Read();
    EXPECT_EQ(RequestData(QStringLiteral("03")), QStringList{QStringLiteral("003F0001")});
    EXPECT_EQ(Control<TMultiBaseEdit>("MEdit2")->text(), QStringLiteral("3F"));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("OK"));
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ТЕСТЕР] Чтение данных из устройства по адресу 0003F"));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
}

TEST_F(TesterWindow, RepeatedRegisterReadLabelsEachValueWithItsStep) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const QString file = PathOf(QStringLiteral("result.txt"));
    Address(1, 0x10);
    Repeat(5);
    ToFile(file, 1);
    Read();
    EXPECT_EQ(RequestData(QStringLiteral("03")).size(), 5);
    EXPECT_EQ(ResultText(file), QStringLiteral("// [T] Результаты чтения по адресу 00010h\r\n"
                                               "// с повтором 5 раз, формат HEX\r\n"
                                               "00000:  0010 \r\n"
                                               "00001:  0010 \r\n"
                                               "00002:  0010 \r\n"
                                               "00003:  0010 \r\n"
                                               "00004:  0010 \r\n"
                                               "\r\n"));
    EXPECT_FALSE(Form().ResultFileOpen());
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("OK"));
}

struct LayoutCase {
    const char* name;
    int columns;
    bool decimal;
    bool addStep;
    bool append;
    QString expected;  // after the header
};

class PageReadLayout : public TesterWindow, public ::testing::WithParamInterface<LayoutCase> {};

// 25 bytes from 100h through a buffer that carries 10 a request; each byte holds the low byte
// of its address.
TEST_P(PageReadLayout, ChunksTheRunAndWritesEveryValueUnderItsAddress) {
    const LayoutCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--buffer"), QStringLiteral("44")}));
    ASSERT_EQ(Form().Device.PageChunkSize, 10);
    const QString file = PathOf(QStringLiteral("result.txt"));
    ASSERT_TRUE(torvel_test::WriteFileBytes(file, "old"));
    Address(2, 0x100);
    Repeat(25);
    ToFile(file, c.columns, c.decimal, c.addStep, c.append);
    Read();

    EXPECT_EQ(RequestData(QStringLiteral("14")),
              (QStringList{QStringLiteral("070600000100000A"), QStringLiteral("07060000010A000A"),
                           QStringLiteral("0706000001140005")}));
    const QString header = QStringLiteral(
                               "// [T] Результаты чтения по адресу 00100h\r\n"
                               "// с повтором 25 раз, формат ") +
                           (c.decimal ? QStringLiteral("DEC\r\n") : QStringLiteral("HEX\r\n"));
    EXPECT_EQ(ResultText(file),
              (c.append ? QStringLiteral("old\r\n") : QString()) + header + c.expected);
    EXPECT_EQ(Control<QProgressBar>("PBTest")->value(), 0);
}

QString HexRun(int from, int to, int columns, bool addStep) {
    QString text;
    for (int v = from; v <= to; ++v) {
        if (addStep && (v - from) % columns == 0)
            text += QStringLiteral("%1:  ").arg(0x100 + v, 5, 16, QChar(u'0')).toUpper();
        text += QStringLiteral("%1 ").arg(v, 2, 16, QChar(u'0')).toUpper();
        if ((v - from + 1) % columns == 0) text += QStringLiteral("\r\n");
    }
    return text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, PageReadLayout, ::testing::Values(
    LayoutCase{"HexFourColumns", 4, false, true, false,
               "00100:  00 01 02 03 \r\n00104:  04 05 06 07 \r\n00108:  08 09 0A 0B \r\n"
               "0010C:  0C 0D 0E 0F \r\n00110:  10 11 12 13 \r\n00114:  14 15 16 17 \r\n"
               "00118:  18 \r\n"},
    LayoutCase{"HexOneColumnAppended", 1, false, true, true, HexRun(0, 24, 1, true) + "\r\n"},
    LayoutCase{"DecTwentyFourColumnsWithoutStep", 24, true, false, false,
               "  0   1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19 "
               " 20  21  22  23 \r\n 24 \r\n"},
    LayoutCase{"DecFourColumnsAppended", 4, true, true, true,
               "00256:    0   1   2   3 \r\n00260:    4   5   6   7 \r\n00264:    8   9  10  11 \r\n"
               "00268:   12  13  14  15 \r\n00272:   16  17  18  19 \r\n00276:   20  21  22  23 \r\n"
               "00280:   24 \r\n"}),
    torvel_test::CaseName());
// clang-format on

TEST_F(TesterWindow, AddressMapBoundsAreInclusiveAndOnePastIsRefused) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    Address(2, 0x8000);  // the page size of the board: admitted
    Read();
    EXPECT_EQ(RequestData(QStringLiteral("14")), QStringList{QStringLiteral("0706000080000001")});
    EXPECT_EQ(LabelText("StatusTest"), QString());  // a single RAM/ROM read stops the tester

    Address(0, 0x10);  // one past the last coil
    const qsizetype before = BoardRequests().size();
    Read();
    EXPECT_EQ(Events().constLast(), kRefused);
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("Указан недопустимый адрес"));
    EXPECT_EQ(BoardRequests().size(), before);
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
}

TEST_F(TesterWindow, RamRunsThatCannotBeCarriedAreRefusedBeforeAnythingIsSent) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--page-size"), QStringLiteral("65535"),
                                           QStringLiteral("--pages"), QStringLiteral("1")}));
    const qsizetype before = BoardRequests().size();
    Address(2, 0xFFF0);
    Repeat(17);  // would pass FFFFh and wrap to 0
    Read();
    EXPECT_EQ(Events().constLast(), kRefused);
    Form().Device.PageChunkSize = 0;  // a buffer that carries no byte a request
    Repeat(2);
    Read();
    EXPECT_EQ(Events().constLast(), kRefused);
    EXPECT_EQ(BoardRequests().size(), before);
}

TEST_F(TesterWindow, StopEndsARepeatedReadAtOnce) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const QString file = PathOf(QStringLiteral("result.txt"));
    Address(1, 0x10);
    Repeat(1000, 200);
    ToFile(file);
    Control<QPushButton>("Button7")->click();
    ASSERT_TRUE(WaitUntil([&] { return LabelText("StatusTest") == u"OK"; }));
    Control<QPushButton>("Button9")->click();

    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ОПЕРАТОР] Выполнение текущей операции остановлено"));
    EXPECT_FALSE(Form().TesterActive());
    EXPECT_FALSE(Form().Timer2->isActive());
    EXPECT_EQ(Control<QProgressBar>("PBTest")->value(), 0);
    EXPECT_FALSE(Form().ResultFileOpen());
    EXPECT_TRUE(ResultText(file).endsWith(QStringLiteral("00000:  0010 \r\n")));
    EXPECT_TRUE(TesterControlsEnabled());
}

struct EarlyEndCase {
    const char* name;
    QStringList faults;  // the second read request (request 3) goes wrong
    QString event;       // the last event
    QString status;      // StatusTest afterwards
    bool tick = false;   // a time-out: the test ticks Timer1
};

class ReadEndingEarly : public TesterWindow, public ::testing::WithParamInterface<EarlyEndCase> {};

TEST_P(ReadEndingEarly, EndsTheOperationWithWhatTheFileHolds) {
    const EarlyEndCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester(c.faults));
    const QString file = PathOf(QStringLiteral("result.txt"));
    Address(1, 0x10);
    Repeat(10);
    ToFile(file, 1);
    Control<QPushButton>("Button7")->click();
    if (c.tick) {
        ASSERT_TRUE(WaitUntil([&] { return BoardRequests().size() == 3; }));
        while (Form().ReplyExpected()) Form().Timer1Timer();
    }
    ASSERT_TRUE(WaitUntil([&] { return !Form().TesterActive(); }));

    EXPECT_EQ(Events().constLast(), c.event);
    EXPECT_EQ(LabelText("StatusTest"), c.status);
    EXPECT_FALSE(Form().Timer2->isActive());
    EXPECT_FALSE(Form().Timer3->isActive());
    EXPECT_FALSE(Form().ResultFileOpen());
    EXPECT_TRUE(ResultText(file).endsWith(QStringLiteral("00000:  0010 \r\n\r\n")));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, ReadEndingEarly, ::testing::Values(
    EarlyEndCase{"Exception", {QStringLiteral("--exception-every"), QStringLiteral("3")},
                 QStringLiteral("[ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА] Ошибка при обмене с устройством"),
                 QStringLiteral("ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА")},
    EarlyEndCase{"BadLrc", {QStringLiteral("--bad-lrc-every"), QStringLiteral("3")},
                 QStringLiteral("[Ошибка CRC] Ошибка при обмене с устройством"),
                 QStringLiteral("Ошибка CRC")},
    EarlyEndCase{"Timeout", {QStringLiteral("--drop-every"), QStringLiteral("3")},
                 QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством"), QString(), true},
    EarlyEndCase{"LostLine", {QStringLiteral("--hangup-after"), QStringLiteral("2")},
                 QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"),
                 QString()}),
    torvel_test::CaseName());
// clang-format on

TEST_F(TesterWindow, LostLineBetweenRepetitionsIsLoggedOnce) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--hangup-after"), QStringLiteral("2")}));
    Address(1, 0x10);
    Repeat(10, 300);
    const int from = EventCount();
    Read();
    ASSERT_TRUE(WaitUntil([&] { return !Form().ComPort1->Connected(); }));
    EXPECT_EQ(Events(from).filter(QStringLiteral("Ошибка связи")).size(), 1)
        << Events(from).join(u'\n').toStdString();
    EXPECT_FALSE(Form().Timer2->isActive());
}

TEST_F(TesterWindow, ReadsThatCannotStartSendNothingAndSaySo) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const qsizetype before = BoardRequests().size();

    // A decimal address holding no number.
    Control<QComboBox>("ComboBox2")->setCurrentIndex(1);
    Form().ComboBox2Change();
    Control<TMultiBaseEdit>("MEdit1")->setText(QStringLiteral("-"));
    Control<QPushButton>("Button7")->click();
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("ОШИБКА Оператора"));
    EXPECT_TRUE(Events().constLast().contains(QStringLiteral("\"Адрес\"")));
    Address(1, 0x10);

    // A result file without a name, then one that is no regular file.
    ToFile(QString());
    Control<QPushButton>("Button7")->click();
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("Не указано имя файла для записи результатов чтения"));
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
    const QString fifo = PathOf(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    ToFile(fifo);
    Control<QPushButton>("Button7")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("[ТЕСТЕР] Ошибка при открытии файла ") + fifo);
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());

    EXPECT_FALSE(Form().TesterActive());
    EXPECT_EQ(BoardRequests().size(), before);
}

}  // namespace
