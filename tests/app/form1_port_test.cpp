// The window's serial port: the six lists on "Св&язь" show what TORVEL.INI holds, "При&менить"
// puts the picks into the open line and saves them, and a vanished device is reported once.
#include <gtest/gtest.h>

#include <termios.h>
#include <QPushButton>

#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "transport/com_combo_box.h"
#include "transport/com_port.h"
#include "window_fixture.h"

using torvel::TComComboBox;
using torvel::testing::PtyPair;
using torvel_test::ReadFileBytes;
using torvel_test::WaitFor;
using torvel_test::WriteFileBytes;

namespace {

class WindowPortTest : public torvel_test::WindowTest {
protected:
    TComComboBox* List(int number) {
        return Find<TComComboBox>(
            QStringLiteral("ComComboBox%1").arg(number).toLatin1().constData());
    }

    QStringList ListTexts() {
        QStringList texts;
        for (int n = 1; n <= 6; ++n) texts << List(n)->Text();
        return texts;
    }

    int MemoCount(const QString& withoutTime) {
        int count = 0;
        for (const QString& line : MemoLines()) count += WithoutTime(line) == withoutTime;
        return count;
    }

    // The speed the driver holds for the line, read through a second descriptor.
    static speed_t LineSpeed(const QString& path) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return 0;
        termios tio{};
        const speed_t speed = ::tcgetattr(fd, &tio) == 0 ? ::cfgetospeed(&tio) : 0;
        ::close(fd);
        return speed;
    }
};

const QString kLinkError = QStringLiteral("[ОШИБКА] Ошибка связи: ");
const QString kAdvice =
    QStringLiteral("[РЕКОМЕНДАЦИЯ] Выберите другой порт для подключения устройства");

}  // namespace

TEST_F(WindowPortTest, ListsShowThePortSectionOfTheSettingsFile) {
    ASSERT_TRUE(WriteFileBytes(PathOf(QStringLiteral("TORVEL.INI")),
                               "[ComPort1]\r\nPort=COM7\r\nBaudRate=19200\r\nStopBits=2\r\n"
                               "DataBits=7\r\nParity=even\r\nFlowControl=Hardware\r\n"));
    EXPECT_EQ(Form().ComPort1->Port(), QStringLiteral("COM7"));
    EXPECT_EQ(Form().ComPort1->BaudRate(), torvel::br19200);
    // A port that is not present is listed as absent; the other five show the file's values.
    EXPECT_EQ(ListTexts(),
              (QStringList{QStringLiteral("COM7 (нет в системе)"), QStringLiteral("19200"),
                           QStringLiteral("7"), QStringLiteral("2"), QStringLiteral("Even"),
                           QStringLiteral("Hardware")}));
    EXPECT_FALSE(Form().ComPort1->Connected()) << "nothing opens the port at start";
}

TEST_F(WindowPortTest, FirstStartShowsTheDefaultsAndTheEndWritesThePortSection) {
    EXPECT_EQ(ListTexts().mid(1),
              (QStringList{QStringLiteral("9600"), QStringLiteral("8"), QStringLiteral("1"),
                           QStringLiteral("None"), QStringLiteral("None")}));
    Form().close();
    const QByteArray ini = ReadFileBytes(PathOf(QStringLiteral("TORVEL.INI")));
    EXPECT_TRUE(ini.contains("[ComPort1]")) << ini.constData();
    EXPECT_TRUE(ini.contains("Port=COM1")) << ini.constData();
    EXPECT_TRUE(ini.contains("BaudRate=9600")) << ini.constData();
    EXPECT_TRUE(ini.contains("FlowControl=None")) << ini.constData();
}

