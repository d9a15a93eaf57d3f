// The interrupt handler mode end to end: torvel-board armed through the window reports its
// events into the result field and the result file, and every way the mode ends.
#include <QComboBox>
#include <QSignalSpy>

#include "tester_window.h"

namespace {

using torvel_test::TesterWindow;
using torvel_test::WaitUntil;

const QString kArm13 = QStringLiteral("010003FF1002");  // line 1, 3 events, 2 registers from 10h

class TesterIrq : public TesterWindow {
protected:
    // The interrupt group: line, count, and registers from `first` (none when `count` is 0).
    void Arming(int line, int events, int first = 0x10, int count = 2) {
        Control<QComboBox>("ComboBox5")->setCurrentIndex(line);
        Control<QSpinBox>("SpinEdit6")->setValue(events);
        auto* withRegisters = Control<QCheckBox>("CheckBox3");
        if (withRegisters->isChecked() != (count > 0)) withRegisters->click();
        Control<TMultiBaseEdit>("MEdit4")->SetValue(first);
        if (count > 0) Control<QSpinBox>("SpinEdit7")->setValue(count);
    }
    // Presses "Разрешить прерывание" and waits for the board's acknowledgement.
    void Arm() {
        Control<QPushButton>("Button13")->click();
        ASSERT_TRUE(WaitUntil([this] { return Form().IrqArmed(); }))
            << Events().join(u'\n').toStdString();
    }
    QStringList IrqRequests() const { return RequestData(QStringLiteral("19")); }
};

struct RecordCase {
    const char* name;
    QStringList board;
    bool decimal;
    QString records;  // after the header
    QString shown;    // MEdit2 after the last event
};

class IrqRecords : public TesterIrq, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(IrqRecords, ThreeEventsEndTheModeWithTheirRecords) {
    const RecordCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester(
        c.board + QStringList{QStringLiteral("--irq-interval"), QStringLiteral("5")}));
    const QString file = PathOf(QStringLiteral("irq.txt"));
    ToFile(file, 16, c.decimal);
    Arming(1, 3);
    QSignalSpy progress(Control<QProgressBar>("PBTest"), &QProgressBar::valueChanged);
    ASSERT_NO_FATAL_FAILURE(Press("Button13"));

    EXPECT_EQ(IrqRequests(), QStringList{kArm13});
    EXPECT_EQ(Events().mid(Events().size() - 1),
              QStringList{QStringLiteral("[ТЕСТЕР] Запущен оработчик прерывания #1")});
    EXPECT_EQ(ResultText(file), QStringLiteral("// [T] Обработчик прерывания #1\r\n"
                                               "// Количество обрабатываемых прерываний 3\r\n"
                                               "// Стартовый регистр 00010h, всего регистров 2\r\n"
                                               "// Формат ") +
                                    (c.decimal ? QStringLiteral("DEC") : QStringLiteral("HEX")) +
                                    QStringLiteral("\r\n") + c.records + QStringLiteral("\r\n"));
    QList<int> positions;
    for (const QList<QVariant>& signal : progress) positions.append(signal.at(0).toInt());
    EXPECT_EQ(positions, (QList<int>{33, 67, 100, 0}));
    EXPECT_EQ(Control<TMultiBaseEdit>("MEdit2")->text(), c.shown);
    EXPECT_EQ(LabelText("StatusTest"), QString());
    EXPECT_FALSE(Form().ResultFileOpen());
    EXPECT_TRUE(TesterControlsEnabled());
}

// Registers hold their own address: each event returns 10h and 11h.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, IrqRecords, ::testing::Values(
    RecordCase{"Hex", {}, false,
               "\r\nEvent 001: 10 11 \r\nEvent 002: 10 11 \r\nEvent 003: 10 11 ", "10"},
    RecordCase{"Dec", {}, true,
               "\r\nEvent 00001:    16    17 \r\nEvent 00002:    16    17 \r\n"
               "Event 00003:    16    17 ", "10"},
    // Counted and shown, but no record.
    RecordCase{"FlagOff", {QStringLiteral("--irq-flag"), QStringLiteral("0")}, false, "", "10"},
    RecordCase{"NineRegisters", {QStringLiteral("--irq-claim"), QStringLiteral("9")}, false, "",
               "10"},
    // Five claimed, two carried: only what arrived.
    RecordCase{"ClaimPastItsBytes", {QStringLiteral("--irq-claim"), QStringLiteral("5")}, false,
               "\r\nEvent 001: 10 11 \r\nEvent 002: 10 11 \r\nEvent 003: 10 11 ", "10"}),
    torvel_test::CaseName());
// clang-format on

TEST_F(TesterIrq, StopWhileArmedEndsOnlyAtTheBoardsAnswer) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--reply-delay"), QStringLiteral("50")}));
    Form().Timer2->start(1);  // left over from a read: it must not resend the arming
    Arming(0, 1000);
    ASSERT_NO_FATAL_FAILURE(Arm());
    EXPECT_FALSE(Form().Timer2->isActive());
    Control<QPushButton>("Button9")->click();
    EXPECT_TRUE(Form().TesterActive());
    EXPECT_TRUE(Form().IrqStopRequested());
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ОПЕРАТОР] Выполнение текущей операции остановлено"));
    ASSERT_TRUE(WaitUntil([this] { return !Form().TesterActive(); }));
    EXPECT_EQ(IrqRequests(),
              (QStringList{QStringLiteral("0003E8FF1002"), QStringLiteral("000000")}));
    EXPECT_TRUE(TesterControlsEnabled());
}

