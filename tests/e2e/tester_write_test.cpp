// The tester's write end to end: coils, registers and RAM/ROM written on torvel-board from the
// value field or an input file, checked by what the board received and what it then holds.
#include <QCheckBox>
#include <QComboBox>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSpinBox>

#include "app/paint_pacer.h"
#include "tester/input_file.h"
#include "tester_window.h"

namespace {

using torvel_test::TesterWindow;

const QString kOperatorError = QStringLiteral("ОШИБКА Оператора");

struct SingleWriteCase {
    const char* name;
    QStringList board;
    int type;
    int address;
    int value;
    QString function;
    QString data;
    QString readBack;  // MEdit2 after reading the address again
};

class SingleWrite : public TesterWindow, public ::testing::WithParamInterface<SingleWriteCase> {};

TEST_P(SingleWrite, SendsItsRequestAndTheBoardHoldsTheValue) {
    const SingleWriteCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester(c.board));
    Address(c.type, c.address);
    Value(c.value);
    Write();
    EXPECT_EQ(RequestData(c.function), QStringList{c.data});
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ТЕСТЕР] Запись данных в устройство по адресу ") +
                  QStringLiteral("%1").arg(c.address, 5, 16, QChar(u'0')).toUpper());
    EXPECT_TRUE(TesterControlsEnabled());

    Read();
    EXPECT_EQ(Control<TMultiBaseEdit>("MEdit2")->text(), c.readBack);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, SingleWrite, ::testing::Values(
    SingleWriteCase{"Coil", {}, 0, 3, 0xFF, "05", "0003FF00", "01"},
    SingleWriteCase{"Register", {QStringLiteral("--registers"), QStringLiteral("0-0x3F")},
                    1, 5, 0x12, "06", "00050012", "12"},
    SingleWriteCase{"Page", {}, 2, 0x100, 0x5A, "15", "08060000010000015A", "5A"}),
    torvel_test::CaseName());
// clang-format on

TEST_F(TesterWindow, RepeatedPageWriteGoesInChunksOfTheBuffer) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--buffer"), QStringLiteral("44")}));
    Address(2, 0x100);
    Value(0x77);
    Repeat(25);
    Write();
    const QString value = QStringLiteral("77");
    EXPECT_EQ(RequestData(QStringLiteral("15")),
              (QStringList{QStringLiteral("110600000100000A") + value.repeated(10),
                           QStringLiteral("11060000010A000A") + value.repeated(10),
                           QStringLiteral("0C06000001140005") + value.repeated(5)}));
    EXPECT_EQ(Control<QProgressBar>("PBTest")->value(), 0);
    EXPECT_EQ(LabelText("StatusTest"), QString());
}

TEST_F(TesterWindow, PageWriteFromAShortFileWritesExactlyItsValues) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const QString input = PathOf(QStringLiteral("in.txt"));
    FromFile(input, "// twelve values\r\nA1 A2 A3 A4\r\nA5,A6,A7,A8\r\nA9 AA AB AC\r\n");
    Address(2, 0x200);
    Repeat(50);
    Write();
    const QStringList events = Events();
    EXPECT_EQ(events.mid(events.size() - 2),
              (QStringList{QStringLiteral("[ОПЕРАТОР] Количество повторов превышает объем "
                                          "выбранного файла ") +
                               input,
                           QStringLiteral("[ТЕСТЕР] Количество повторов уменьшено до 12")}));

    // Read back one byte more: the thirteenth is the board's own.
    const QString result = PathOf(QStringLiteral("result.txt"));
    FromFile(QString());
    Repeat(13);
    ToFile(result, 13, false, false);
    Read();
    EXPECT_TRUE(ResultText(result).endsWith(
        QStringLiteral("A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC 0C \r\n\r\n")));
}

