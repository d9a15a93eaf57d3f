// The settings kept in "TORVEL.INI", read and written without a window.
#include "session/settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/ini_file.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

struct IntegerCase {
    const char* text;
    std::optional<qint32> value;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class SettingsInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(SettingsInteger, ReadsDecimalAndPrefixedHexWithin32Bits) {
    EXPECT_EQ(ParseSettingsInteger(QString::fromLatin1(GetParam().text)), GetParam().value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, SettingsInteger, ::testing::Values(
    IntegerCase{"10", 10},               IntegerCase{"0x0A", 10},          IntegerCase{"0X0a", 10},
    IntegerCase{"-7", -7},               IntegerCase{"+7", 7},             IntegerCase{"007", 7},
    IntegerCase{"2147483647", INT32_MAX}, IntegerCase{"-2147483648", INT32_MIN},
    IntegerCase{"0xFFFFFFFF", -1},       IntegerCase{"0x000000010", 16},
    IntegerCase{"abc", std::nullopt},    IntegerCase{"", std::nullopt},    IntegerCase{"0x", std::nullopt},
    IntegerCase{"2147483648", std::nullopt}, IntegerCase{"0x100000000", std::nullopt},
    IntegerCase{"12abc", std::nullopt},  IntegerCase{"1.5", std::nullopt}, IntegerCase{"0x1G", std::nullopt},
    IntegerCase{"$1A", std::nullopt},    IntegerCase{"--1", std::nullopt}));
// clang-format on

IniFile& Loaded(IniFile& ini, const QByteArray& text) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text);
    file.close();
    EXPECT_TRUE(ini.Load(path));
    return ini;
}

TEST(Settings, HandEditedValuesReadByTheirTypesAndOthersKeepTheValueHeld) {
    IniFile ini;
    TSettings held;
    held.RetryCount = 9;
    held.EditorName = QStringLiteral("vi");
    ReadSettings(Loaded(ini,
                        "[project]\nFILENAME=a.ttf\n[TESTER]\nautorepeat=5\nAddStep=0x0\n"
                        "IrqReturnAddr=70000\nIrqNumber=-1\nStepcount=many\nNumberOfColumns=\n"
                        "[Modbus]\nDefaultTimeout=0x0A\nSlaveAddress=abc\n"),
                 held);
    TSettings expected;
    expected.ProjectFileName = QStringLiteral("a.ttf");
    expected.AutoRepeat = true;
    expected.AddStep = false;
    expected.IrqReturnAddr = 4464;  // 70000 - 65536
    expected.IrqNumber = 255;
    expected.DefaultTimeout = 10;
    expected.RetryCount = 9;  // no key: the value held
    expected.EditorName = QStringLiteral("vi");
    EXPECT_TRUE(held == expected);
}

}  // namespace
