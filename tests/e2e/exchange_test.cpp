// The exchange end to end: requests through SendRequest, replies through CDP1Packet, the
// reply time-out, and every way a reply can go wrong.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "board_window.h"
#include "common/hex.h"
#include "protocol/frame.h"
#include "protocol/requests.h"
#include "session/tester_run.h"
#include "support/pty_pair.h"

namespace {

using torvel_test::BoardWindowTest;

// A request that no operation follows up.
const torvel::TExchangeOperation kNoOperation;
const QString kIdentifyLine = QStringLiteral(":0011EF\\x0D\\x0A");
const QString kTimeoutEvent = QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством");
const QString kLinkErrorAdvice =
    QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства");

// A reply packet as the framer hands it on: address, function, byte count, payload, LRC, CR.
QString ReplyPacket(std::uint8_t function, const QString& payload) {
    const QString body = QStringLiteral("00") + torvel::Hex(function, 2) +
                         torvel::Hex(static_cast<unsigned>(payload.size() / 2), 2) + payload;
    return body + torvel::Hex(torvel::ComputeLrc(body), 2) + u'\r';
}

// What the default board answers to identification: Arvix 1.2, EPF10K10, not configured.
const QString kDefaultIdentity = QStringLiteral("110012040F003F1004800040");

struct CommandCase {
    const char* name;
    std::uint8_t function;
    QString data;
};

class CommandSetExchange : public BoardWindowTest,
                           public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandSetExchange, RequestReachesTheBoardAndItsReplyIsDispatched) {
    const CommandCase& command = GetParam();
    StartBoard();
    TForm1& form = Form();
    form.ComPort1->OpenPort();
    const int eventsBefore = EventCount();

    form.SendTesterRequest(command.function, command.data);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.LastRequestFunction(), command.function);
    EXPECT_EQ(form.LastRequestData(), command.data);
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return !form.Timer1->isActive(); }, kReplyDeadlineMs));

    const QString line = torvel::RequestLine(0, command.function, command.data);
    EXPECT_EQ(BoardRequests().value(0), line.chopped(2) + QStringLiteral("\\x0D\\x0A"));
    EXPECT_EQ(form.ReplyFunction(), command.function);
    // The reply ended the exchange: a further packet is leftover data.
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_EQ(EventCount(), eventsBefore);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, CommandSetExchange, ::testing::Values(
    CommandCase{"ReadCoil",       torvel::fnReadCoils,       torvel::ReadCoilData(3)},
    CommandCase{"ReadRegister",   torvel::fnReadRegisters,   torvel::ReadRegisterData(0x10)},
    CommandCase{"WriteCoil",      torvel::fnWriteCoil,       torvel::WriteCoilData(2, 0xFF)},
    CommandCase{"WriteRegister",  torvel::fnWriteRegister,   torvel::WriteRegisterData(0x11, 0x1234)},
    CommandCase{"ReadRecords",    torvel::fnReadFileRecord,  torvel::ReadRecordsData(0, 16, 4)},
    CommandCase{"WriteRecords",   torvel::fnWriteFileRecord, torvel::WriteRecordsData(0, 16, QStringLiteral("A55A"))},
    CommandCase{"ArmInterrupt",   torvel::fnInterrupt,       torvel::ArmInterruptData(0, 1, false, 0, 0)}),
    torvel_test::CaseName());
// clang-format on

class SilentBoard : public BoardWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(SilentBoard, TimesOutOnTheTickAfterDefaultTimeout) {
    StartBoard({QStringLiteral("--drop-every"), QStringLiteral("1")});
    TForm1& form = Form();
    form.DefaultTimeout = GetParam();
    // The ticks are driven by hand; the real timer must not add its own.
    form.Timer1->setInterval(24 * 3600 * 1000);
    Control<QPushButton>("Button3")->click();
    ASSERT_TRUE(form.Timer1->isActive());
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return BoardRequests().size() == 1; }));
    EXPECT_FALSE(LoadControlsEnabled());

    for (int tick = 1; tick <= GetParam(); ++tick) {
        form.Timer1Timer();
        EXPECT_TRUE(form.Timer1->isActive()) << "tick " << tick;
        EXPECT_FALSE(EventShown(kTimeoutEvent)) << "tick " << tick;
    }
    form.Timer1Timer();
    EXPECT_EQ(Events().constLast(), kTimeoutEvent);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_FALSE(form.DeviceConnected);
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_EQ(form.StatusPanel(3)->text(), QString());
}

INSTANTIATE_TEST_SUITE_P(DefaultTimeout, SilentBoard, ::testing::Values(0, 2));

