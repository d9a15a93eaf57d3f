// Every way an exchange can end, through identification and through an FPGA upload: the
// window reports it once, stops waiting, gives the controls back, and the next command works.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "upload_window.h"

namespace {

using torvel_test::UploadWindow;

enum class Path { Identify, Upload };

struct EndCase {
    const char* name;
    QStringList faults;  // board options; "N" is replaced by the request to spoil
    QStringList report;  // the events that end the command, after its start event
    bool ticksToTimeOut = false;
    bool eventError = false;
};

const QString kTimeout = QStringLiteral("[ТАЙМАУТ] Ошибка обмена с устройством");
const QString kAdvice =
    QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства");

class ExchangeEnd : public UploadWindow,
                    public ::testing::WithParamInterface<std::tuple<EndCase, Path>> {
protected:
    const EndCase& Case() const { return std::get<0>(GetParam()); }
    Path Through() const { return std::get<1>(GetParam()); }

    // Identification answers request 1; the spoiled one is the second identification, or the
    // upload's first-byte request (request 3).
    int Spoiled() const { return Through() == Path::Identify ? 2 : 3; }
    QStringList BoardOptions() const {
        QStringList options = Case().faults;
        options.replaceInStrings(QStringLiteral("N"), QString::number(Spoiled()));
        return options;
    }

    // Starts the command; returns the index of its first event.
    int StartCommand() {
        const int from = EventCount();
        if (Through() == Path::Identify) {
            Control<QPushButton>("Button3")->click();
        } else {
            // A file of no recognised chip asks first.
            Form().Dialogs().setNextAnswer(QMessageBox::Ok);
            Control<QPushButton>("Button2")->click();
        }
        return from;
    }

    QString SuccessEvent() const {
        return Through() == Path::Identify ? QStringLiteral("Устройство подключено")
                                           : QStringLiteral("Конфигурация ПЛИС загружена");
    }
};

TEST_P(ExchangeEnd, IsReportedOnceAndTheNextCommandWorks) {
    const EndCase& c = Case();
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen(BoardOptions(), NumberedFile("small.ttf", 10)));
    TForm1& form = Form();
    form.Timer1->setInterval(24 * 3600 * 1000);  // ticks come from the test

    const int from = StartCommand();
    if (c.eventError) {
        ASSERT_TRUE(form.ReplyExpected());
        form.ComPort1->OnEventError(*form.ComPort1, QStringLiteral("poll failed"));
    }
    if (c.ticksToTimeOut) {
        // The request goes unanswered (or answered by another function) and waits.
        ASSERT_TRUE(torvel_test::WaitUntil([&] {
            return BoardRequests().size() >= Spoiled() &&
                   (Case().faults.isEmpty() || Case().faults[0] != u"--wrong-function-every" ||
                    !LabelText("StatusTest").isEmpty());
        }));
        ASSERT_TRUE(form.ReplyExpected());
        while (form.ReplyExpected()) form.Timer1Timer();
    }
    ASSERT_TRUE(WaitForUploadEnd()) << Events(from).join(u'\n').toStdString();

    const QStringList events = Events(from + 1);
    const QStringList expected = c.report.isEmpty() ? QStringList{SuccessEvent()} : c.report;
    ASSERT_GE(events.size(), 1);
    // A link error quotes the port's message, which is the port's own text.
    EXPECT_EQ(events.size(), expected.size()) << events.join(u'\n').toStdString();
    for (int i = 0; i < std::min(events.size(), expected.size()); ++i)
        EXPECT_TRUE(events[i].startsWith(expected[i])) << events[i].toStdString();
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_FALSE(form.Timer3->isActive());
    EXPECT_FALSE(form.ReplyExpected());
    EXPECT_TRUE(LoadControlsEnabled());

    // The next command goes out and ends; on a line that is still there, it succeeds.
    const int next = EventCount();
    Control<QPushButton>("Button3")->click();
    ASSERT_TRUE(WaitForUploadEnd());
    if (form.ComPort1->Connected())
        EXPECT_EQ(Events(next).constLast(), QStringLiteral("Устройство подключено"));
    else
        EXPECT_EQ(Events(next).constLast(), kAdvice);
}

QStringList Fault(const char* option, QStringList more = {}) {
    return QStringList{QString::fromLatin1(option), QStringLiteral("N")} + more;
}

const QString kFailed = QStringLiteral(" Ошибка при обмене с устройством");
const QString kLinkError = QStringLiteral("[ОШИБКА] Ошибка связи: ");

// clang-format off
const EndCase kEnds[] = {
    {"Reply",         {},                               {}},
    {"Exception",     Fault("--exception-every"),       {QStringLiteral("[ВНУТРЕННЯЯ ОШИБКА УСТРОЙСТВА]") + kFailed}},
    {"BadLrc",        Fault("--bad-lrc-every"),         {QStringLiteral("[Ошибка CRC]") + kFailed}},
    {"ColonAlone",    Fault("--short-reply-every", {QStringLiteral("--short-reply"), QString()}),
                                                        {QStringLiteral("[Ошибка кадра]") + kFailed}},
    {"ColonAndZero",  Fault("--short-reply-every"),     {QStringLiteral("[Ошибка кадра]") + kFailed}},
    {"WrongFunction", Fault("--wrong-function-every"),  {kTimeout}, true},
    {"Timeout",       Fault("--drop-every"),            {kTimeout}, true},
    {"EventError",    {QStringLiteral("--reply-delay"), QStringLiteral("300")},
                                                        {kLinkError, kAdvice}, false, true},
};
// clang-format on

std::string EndName(const ::testing::TestParamInfo<std::tuple<EndCase, Path>>& param) {
    return std::string(std::get<0>(param.param).name) +
           (std::get<1>(param.param) == Path::Identify ? "Identify" : "Upload");
}

INSTANTIATE_TEST_SUITE_P(Board, ExchangeEnd,
                         ::testing::Combine(::testing::ValuesIn(kEnds),
                                            ::testing::Values(Path::Identify, Path::Upload)),
                         EndName);

// The board hangs up after answering the upload's preparatory request: the first-byte request
// finds the line gone, whether its write or the event thread notices first.
TEST_F(UploadWindow, LostLineMidUploadIsReportedOnce) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndOpen({QStringLiteral("--hangup-after"), QStringLiteral("2")},
                                           NumberedFile("small.ttf", 10)));
    TForm1& form = Form();
    const int from = EventCount();
    form.Dialogs().setNextAnswer(QMessageBox::Ok);
    Control<QPushButton>("Button2")->click();
    ASSERT_TRUE(torvel_test::WaitUntil(
        [&] { return !form.ComPort1->Connected() && LoadControlsEnabled(); }, kReplyDeadlineMs));
    QTest::qWait(50);  // a second report of the same loss would come now

    const QStringList events = Events(from + 1);
    ASSERT_EQ(events.size(), 2) << events.join(u'\n').toStdString();
    EXPECT_TRUE(events[0].startsWith(kLinkError));
    EXPECT_EQ(events[1], kAdvice);
    EXPECT_FALSE(form.DeviceConnected);
    EXPECT_EQ(form.StatusPanel(3)->text(), QString());

    // Without a device, the load command says so and sends nothing.
    Control<QPushButton>("Button2")->click();
    EXPECT_EQ(Events().constLast(), QStringLiteral("Устройство не подключено"));
}

}  // namespace
