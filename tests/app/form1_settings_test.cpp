// "TORVEL.INI" through whole sessions: what a first start shows and writes, what a hand-edited
// file keeps, what "При&менить" takes, and the files a session must leave alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/multi_base_edit.h"
#include "common/cp1251.h"
#include "fpga/sample_config.h"
#include "session/log_file.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"
#include "window_fixture.h"

using torvel_test::ReadFileBytes;
using torvel_test::WriteFileBytes;

namespace {

const QString kConfigError = QStringLiteral("[ОШИБКА] Ошибка конфигурационного файла: ");

class SettingsWindow : public torvel_test::WindowTest {
protected:
    QString Ini() const { return PathOf(QStringLiteral("TORVEL.INI")); }

    QStringList ConfigErrors() {
        QStringList errors;
        for (const QString& line : MemoLines())
            if (WithoutTime(line).startsWith(kConfigError))
                errors.append(WithoutTime(line).mid(kConfigError.size()));
        return errors;
    }

    // Ticks of the reply time-out until a request nobody answers ends.
    int TicksUntilTimeOut() {
        int ticks = 0;
        while (Form().ReplyExpected() && ticks < 100) {
            Form().Timer1Timer();
            ++ticks;
        }
        return ticks;
    }

    // A new session in the same folder, as the next start of the program.
    void Restart() {
        Form().close();
        form_.reset();
    }
};

const QByteArray kPortDefaults =
    "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
    "FlowControl=None\r\n";

TEST_F(SettingsWindow, FirstStartShowsTheDefaultsAndTheEndWritesEveryKeyInOrder) {
    EXPECT_EQ(Find<QSpinBox>("SpinEdit5")->value(), 16);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("HEX"));
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox6")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QStringLiteral("NOTEPAD.EXE"));
    EXPECT_EQ(Find<QSpinBox>("SpinEdit2")->value(), 2);
    EXPECT_EQ(Find<QSpinBox>("SpinEdit3")->value(), 3);
    EXPECT_FALSE(Find<QSpinBox>("SpinEdit3")->isEnabled());
    EXPECT_EQ(Find<TMultiBaseEdit>("MEdit10")->text(), QStringLiteral("00"));
    EXPECT_EQ(Find<QSpinBox>("SpinEdit4")->value(), 10);
    EXPECT_EQ(Find<QSpinBox>("SpinEdit1")->value(), 2);
    Form().close();
    EXPECT_EQ(ReadFileBytes(Ini()),
              kPortDefaults +
                  torvel::ToCp1251(QStringLiteral(
                      "\r\n[Project]\r\nFilename=\r\nType=нет данных\r\nSize=нет данных\r\n"
                      "Created=нет данных\r\n\r\n[FPGA]\r\nType=0\r\n\r\n[Tester]\r\n"
                      "AppendOrCreate=1\r\nAddStep=1\r\nNumberOfColumns=16\r\nOutputFormat=0\r\n"
                      "EditorName=NOTEPAD.EXE\r\nInputFilename=\r\nOutputFilename=\r\n"
                      "AutoRepeat=0\r\nStepcount=2\r\nDelayRepeat=1\r\nStepDir=1\r\n"
                      "ReadToFile=0\r\nWriteFromFile=0\r\nIrqReadReg=0\r\nIrqReturnAddr=0\r\n"
                      "IrqRepeatCount=1\r\nIrqRegCount=1\r\nIrqNumber=0\r\nAddrType=0\r\n\r\n"
                      "[Modbus]\r\nDefaultTimeout=2\r\nRetryCount=3\r\nSlaveAddress=0\r\n")));
    EXPECT_TRUE(ConfigErrors().isEmpty()) << ConfigErrors().join(u'\n').toStdString();
}

TEST_F(SettingsWindow, AHandEditedFileKeepsWhatItDoesNotOwnAndRoundTrips) {
    ASSERT_TRUE(WriteFileBytes(Ini(),
                               "; written by hand\r\n[ComPort1]\r\nPort=COM1\r\n"
                               "Comment=my adapter\r\n\r\n[modbus]\r\n"
                               "defaulttimeout = 0x0A\r\nRetryCount=abc\r\n\r\n[Lab]\r\n"
                               "bench=3\r\n[Tester]\r\nautorepeat=5\r\n"
                               "IrqReturnAddr=70000\r\nNumberOfColumns=100\r\n"
                               "; columns follow\r\n"));
    EXPECT_EQ(Form().DefaultTimeout, 10);
    EXPECT_EQ(Find<QSpinBox>("SpinEdit2")->value(), 10);
    EXPECT_EQ(Form().RetryCount, 3);
    EXPECT_TRUE(Form().AutoRepeat);
    EXPECT_EQ(Form().IrqReturnAddr, 4464);
    // Shown as the field's bound, held as read until "При&менить" takes the field.
    EXPECT_EQ(Find<QSpinBox>("SpinEdit5")->value(), 24);
    EXPECT_EQ(Form().NumberOfColumns, 100);
    Restart();
    const QByteArray first = ReadFileBytes(Ini());
    // Owned keys are respelled in place, missing ones follow the last key of their section.
    EXPECT_TRUE(first.startsWith(
        "; written by hand\r\n[ComPort1]\r\nPort=COM1\r\nComment=my adapter\r\nBaudRate=9600\r\n"
        "StopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n\r\n[modbus]\r\n"
        "DefaultTimeout=10\r\nRetryCount=3\r\nSlaveAddress=0\r\n\r\n[Lab]\r\nbench=3\r\n"
        "[Tester]\r\nAutoRepeat=1\r\nIrqReturnAddr=4464\r\nNumberOfColumns=100\r\n"
        "AppendOrCreate=1\r\n"))
        << first.toStdString();
    EXPECT_TRUE(first.contains("AddrType=0\r\n; columns follow\r\n\r\n[Project]\r\n"));

    const torvel::TSettings held = Form();
    Restart();
    EXPECT_EQ(ReadFileBytes(Ini()), first);
    EXPECT_TRUE(static_cast<const torvel::TSettings&>(Form()) == held);
}