TEST_F(BoardWindowTest, RunningReplyTimerEndsTheWaitForASilentBoard) {
    StartBoard({QStringLiteral("--drop-every"), QStringLiteral("1")});
    TForm1& form = Form();
    form.DefaultTimeout = 0;
    Control<QPushButton>("Button3")->click();
    ASSERT_TRUE(
        torvel_test::WaitUntil([&] { return EventShown(kTimeoutEvent); }, kReplyDeadlineMs));
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(LoadControlsEnabled());
}

struct ExceptionCase {
    const char* name;
    const char* option;
    QString tag;
};

class ExceptionReply : public BoardWindowTest,
                       public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(ExceptionReply, IsLoggedWithTheExceptionTextAsTag) {
    StartBoard({QStringLiteral("--exception"), QString::fromLatin1(GetParam().option)});
    TForm1& form = Form();
    Connect();
    const QString text = QStringLiteral("Ошибка при обмене с устройством");
    EXPECT_EQ(Events().constLast(), GetParam().tag.isEmpty()
                                        ? text
                                        : u'[' + GetParam().tag + QStringLiteral("] ") + text);
    // A reply came: the device answers, the exchange has ended, nothing is decoded.
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_EQ(LabelText("LabelBoardVersion"), QStringLiteral("нет данных"));
    EXPECT_FALSE(TesterControlsEnabled());
}

INSTANTIATE_TEST_SUITE_P(Board, ExceptionReply,
                         ::testing::Values(ExceptionCase{"KnownCode", "17:2",
                                                         QStringLiteral("НЕВЕРНЫЙ АДРЕС")},
                                           ExceptionCase{"CodeWithoutText", "17:9", QString()}),
                         torvel_test::CaseName());

TEST_F(BoardWindowTest, ExceptionDuringATesterOperationStopsTheTester) {
    StartBoard({QStringLiteral("--exception"), QStringLiteral("3:2")});
    TForm1& form = Form();
    form.ComPort1->OpenPort();
    // A repeated register read of the board's map, its page timer running too.
    form.AddrType = torvel::atRegister;
    form.AutoRepeat = true;
    form.Device.HoldStart = 0x10;
    form.Device.HoldEnd = 0x3F;
    ASSERT_EQ(form.Session().Tester().StartRead(0x10), torvel::TRefusal::rfNone);
    form.Timer3->start();
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return !form.Timer1->isActive(); }, kReplyDeadlineMs));

    EXPECT_EQ(Events().constLast(),
              QStringLiteral("[НЕВЕРНЫЙ АДРЕС] Ошибка при обмене с устройством"));
    EXPECT_FALSE(form.TesterActive());
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_FALSE(form.Timer3->isActive());
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("НЕВЕРНЫЙ АДРЕС"));
    EXPECT_TRUE(TesterControlsEnabled());
    EXPECT_FALSE(form.ReplyExpected());
}

TEST_F(BoardWindowTest, ReplyWithAWrongLrcIsACrcError) {
    StartBoard({QStringLiteral("--bad-lrc-every"), QStringLiteral("1")});
    TForm1& form = Form();
    Connect();
    EXPECT_EQ(Events().constLast(), QStringLiteral("[Ошибка CRC] Ошибка при обмене с устройством"));
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_EQ(LabelText("LabelBoardVersion"), QStringLiteral("нет данных"));
}

TEST_F(BoardWindowTest, ReplyArrivingAfterTheTimeOutIsLeftoverData) {
    StartBoard({QStringLiteral("--reply-delay"), QStringLiteral("200")});
    TForm1& form = Form();
    form.DefaultTimeout = 0;
    form.Timer1->setInterval(24 * 3600 * 1000);
    Control<QPushButton>("Button3")->click();
    form.Timer1Timer();
    ASSERT_EQ(Events().constLast(), kTimeoutEvent);
    const int eventsAfterTimeout = EventCount();

    ASSERT_TRUE(torvel_test::WaitUntil([&] { return !LabelText("StatusTest").isEmpty(); },
                                       kReplyDeadlineMs));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("Остаток в буфере обмена ") +
                                           ReplyPacket(17, kDefaultIdentity) +
                                           QStringLiteral("..."));
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_EQ(EventCount(), eventsAfterTimeout);
    EXPECT_EQ(LabelText("LabelBoardVersion"), QStringLiteral("нет данных"));
}

TEST_F(BoardWindowTest, LongLeftoverPacketShowsItsFirstFortyCharacters) {
    TForm1& form = Form();
    const QString packet = QStringLiteral("0123456789").repeated(5);
    form.CDP1Packet(packet);
    EXPECT_EQ(LabelText("StatusTest"),
              QStringLiteral("Остаток в буфере обмена ") + packet.left(40) + QStringLiteral("..."));
    EXPECT_TRUE(form.DeviceConnected);
    EXPECT_FALSE(form.ReplyExpected());
}