TEST_F(TesterWindow, CoilWriteFromAFileSendsZerosPastItsEnd) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--loose-coils")}));
    FromFile(PathOf(QStringLiteral("in.txt")), "01 02 03\r\n");
    Address(0, 3);
    Repeat(5);
    Write();
    EXPECT_EQ(RequestData(QStringLiteral("05")),
              (QStringList{QStringLiteral("00030100"), QStringLiteral("00030200"),
                           QStringLiteral("00030300"), QStringLiteral("00030000"),
                           QStringLiteral("00030000")}));
    EXPECT_EQ(Control<QProgressBar>("PBTest")->value(), 100);
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("OK"));
}

TEST_F(TesterWindow, TenThousandBytesWrittenReadBackEqual) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester({QStringLiteral("--buffer"), QStringLiteral("255")}));
    QByteArray text;
    torvel::TInputValues written;
    QRandomGenerator random(10);
    for (int i = 0; i < 10000; ++i) {
        written.push_back(static_cast<std::uint8_t>(random.bounded(256)));
        text += QByteArray::number(written.back(), 16) + (i % 16 == 15 ? "\r\n" : " ");
    }
    FromFile(PathOf(QStringLiteral("in.txt")), text);
    Address(2, 0x1000);
    Repeat(10000);
    ASSERT_NO_FATAL_FAILURE(Press("Button8", 120000));

    const QString result = PathOf(QStringLiteral("result.txt"));
    FromFile(QString());
    ToFile(result, 24, false, false);
    ASSERT_NO_FATAL_FAILURE(Press("Button7", 120000));
    // A result file without labels reads back as an input file: its header lines are remarks.
    EXPECT_EQ(torvel::LoadInputFile(result), written);
}

TEST_F(TesterWindow, WritesThatCannotStartSendNothingAndSaySo) {
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    const qsizetype before = BoardRequests().size();
    Address(0, 3);

    // A value of more than a byte, typed in decimal.
    Control<QComboBox>("ComboBox4")->setCurrentIndex(1);
    Form().ComboBox4Change();
    Control<TMultiBaseEdit>("MEdit3")->setText(QStringLiteral("256"));
    Control<QPushButton>("Button8")->click();
    EXPECT_EQ(LabelText("StatusTest"), kOperatorError);
    EXPECT_TRUE(Events().constLast().contains(QStringLiteral("256")));

    // No input file named, then one that cannot be read.
    FromFile(PathOf(QStringLiteral("in.txt")));
    Form().InputFileName.clear();
    Control<QPushButton>("Button8")->click();
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ОПЕРАТОР] Не указано имя файла для чтения данных"));
    Form().InputFileName = PathOf(QStringLiteral("missing.txt"));
    Control<QPushButton>("Button8")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("[ВВОД-ВЫВОД] Ошибка при чтении файла данных ") +
                                        PathOf(QStringLiteral("missing.txt")));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("ОШИБКА ввода-вывода"));

    // A repeated RAM/ROM write from a file without values: reduced to nothing, refused.
    FromFile(PathOf(QStringLiteral("empty.txt")), "// nothing here\r\n");
    Address(2, 0x100);
    Repeat(5);
    Control<QPushButton>("Button8")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("[ТЕСТЕР] Количество повторов уменьшено до 0"));
    EXPECT_EQ(LabelText("StatusTest"), kOperatorError);

    EXPECT_FALSE(Form().TesterActive());
    EXPECT_FALSE(Form().Timer2->isActive());
    EXPECT_FALSE(Form().Timer3->isActive());
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_EQ(Form().StatusPanel(3)->text(), QString());
    EXPECT_EQ(BoardRequests().size(), before);
}

// --- a repeated operation in the shown window: its time left beside PBTest while it runs,
// PBTest on its final position at the end ---

struct RepeatedCase {
    const char* name;
    QStringList board;
    int type;
    int address;
    int count;
    const char* button;
    bool stop;     // "Ст&оп" once the time left shows
    int progress;  // PBTest at the end
};