class StoredProjectFile : public SettingsWindow,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(StoredProjectFile, IsReadAtStartWhateverTheKeysLetterCase) {
    const QString sample = PathOf(QStringLiteral("stored.ttf"));
    ASSERT_TRUE(torvel::WriteSampleConfigFile(sample, 59691, 3).has_value());
    ASSERT_TRUE(WriteFileBytes(Ini(), QByteArray("[project]\r\n") + GetParam() + '=' +
                                          QFile::encodeName(sample) + "\r\n"));
    EXPECT_EQ(Form().ProjectFileName, sample);
    EXPECT_GT(Form().ConfigImageLength, 0);
    EXPECT_TRUE(Find<QLabel>("LabelSize")->text().startsWith(QStringLiteral("59691 байт")));
}

INSTANTIATE_TEST_SUITE_P(Spellings, StoredProjectFile, ::testing::Values("filename", "FILENAME"));

TEST_F(SettingsWindow, ParametersActOnlyOnceAppliedAndThenOnTheNextRequest) {
    torvel::testing::PtyPair line;
    // A stored port that the port list does not offer stays chosen through "При&менить".
    ASSERT_TRUE(WriteFileBytes(
        Ini(), "[ComPort1]\r\nPort=" + QFile::encodeName(line.SlavePath()) + "\r\n"));
    const auto changeFields = [this] {
        Find<QSpinBox>("SpinEdit2")->setValue(5);
        Find<TMultiBaseEdit>("MEdit10")->setText(QStringLiteral("2A"));
        Find<QSpinBox>("SpinEdit5")->setValue(8);
        Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    };
    const auto identify = [&] {
        line.Drain();
        Find<QPushButton>("Button3")->click();
        return line.Read(9).left(5);
    };

    changeFields();
    EXPECT_EQ(identify(), ":0011");
    EXPECT_EQ(TicksUntilTimeOut(), 3);
    Restart();
    EXPECT_TRUE(ReadFileBytes(Ini()).contains("DefaultTimeout=2\r\n"));

    changeFields();
    Find<QPushButton>("Button4")->click();
    EXPECT_EQ(Form().ComPort1->Port(), line.SlavePath());
    EXPECT_EQ(identify(), ":2A11");
    EXPECT_EQ(TicksUntilTimeOut(), 6);
    Restart();
    EXPECT_EQ(Form().ComPort1->Port(), line.SlavePath());
    EXPECT_EQ(Find<QSpinBox>("SpinEdit2")->value(), 5);
    EXPECT_EQ(Find<TMultiBaseEdit>("MEdit10")->text(), QStringLiteral("2A"));
    EXPECT_EQ(Find<QSpinBox>("SpinEdit5")->value(), 8);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("DEC"));
}

TEST_F(SettingsWindow, AFileNotReadWholeIsReportedOnceAtStartAndNeverReplaced) {
    // Read up to the NUL and saved, it would lose everything after it.
    const QByteArray binary("[ComPort1]\r\nPort=COM3\r\n\0[Project]\r\n", 35);
    ASSERT_TRUE(WriteFileBytes(Ini(), binary));
    Form();
    EXPECT_EQ(ConfigErrors(), QStringList{QStringLiteral("\"Not a text file\"")});
    Find<QPushButton>("Button4")->click();
    Form().close();
    const QStringList errors = ConfigErrors();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[1].contains(QStringLiteral("оставлен как есть"))) << errors[1].toStdString();
    EXPECT_EQ(errors[2], errors[1]);
    EXPECT_EQ(ReadFileBytes(Ini()), binary);
}

TEST_F(SettingsWindow, AReadOnlyFileFailsEverySaveAndTheJournalIsStillSaved) {
    const QByteArray before = kPortDefaults + "[Modbus]\r\nDefaultTimeout=4\r\n";
    ASSERT_TRUE(WriteFileBytes(Ini(), before));
    ASSERT_EQ(::chmod(QFile::encodeName(Ini()).constData(), 0444), 0);
    Find<QPushButton>("Button4")->click();
    Find<QPushButton>("Button4")->click();
    Form().close();
    EXPECT_EQ(ConfigErrors(), QStringList(3, QStringLiteral("\"File is read-only\"")));
    EXPECT_EQ(ReadFileBytes(Ini()), before);
    torvel::TLogFile journal;
    ASSERT_TRUE(journal.LoadJournal(PathOf(QStringLiteral("TORVEL.LOG"))));
    EXPECT_EQ(journal.Entries().back().Title, QStringLiteral("Конец сеанса"));
}

TEST_F(SettingsWindow, APathTheCodePageCannotHoldIsReportedOnceAndNotStored) {
    ASSERT_TRUE(WriteFileBytes(Ini(), "[Tester]\r\nEditorName=vi\r\n"));
    Form().Dialogs().setNextFileName(QStringLiteral("/opt/编辑器/ed"));
    Find<QPushButton>("Button12")->click();
    ASSERT_EQ(Form().EditorName, QStringLiteral("/opt/编辑器/ed"));
    Find<QPushButton>("Button4")->click();
    Form().close();
    const QStringList errors = ConfigErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("EditorName"))) << errors[0].toStdString();
    EXPECT_TRUE(ReadFileBytes(Ini()).contains("EditorName=vi\r\n"));
}

}  // namespace