TEST_F(BoardWindowTest, ReplyOfAnotherFunctionIsLeftoverAndTheWaitTimesOut) {
    StartBoard({QStringLiteral("--wrong-function-every"), QStringLiteral("1")});
    TForm1& form = Form();
    form.Timer1->setInterval(24 * 3600 * 1000);
    Control<QPushButton>("Button3")->click();
    ASSERT_TRUE(torvel_test::WaitUntil([&] { return !LabelText("StatusTest").isEmpty(); },
                                       kReplyDeadlineMs));
    EXPECT_EQ(LabelText("StatusTest"), QStringLiteral("Остаток в буфере обмена ") +
                                           ReplyPacket(18, kDefaultIdentity) +
                                           QStringLiteral("..."));
    EXPECT_TRUE(form.ReplyExpected());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_FALSE(LoadControlsEnabled());

    for (int tick = 0; tick <= form.DefaultTimeout; ++tick) form.Timer1Timer();
    EXPECT_EQ(Events().constLast(), kTimeoutEvent);
    EXPECT_TRUE(LoadControlsEnabled());
}

TEST_F(BoardWindowTest, WriteOnAClosedPortReportsTheLinkError) {
    TForm1& form = Form();
    form.EnableLoadControls(false);
    const int eventsBefore = EventCount();

    form.SendRequest(kNoOperation, 0, torvel::fnReportSlaveId, QString());
    const QStringList events = Events(eventsBefore);
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].startsWith(QStringLiteral("[ОШИБКА] Ошибка связи: \"")))
        << events[0].toStdString();
    EXPECT_EQ(events[1], kLinkErrorAdvice);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_EQ(form.LastRequestFunction(), torvel::fnReportSlaveId);
}

TEST_F(BoardWindowTest, WriteAfterTheBoardHungUpReportsTheLinkErrorAgain) {
    StartBoard({QStringLiteral("--hangup-after"), QStringLiteral("1")});
    TForm1& form = Form();
    Connect();
    ASSERT_TRUE(
        torvel_test::WaitUntil([&] { return !form.ComPort1->Connected(); }, kReplyDeadlineMs));
    ASSERT_EQ(Events().constLast(), kLinkErrorAdvice);
    const int eventsBefore = EventCount();

    form.SendRequest(kNoOperation, 0, torvel::fnReportSlaveId, QString());
    const QStringList events = Events(eventsBefore);
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].startsWith(QStringLiteral("[ОШИБКА] Ошибка связи: \"")));
    EXPECT_EQ(events[1], kLinkErrorAdvice);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(LoadControlsEnabled());
}

TEST_F(BoardWindowTest, WriteThatFindsTheDeviceGoneReportsTheLossOnce) {
    torvel::testing::PtyPair line;
    TForm1& form = Form();
    form.ComPort1->SetPort(line.SlavePath());
    form.ComPort1->OpenPort();
    form.EnableLoadControls(false);
    const int eventsBefore = EventCount();

    // The far side goes before the event thread's notice of it has been handled here.
    line.CloseMaster();
    form.SendRequest(kNoOperation, 0, torvel::fnWriteFileRecord,
                     QStringLiteral("0806000A0000000100"));
    QCoreApplication::processEvents();

    const QStringList events = Events(eventsBefore);
    ASSERT_EQ(events.size(), 2) << events.join(u'\n').toStdString();
    EXPECT_TRUE(events[0].startsWith(QStringLiteral("[ОШИБКА] Ошибка связи: \"")));
    EXPECT_EQ(events[1], kLinkErrorAdvice);
    EXPECT_FALSE(form.ComPort1->Connected());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_FALSE(form.DeviceConnected);
}

TEST_F(BoardWindowTest, RequestTheLineDoesNotTakeEndsItsOwnWayAndTheWindowStaysLive) {
    torvel::testing::PtyPair line;
    // A second descriptor on the terminal, taken before the port holds it alone.
    const int control = ::open(line.SlavePath().toLocal8Bit().constData(),
                               O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(control, 0);
    TForm1& form = Form();
    form.ComPort1->SetPort(line.SlavePath());
    form.ComPort1->OpenPort();
    ASSERT_EQ(::tcflow(control, TCOOFF), 0);  // as flow control holding the line
    form.EnableLoadControls(false);
    const int eventsBefore = EventCount();

    QElapsedTimer clock;
    clock.start();
    form.SendRequest(kNoOperation, 0, torvel::fnWriteFileRecord,
                     QStringLiteral("7A06000A000100") + QStringLiteral("00").repeated(115));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(Events(eventsBefore),
              QStringList{QStringLiteral("[ТАЙМАУТ] Запрос не передан устройству")});
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(LoadControlsEnabled());
    EXPECT_FALSE(form.DeviceConnected);
    ::tcflow(control, TCOON);
    ::close(control);
}

}  // namespace
