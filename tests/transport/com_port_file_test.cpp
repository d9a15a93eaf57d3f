// The port's section "ComPort1" of the settings file, and the settings file itself.

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "common/cp1251.h"
#include "common/ini_file.h"
#include "fake_backend.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"

using namespace torvel;
using torvel::testing::FakeBackend;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile() {
        fileName = dir.filePath(QStringLiteral("TORVEL.INI"));
        auto backend = std::make_unique<FakeBackend>();
        fake = backend.get();
        port = std::make_unique<TComPort>(std::move(backend));
        port->setObjectName(QStringLiteral("ComPort1"));
        port->SetEvents({});
    }

    void WriteFile(const QByteArray& text) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray ReadFile() {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int LoadErrorCode() {
        try {
            port->LoadPortSettings(fileName);
        } catch (const EComPort& error) {
            return error.PortErrorCode();
        }
        return 0;
    }

    QTemporaryDir dir;
    QString fileName;
    FakeBackend* fake = nullptr;
    std::unique_ptr<TComPort> port;
};

}  // namespace

TEST_F(SettingsFile, TheDefaultsAreSavedInTheirOrder) {
    port->SavePortSettings(fileName);
    EXPECT_EQ(ReadFile(),
              QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\n"
                         "Parity=None\r\nFlowControl=None\r\n"));
}

TEST_F(SettingsFile, SettingsRoundTrip) {
    port->SetPort(QStringLiteral("/tmp/torvel-boards/board0"));
    port->SetBaudRate(brCustom);
    port->SetCustomBaudRate(31250);
    port->SetStopBits(sbTwoStopBits);
    port->SetDataBits(dbSeven);
    port->Parity().SetBits(prSpace);
    port->FlowControl().SetFlowControl(fcSoftware);
    port->SavePortSettings(fileName);

    TComPort loaded(std::make_unique<FakeBackend>());
    loaded.LoadPortSettings(fileName);
    EXPECT_EQ(loaded.Port(), QStringLiteral("/tmp/torvel-boards/board0"));
    EXPECT_EQ(loaded.BaudRate(), brCustom);
    EXPECT_EQ(loaded.CustomBaudRate(), 31250);
    EXPECT_EQ(loaded.StopBits(), sbTwoStopBits);
    EXPECT_EQ(loaded.DataBits(), dbSeven);
    EXPECT_EQ(loaded.Parity().Bits(), prSpace);
    EXPECT_EQ(loaded.FlowControl().FlowControl(), fcSoftware);
}

TEST_F(SettingsFile, OtherSectionsAndKeysSurviveASave) {
    WriteFile(
        "; kept\n[Project]\nFilename=C:\\\xcf\xf0\xee\xe5\xea\xf2.ttf\n\n"
        "[comport1]\nPORT=ttyS0\nExtra=1\n\n[Tester]\nNumberOfColumns=16\n");
    port->SavePortSettings(fileName);
    IniFile file;
    ASSERT_TRUE(file.Load(fileName));
    EXPECT_EQ(file.ReadText(QStringLiteral("Project"), QStringLiteral("FileName")),
              QStringLiteral("C:\\Проект.ttf"));
    EXPECT_EQ(file.ReadText(QStringLiteral("Tester"), QStringLiteral("numberofcolumns")),
              QStringLiteral("16"));
    EXPECT_EQ(file.ReadText(QStringLiteral("ComPort1"), QStringLiteral("Extra")),
              QStringLiteral("1"));
    EXPECT_EQ(file.ReadText(QStringLiteral("ComPort1"), QStringLiteral("Port")),
              QStringLiteral("COM1"));
    const QByteArray text = ReadFile();
    // An existing key is rewritten in place with the port's spelling; the file's own
    // spelling of the section stays.
    EXPECT_TRUE(text.contains("[comport1]\r\nPort=COM1\r\nExtra=1\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[comport1]"));
    EXPECT_TRUE(text.contains("; kept"));
}

