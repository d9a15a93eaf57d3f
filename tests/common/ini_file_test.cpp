// The settings file as lines: what a save must keep, what it rewrites, and what it refuses.
#include "common/ini_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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
