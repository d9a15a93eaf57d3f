// The settings file as lines: what a save must keep, what it rewrites, and what it refuses.
#include "common/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/cp1251.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString Path() const { return dir_.filePath(QStringLiteral("TORVEL.INI")); }

    void Write(const QByteArray& bytes) {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray Read() const {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

const QString kTester = QStringLiteral("Tester");

TEST_F(IniFileTest, ASaveRewritesOnlyTheLinesOfTheKeysWritten) {
    // Everything a hand edit leaves: a key before any section, comments, blank lines, blanks
    // around "=", a line that is no key, a duplicate key, a lone CR, a comment at the very end.
    Write(
        "top=1\n; mine\n[Project]\n  Name = x \n\n\n; about the tester\n[tester]\n"
        "garbage line\ncolumns=1\ncolumns=2\n autorepeat = 5\r\n[Other]\nk=v\rcr=1\n; the end");
    IniFile ini;
    ASSERT_TRUE(ini.Load(Path()));
    EXPECT_EQ(ini.ReadText(kTester, QStringLiteral("Columns")), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadText(QStringLiteral("project"), QStringLiteral("NAME")), QStringLiteral("x"));
    EXPECT_EQ(ini.ReadText(QStringLiteral("Other"), QStringLiteral("k")), QStringLiteral("v"));
    ASSERT_TRUE(ini.WriteText(kTester, QStringLiteral("AutoRepeat"), QStringLiteral("1")));
    ASSERT_TRUE(ini.WriteText(kTester, QStringLiteral("StepDir"), QStringLiteral("1")));
    ASSERT_TRUE(
        ini.WriteText(QStringLiteral("Modbus"), QStringLiteral("RetryCount"), QStringLiteral("3")));
    ASSERT_TRUE(ini.Save(Path()));
    // The key found in another case is respelled in place; a new key follows the last key
    // of its section; a new section comes last, after a blank line; lines end in CR LF.
    EXPECT_EQ(Read(),
              QByteArray("top=1\r\n; mine\r\n[Project]\r\n  Name = x \r\n\r\n\r\n"
                         "; about the tester\r\n[tester]\r\ngarbage line\r\ncolumns=1\r\n"
                         "columns=2\r\nAutoRepeat=1\r\nStepDir=1\r\n[Other]\r\nk=v\r\ncr=1\r\n"
                         "; the end\r\n\r\n[Modbus]\r\nRetryCount=3\r\n"));
}

TEST_F(IniFileTest, ASavedFileReadsBackAndSavesAgainByteForByte) {
    IniFile ini;
    ASSERT_TRUE(ini.Load(Path()));  // none yet
    ini.WriteText(QStringLiteral("Project"), QStringLiteral("Filename"),
                  QStringLiteral("C:\\Проекты\\плата.ttf"));
    // Blanks and quotes around a value would be lost on reading; quoting keeps them.
    ini.WriteText(kTester, QStringLiteral("EditorName"), QStringLiteral(" padded "));
    ini.WriteText(kTester, QStringLiteral("InputFilename"), QStringLiteral("\"q\""));
    ASSERT_TRUE(ini.Save(Path()));
    const QByteArray first = Read();
    EXPECT_TRUE(first.contains(ToCp1251(QStringLiteral("Filename=C:\\Проекты\\плата.ttf\r\n"))));

    IniFile again;
    ASSERT_TRUE(again.Load(Path()));
    EXPECT_EQ(again.ReadText(QStringLiteral("PROJECT"), QStringLiteral("filename")),
              QStringLiteral("C:\\Проекты\\плата.ttf"));
    EXPECT_EQ(again.ReadText(kTester, QStringLiteral("EditorName")), QStringLiteral(" padded "));
    EXPECT_EQ(again.ReadText(kTester, QStringLiteral("InputFilename")), QStringLiteral("\"q\""));
    const std::pair<QString, QString> written[] = {
        {QStringLiteral("Project"), QStringLiteral("Filename")},
        {kTester, QStringLiteral("EditorName")},
        {kTester, QStringLiteral("InputFilename")}};
    for (const auto& [section, key] : written)
        again.WriteText(section, key, again.ReadText(section, key));
    ASSERT_TRUE(again.Save(Path()));
    EXPECT_EQ(Read(), first);
}

TEST_F(IniFileTest, AValueTheCodePageCannotHoldIsListedAndTheFileKeepsItsOwn) {
    Write("[Project]\r\nFilename=old.ttf\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.Load(Path()));
    const QString foreign = QStringLiteral("/home/用户/a.ttf");
    EXPECT_FALSE(ini.WriteText(QStringLiteral("Project"), QStringLiteral("Filename"), foreign));
    EXPECT_TRUE(
        ini.WriteText(QStringLiteral("Project"), QStringLiteral("Type"), QStringLiteral("t")));
    ASSERT_EQ(ini.Unwritable().size(), 1);
    EXPECT_EQ(ini.Unwritable()[0].key, QStringLiteral("Filename"));
    EXPECT_EQ(ini.Unwritable()[0].value, foreign);
    ASSERT_TRUE(ini.Save(Path()));
    EXPECT_EQ(Read(), QByteArray("[Project]\r\nFilename=old.ttf\r\nType=t\r\n"));
}

TEST_F(IniFileTest, ALineBreakInAValueFailsTheSaveAndLeavesTheFile) {
    Write("[ComPort1]\r\nPort=COM1\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.Load(Path()));
    EXPECT_FALSE(ini.WriteText(QStringLiteral("ComPort1"), QStringLiteral("Port"),
                               QStringLiteral("x\r\n[Modbus]")));
    QString error;
    EXPECT_FALSE(ini.Save(Path(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Read(), QByteArray("[ComPort1]\r\nPort=COM1\r\n"));
}

TEST_F(IniFileTest, AFileItsOwnerMadeReadOnlyIsNotReplaced) {
    Write("[Modbus]\r\nDefaultTimeout=5\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(Path()).constData(), 0444), 0);
    IniFile ini;
    ASSERT_TRUE(ini.Load(Path()));
    ini.WriteText(QStringLiteral("Modbus"), QStringLiteral("DefaultTimeout"), QStringLiteral("2"));
    QString error;
    EXPECT_FALSE(ini.Save(Path(), &error));
    EXPECT_EQ(error, QStringLiteral("File is read-only"));
    EXPECT_EQ(Read(), QByteArray("[Modbus]\r\nDefaultTimeout=5\r\n"));
}

struct RefusedCase {
    const char* name;
    QByteArray bytes;
    const char* error;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedFile : public IniFileTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedFile, IsNotReadAtAll) {
    Write(GetParam().bytes);
    IniFile ini;
    QString error;
    EXPECT_FALSE(ini.Load(Path(), &error));
    EXPECT_EQ(error, QString::fromLatin1(GetParam().error));
    // Nothing of the front of the file passes for the whole of it.
    EXPECT_FALSE(ini.HasSection(QStringLiteral("Modbus")));
}

const QByteArray kFront("[Modbus]\r\nDefaultTimeout=5\r\n");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, RefusedFile, ::testing::Values(
    RefusedCase{"NulAfterTheFirstSection", kFront + QByteArray("[Tester]\r\n\0x=1\r\n", 17), "Not a text file"},
    RefusedCase{"ControlCharacter",        kFront + "\x01\x02\x03",                         "Not a text file"},
    RefusedCase{"LargerThanAMegabyte",     kFront + QByteArray(IniFile::kMaxFileSize, ';'),  "File too large"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