TEST_F(WindowPortTest, ApplyPutsAPickedSpeedIntoTheOpenLineAndSavesIt) {
    PtyPair pty;
    // The port list offers the pseudo-terminal as if it were a serial port of this machine.
    List(1)->Select().SetPortLister([&] { return QStringList{pty.SlavePath()}; });
    List(1)->SetComProperty(torvel::cpPort);
    Form().ComPort1->SetPort(pty.SlavePath());
    Form().ComPort1->OpenPort();
    ASSERT_TRUE(Form().ComPort1->Connected());
    List(1)->ShowPortValue();

    TComComboBox* speed = List(2);
    speed->PickItem(speed->findText(QStringLiteral("57600")));
    EXPECT_EQ(Form().ComPort1->BaudRate(), torvel::br9600) << "a pick alone changes nothing";

    Find<QPushButton>("Button4")->click();
    EXPECT_EQ(Form().ComPort1->BaudRate(), torvel::br57600);
    EXPECT_EQ(LineSpeed(pty.SlavePath()), static_cast<speed_t>(B57600));
    EXPECT_TRUE(Form().ComPort1->Connected());
    EXPECT_TRUE(ReadFileBytes(PathOf(QStringLiteral("TORVEL.INI"))).contains("BaudRate=57600"));
    EXPECT_EQ(Form().ComPort1->UpdateDepth(), 0);
}

TEST_F(WindowPortTest, ApplyingAPortThatCannotOpenReportsItAndStillSaves) {
    PtyPair pty;
    Form().ComPort1->SetPort(pty.SlavePath());
    Form().ComPort1->OpenPort();
    // The port list holds the name shown at start (COM1, absent here); applying it reopens
    // the line on that name, which fails, and the lists after it are not applied.
    List(1)->Select().SetPortLister([] { return QStringList(); });
    List(1)->SetComProperty(torvel::cpPort);
    List(2)->PickItem(List(2)->findText(QStringLiteral("4800")));

    Find<QPushButton>("Button4")->click();
    EXPECT_FALSE(Form().ComPort1->Connected());
    EXPECT_EQ(Form().ComPort1->BaudRate(), torvel::br9600);
    EXPECT_EQ(Form().ComPort1->UpdateDepth(), 0) << "the bracket closes after a failure";
    const QStringList lines = MemoLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(WithoutTime(lines[lines.size() - 2])
                    .startsWith(kLinkError + QStringLiteral("\"Unable to open com port")))
        << lines[lines.size() - 2].toStdString();
    EXPECT_EQ(WithoutTime(lines.last()), kAdvice);
    EXPECT_TRUE(ReadFileBytes(PathOf(QStringLiteral("TORVEL.INI"))).contains("[ComPort1]"));
}

TEST_F(WindowPortTest, AVanishedDeviceIsReportedOnceAndTheNextOpenWorks) {
    {
        PtyPair pty;
        Form().ComPort1->SetPort(pty.SlavePath());
        Form().ComPort1->OpenPort();
        ASSERT_TRUE(Form().ComPort1->Connected());
    }  // the far side hangs up
    ASSERT_TRUE(WaitFor([&] { return !Form().ComPort1->Connected(); }));
    QTest::qWait(50);  // a burst of errors would arrive now
    int reports = 0;
    for (const QString& line : MemoLines()) reports += WithoutTime(line).startsWith(kLinkError);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(MemoCount(kAdvice), 1);
    EXPECT_FALSE(Form().Timer1->isActive());

    PtyPair next;
    Form().ComPort1->SetPort(next.SlavePath());
    Form().ComPort1->OpenPort();
    EXPECT_TRUE(Form().ComPort1->Connected());
    ASSERT_TRUE(next.Write("x"));
}

TEST_F(WindowPortTest, CloseOfTheWindowClosesAnOpenPort) {
    PtyPair pty;
    Form().ComPort1->SetPort(pty.SlavePath());
    Form().ComPort1->OpenPort();
    Form().close();
    EXPECT_FALSE(Form().ComPort1->Connected());
    EXPECT_TRUE(ReadFileBytes(PathOf(QStringLiteral("TORVEL.INI")))
                    .contains(QStringLiteral("Port=%1").arg(pty.SlavePath()).toLatin1()));
}

TEST_F(WindowPortTest, AnUnreadablePortSectionIsAConfigurationError) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("TORVEL.INI")));
    Form();
    int reports = 0;
    for (const QString& line : MemoLines())
        reports += WithoutTime(line).startsWith(
            QStringLiteral("[ОШИБКА] Ошибка конфигурационного файла: \""));
    EXPECT_EQ(reports, 1);
}