TEST_F(SettingsFile, LoadingReadsValuesInAnyLetterCase) {
    WriteFile(
        "[COMPORT1]\nport=ttyUSB0\nbaudrate=115200\nstopbits=1.5\ndatabits=5\n"
        "parity=eVeN\nflowcontrol=hardware\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->Port(), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(port->BaudRate(), br115200);
    EXPECT_EQ(port->StopBits(), sbOne5StopBits);
    EXPECT_EQ(port->DataBits(), dbFive);
    EXPECT_EQ(port->Parity().Bits(), prEven);
    EXPECT_EQ(port->FlowControl().FlowControl(), fcHardware);
}

TEST_F(SettingsFile, UnknownValuesLoadTheListDefaults) {
    port->SetBaudRate(br19200);
    port->SetDataBits(dbSix);
    port->Parity().SetBits(prOdd);
    WriteFile("[ComPort1]\nBaudRate=fast\nStopBits=3\nDataBits=9\nParity=Marks\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->BaudRate(), br9600);
    EXPECT_EQ(port->StopBits(), sbOneStopBit);
    EXPECT_EQ(port->DataBits(), dbEight);
    EXPECT_EQ(port->Parity().Bits(), prNone);
}

TEST_F(SettingsFile, AnUnknownFlowControlLeavesTheFlags) {
    port->FlowControl().SetControlRTS(rtsEnable);
    port->FlowControl().SetXonXoffIn(true);
    WriteFile("[ComPort1]\nFlowControl=Both\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->FlowControl().ControlRTS(), rtsEnable);
    EXPECT_TRUE(port->FlowControl().XonXoffIn());
}

TEST_F(SettingsFile, AMissingSectionOrFileChangesNothing) {
    port->SetPort(QStringLiteral("ttyS1"));
    port->SetBaudRate(br57600);
    port->Parity().SetBits(prMark);
    port->FlowControl().SetFlowControl(fcHardware);
    EXPECT_EQ(LoadErrorCode(), 0);  // no file yet
    WriteFile("[Modbus]\nDefaultTimeout=2\n");
    EXPECT_EQ(LoadErrorCode(), 0);
    EXPECT_EQ(port->Port(), QStringLiteral("ttyS1"));
    EXPECT_EQ(port->BaudRate(), br57600);
    EXPECT_EQ(port->Parity().Bits(), prMark);
    EXPECT_EQ(port->FlowControl().FlowControl(), fcHardware);
}

TEST_F(SettingsFile, CustomRateIsReadOnlyForCustomAndDefaultsTo9600) {
    port->SetCustomBaudRate(1234);
    WriteFile("[ComPort1]\nBaudRate=9600\nCustomBaudRate=31250\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->CustomBaudRate(), 1234);
    WriteFile("[ComPort1]\nBaudRate=Custom\nCustomBaudRate=fast\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->BaudRate(), brCustom);
    EXPECT_EQ(port->CustomBaudRate(), 9600);
    WriteFile("[ComPort1]\nBaudRate=Custom\n");
    port->SetCustomBaudRate(1234);
    port->LoadPortSettings(fileName);
    EXPECT_EQ(port->CustomBaudRate(), 9600);
}

TEST_F(SettingsFile, LoadingIntoAnOpenPortAppliesOnceAtTheEnd) {
    port->OpenPort();
    fake->ResetCounts();
    WriteFile(
        "[ComPort1]\nBaudRate=19200\nStopBits=2\nDataBits=7\nParity=Odd\nFlowControl=Software\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(fake->bufferApplies, 1);
    EXPECT_EQ(fake->lineApplies, 1);
    EXPECT_EQ(fake->timeoutApplies, 1);
    EXPECT_EQ(fake->lastControl.baudRate, 19200);
    EXPECT_EQ(port->UpdateDepth(), 0);
}

TEST_F(SettingsFile, ANewPortNameReopensAnOpenPort) {
    port->OpenPort();
    WriteFile("[ComPort1]\nPort=ttyUSB1\n");
    port->LoadPortSettings(fileName);
    EXPECT_EQ(fake->opens, 2);
    EXPECT_EQ(fake->openedPort, QStringLiteral("ttyUSB1"));
    EXPECT_TRUE(port->Connected());
}

TEST_F(SettingsFile, FailuresAreCodes16And17WithoutASystemNumber) {
    port->OpenPort();
    WriteFile("[ComPort1]\nPort=ttyUSB1\n");
    fake->openError = ENOENT;  // the reopen on the new name fails
    try {
        port->LoadPortSettings(fileName);
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 17);
        EXPECT_EQ(error.SystemErrorCode(), -1);
        EXPECT_EQ(error.Message(), QStringLiteral("Failed to load settings"));
    }
    EXPECT_EQ(port->UpdateDepth(), 0);

    const QString unwritable = dir.filePath(QStringLiteral("missing/TORVEL.INI"));
    try {
        port->SavePortSettings(unwritable);
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.PortErrorCode(), 16);
        EXPECT_EQ(error.Message(), QStringLiteral("Failed to store settings"));
    }
}

TEST_F(SettingsFile, APortNameThatWouldAddLinesIsRefusedAndTheFileKept) {
    const QByteArray before("[ComPort1]\r\nPort=ttyUSB0\r\n[Project]\r\nFilename=a.ttf\r\n");
    for (const QString& name : {QStringLiteral("board0\n[Project]\nFilename=evil.ttf"),
                                QStringLiteral("board0\r[x]"), QStringLiteral("board0\r\n"),
                                QStringLiteral("board0") + QChar(0) + QStringLiteral("x")}) {
        WriteFile(before);
        port->SetPort(name);
        EXPECT_THROW(port->SavePortSettings(fileName), EComPort) << name.toStdString();
        EXPECT_EQ(ReadFile(), before) << name.toStdString();
    }
}

TEST_F(SettingsFile, ASectionIsNamedAfterThePort) {
    port->setObjectName(QStringLiteral("ComPort2"));
    port->SavePortSettings(fileName);
    EXPECT_TRUE(ReadFile().startsWith("[ComPort2]"));
    TComPort unnamed(std::make_unique<FakeBackend>());
    EXPECT_EQ(unnamed.SectionName(), QStringLiteral("ComPort1"));
}

TEST(IniFileText, TextsAreStoredAsWindows1251) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("t.ini"));
    IniFile file;
    file.WriteText(QStringLiteral("Project"), QStringLiteral("Type"), QStringLiteral("нет данных"));
    ASSERT_TRUE(file.Save(name));
    QFile raw(name);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().contains(ToCp1251(QStringLiteral("Type=нет данных"))));
    IniFile again;
    ASSERT_TRUE(again.Load(name));
    EXPECT_EQ(again.ReadText(QStringLiteral("PROJECT"), QStringLiteral("type")),
              QStringLiteral("нет данных"));
    EXPECT_EQ(
        again.ReadText(QStringLiteral("Project"), QStringLiteral("Size"), QStringLiteral("x")),
        QStringLiteral("x"));
    EXPECT_TRUE(again.HasSection(QStringLiteral("project")));
    EXPECT_TRUE(again.HasKey(QStringLiteral("project"), QStringLiteral("TYPE")));
    EXPECT_FALSE(again.HasKey(QStringLiteral("project"), QStringLiteral("Size")));
}

TEST(IniFileText, HostileContentReadsWithoutHarm) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("t.ini"));
    QFile raw(name);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(QByteArray("garbage without section\n[ComPort1\nPort=\x01\x02\n=\n[]\nx\n", 48));
    raw.write(QByteArray(100000, '['));
    raw.close();
    IniFile file;
    file.Load(name);
    TComPort port(std::make_unique<FakeBackend>());
    // The control characters make it no text file: refused as a whole, and only as the
    // port's own load failure.
    EXPECT_THROW(port.LoadPortSettings(name), EComPort);
    EXPECT_EQ(port.UpdateDepth(), 0);
}