// Connecting, loading or closing the window while armed tells the board to disarm first.
TEST_F(TesterIrq, LeavingWhileArmedDisarmsTheBoardFirst) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    Arming(1, 1000, 0x10, 0);
    ASSERT_NO_FATAL_FAILURE(Arm());
    Form().SelectPage(0);  // the load tab stays usable while armed
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_EQ(IrqRequests(),
              (QStringList{QStringLiteral("0103E8001001"), QStringLiteral("010000")}));
    EXPECT_EQ(Events().constLast(), QStringLiteral("Устройство подключено"));
    EXPECT_FALSE(Form().IrqArmed());
    EXPECT_TRUE(TesterControlsEnabled());

    Form().SelectPage(1);
    ASSERT_NO_FATAL_FAILURE(Arm());
    Form().close();
    EXPECT_FALSE(Form().ComPort1->Connected());
    EXPECT_TRUE(WaitUntil([this] { return IrqRequests().size() == 4; }));
    EXPECT_EQ(IrqRequests().constLast(), QStringLiteral("010000"));
}

struct ArmingEndCase {
    const char* name;
    QStringList board;
    QString event;
    QString status;
    bool tick;  // no acknowledgement: the test ticks Timer1
    qsizetype linkErrors = 0;
    bool disarmed = false;  // the board was told to stop reporting
};

class ArmingEndsEarly : public TesterIrq, public ::testing::WithParamInterface<ArmingEndCase> {};

TEST_P(ArmingEndsEarly, GivesTheTabBackWithTheFileClosed) {
    const ArmingEndCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester(c.board));
    const QString file = PathOf(QStringLiteral("irq.txt"));
    ToFile(file);
    Arming(0, 3);
    const int from = EventCount();
    Control<QPushButton>("Button13")->click();
    if (c.tick) {
        ASSERT_TRUE(WaitUntil([&] { return BoardRequests().size() == 2; }));
        while (Form().ReplyExpected()) Form().Timer1Timer();
    }
    ASSERT_TRUE(WaitUntil([this] { return !Form().TesterActive(); }));
    EXPECT_EQ(Events().constLast(), c.event);
    EXPECT_EQ(Events(from).filter(QStringLiteral("Ошибка связи")).size(), c.linkErrors);
    EXPECT_EQ(LabelText("StatusTest"), c.status);
    EXPECT_FALSE(Form().ResultFileOpen());
    EXPECT_TRUE(ResultText(file).endsWith(QStringLiteral("// Формат HEX\r\n\r\n")));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
    if (c.disarmed) {
        EXPECT_TRUE(WaitUntil([this] {
            return RequestData(QStringLiteral("19")).constLast() == QStringLiteral("000000");
        }));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, ArmingEndsEarly, ::testing::Values(
    ArmingEndCase{"Exception", {QStringLiteral("--exception"), QStringLiteral("25:2")},
                  QStringLiteral("[НЕВЕРНЫЙ АДРЕС] Ошибка при обмене с устройством"),
                  QStringLiteral("НЕВЕРНЫЙ АДРЕС"), false},
    ArmingEndCase{"NoAcknowledgement", {QStringLiteral("--drop-every"), QStringLiteral("2")},
                  QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством"), QString(), true},
    // The board hangs up after acknowledging: the mode ends at once, the loss logged once.
    // A garbled event ends the mode, and the board, still armed, is told to stop.
    ArmingEndCase{"GarbledEvent", {QStringLiteral("--bad-lrc-every"), QStringLiteral("3"),
                                   QStringLiteral("--irq-interval"), QStringLiteral("20")},
                  QStringLiteral("[Ошибка CRC] Ошибка при обмене с устройством"),
                  QStringLiteral("Ошибка CRC"), false, 0, true},
    ArmingEndCase{"LostLineWhileArmed", {QStringLiteral("--hangup-after"), QStringLiteral("2"),
                                         QStringLiteral("--irq-interval"), QStringLiteral("2000")},
                  QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства"),
                  QString(), false, 1}),
    torvel_test::CaseName());
// clang-format on

TEST_F(TesterIrq, ArmingsThatCannotStartSendNothing) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const qsizetype before = BoardRequests().size();
    // A first register of more than two digits.
    Arming(0, 3, 0x110);
    Control<QComboBox>("ComboBox6")->setCurrentIndex(0);
    Control<TMultiBaseEdit>("MEdit4")->setMaxLength(4);
    Control<TMultiBaseEdit>("MEdit4")->SetValue(0x110);
    Control<QPushButton>("Button13")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("[ТЕСТЕР] Указан недопустимый адрес"));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("Указан недопустимый адрес"));

    // Registers to a file without a name.
    Arming(0, 3);
    ToFile(QString());
    Control<QPushButton>("Button13")->click();
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("Не указано имя файла для записи результатов чтения"));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("ОШИБКА Оператора"));

    EXPECT_FALSE(Form().TesterActive());
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(BoardRequests().size(), before);
}

}  // namespace