void PrintTo(const RepeatedCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatedOperation : public TesterWindow,
                          public ::testing::WithParamInterface<RepeatedCase> {};

TEST_P(RepeatedOperation, ShowsItsTimeLeftThenEndsOnItsFinalState) {
    const RepeatedCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester(c.board));
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    Address(c.type, c.address);
    Value(0x77);
    Repeat(c.count, 20);
    auto* left = Control<QLabel>("LabelTestTimeLeft");
    QStringList shown;
    Control<QPushButton>(c.button)->click();
    ASSERT_TRUE(torvel_test::WaitUntil([&] {
        if (!left->text().isEmpty() && (shown.isEmpty() || shown.constLast() != left->text()))
            shown.append(left->text());
        if (c.stop && !shown.isEmpty() && Form().TesterActive())
            Control<QPushButton>("Button9")->click();
        return !Form().TesterActive();
    })) << Events().join(u'\n').toStdString();

    static const QRegularExpression timeLeft(QStringLiteral("^Осталось: (…|[0-9]+:[0-9]{2})$"));
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& text : shown) {
        EXPECT_TRUE(timeLeft.match(text).hasMatch()) << text.toStdString();
        EXPECT_LE(left->fontMetrics().horizontalAdvance(text), left->contentsRect().width());
    }
    EXPECT_EQ(left->text(), QString());
    EXPECT_EQ(Control<QProgressBar>("PBTest")->value(), c.progress);
    EXPECT_FALSE(Form().TesterPacer().Holding());
    // The size the label kept while the operation ran is given back.
    EXPECT_EQ(left->maximumHeight(), QWIDGETSIZE_MAX);
    EXPECT_TRUE(TesterControlsEnabled());
}

// A coil or register run that goes to its end keeps PBTest at 100; a RAM/ROM run and a stop
// put it back to 0.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, RepeatedOperation, ::testing::Values(
    RepeatedCase{"RegisterReadRunsOut", {}, 1, 0x10, 5, "Button7", false, 100},
    RepeatedCase{"PageWriteRunsOut", {QStringLiteral("--buffer"), QStringLiteral("44")}, 2, 0x100, 25,
                 "Button8", false, 0},
    RepeatedCase{"RegisterReadIsStopped", {}, 1, 0x10, 1000, "Button7", true, 0}),
    torvel_test::CaseName());
// clang-format on

// --- a repeated RAM/ROM write from a file of fewer values than asked: SpinEdit1 shows the
// count it went on with, which "TORVEL.INI" keeps ---

struct ReducedCase {
    const char* name;
    QByteArray values;  // the input file
    int reducedTo;      // in the journal
    int shown;          // SpinEdit1, at least its least count of 2
};

void PrintTo(const ReducedCase& c, std::ostream* os) {
    *os << c.name;
}

class ReducedRepeatCount : public TesterWindow,
                           public ::testing::WithParamInterface<ReducedCase> {};

TEST_P(ReducedRepeatCount, IsShownAtTheEndAndKept) {
    const ReducedCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(ConnectTester());
    FromFile(PathOf(QStringLiteral("in.txt")), c.values);
    Address(2, 0x200);
    Repeat(50);
    Write();
    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[ТЕСТЕР] Количество повторов уменьшено до %1").arg(c.reducedTo));
    EXPECT_EQ(Control<QSpinBox>("SpinEdit1")->value(), c.shown);
    EXPECT_TRUE(TesterControlsEnabled());
    Form().SaveSettings();
    const QStringList lines =
        QString::fromLatin1(torvel_test::ReadFileBytes(QStringLiteral("TORVEL.INI")))
            .split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Stepcount=%1").arg(c.shown)))
        << lines.join(u'|').toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, ReducedRepeatCount, ::testing::Values(
    ReducedCase{"TwelveValues", "A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC\r\n", 12, 12},
    ReducedCase{"OneValue", "A1\r\n", 1, 2},
    // Refused: nothing to write.
    ReducedCase{"NoValue", "// nothing here\r\n", 0, 2}),
    torvel_test::CaseName());
// clang-format on

}  // namespace
