#include "session/settings.h"

#include <array>
#include <variant>

#include "common/ini_file.h"

namespace torvel {

namespace {

using Field = std::variant<QString TSettings::*, bool TSettings::*, int TSettings::*,
                           quint16 TSettings::*, quint8 TSettings::*>;

struct Key {
    const char* section;
    const char* name;  // as written
    Field field;
};

// clang-format off
// In the order of a new file.
const std::array<Key, 27> kKeys{{
    {"Project", "Filename",       &TSettings::ProjectFileName},      //  0
    {"Project", "Type",           &TSettings::ProjectTypeText},      //  1
    {"Project", "Size",           &TSettings::ProjectSizeText},      //  2
    {"Project", "Created",        &TSettings::ProjectModifiedText},  //  3
    {"FPGA",    "Type",           &TSettings::FpgaType},             //  4
    {"Tester",  "AppendOrCreate", &TSettings::AppendOrCreate},       //  5
    {"Tester",  "AddStep",        &TSettings::AddStep},              //  6
    {"Tester",  "NumberOfColumns",&TSettings::NumberOfColumns},      //  7
    {"Tester",  "OutputFormat",   &TSettings::OutputFormat},         //  8
    {"Tester",  "EditorName",     &TSettings::EditorName},           //  9
    {"Tester",  "InputFilename",  &TSettings::ResultFileName},       // 10
    {"Tester",  "OutputFilename", &TSettings::InputFileName},        // 11
    {"Tester",  "AutoRepeat",     &TSettings::AutoRepeat},           // 12
    {"Tester",  "Stepcount",      &TSettings::Stepcount},            // 13
    {"Tester",  "DelayRepeat",    &TSettings::DelayRepeat},          // 14
    {"Tester",  "StepDir",        &TSettings::StepDir},              // 15
    {"Tester",  "ReadToFile",     &TSettings::ReadToFile},           // 16
    {"Tester",  "WriteFromFile",  &TSettings::WriteFromFile},        // 17
    {"Tester",  "IrqReadReg",     &TSettings::IrqReadReg},           // 18
    {"Tester",  "IrqReturnAddr",  &TSettings::IrqReturnAddr},        // 19
    {"Tester",  "IrqRepeatCount", &TSettings::IrqRepeatCount},       // 20
    {"Tester",  "IrqRegCount",    &TSettings::IrqRegCount},          // 21
    {"Tester",  "IrqNumber",      &TSettings::IrqNumber},            // 22
    {"Tester",  "AddrType",       &TSettings::AddrType},             // 23
    {"Modbus",  "DefaultTimeout", &TSettings::DefaultTimeout},       // 24
    {"Modbus",  "RetryCount",     &TSettings::RetryCount},           // 25
    {"Modbus",  "SlaveAddress",   &TSettings::SlaveAddress},         // 26
}};

// The reader takes the tester's repetition keys after the file check boxes, and the
// interrupt count before the repeat count.
constexpr std::array<int, 27> kReadOrder{
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 13, 14, 15, 18, 19, 21, 20, 22, 23,
    24, 25, 26};
// clang-format on

QString TextOf(const char* name) {
    return QString::fromLatin1(name);
}

// Digits of the base only, leading zeros allowed, the value within 32 bits.
std::optional<quint32> ParseDigits(QStringView digits, int base) {
    if (digits.isEmpty()) return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit = base;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit >= base) return std::nullopt;
        value = value * static_cast<quint64>(base) + static_cast<quint64>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<quint32>(value);
}

void ReadKey(const IniFile& file, const Key& key, TSettings& settings) {
    const QString section = TextOf(key.section);
    const QString name = TextOf(key.name);
    if (!file.HasKey(section, name)) return;
    const QString text = file.ReadText(section, name);
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                settings.*member = text;
            } else {
                const std::optional<qint32> value = ParseSettingsInteger(text);
                if (!value) return;
                if constexpr (std::is_same_v<T, bool>)
                    settings.*member = *value != 0;
                else
                    // The 16- and 8-bit values keep their low bits.
                    settings.*member = static_cast<T>(*value);
            }
        },
        key.field);
}

QString ValueText(const Key& key, const TSettings& settings) {
    return std::visit(
        [&](auto member) -> QString {
            using T = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                return settings.*member;
            else if constexpr (std::is_same_v<T, bool>)
                return settings.*member ? QStringLiteral("1") : QStringLiteral("0");
            else
                return QString::number(settings.*member);
        },
        key.field);
}

}  // namespace

std::optional<qint32> ParseSettingsInteger(const QString& text) {
    QStringView rest = QStringView(text).trimmed();
    bool negative = false;
    if (rest.startsWith(u'-') || rest.startsWith(u'+')) {
        negative = rest.front() == u'-';
        rest = rest.mid(1);
    }
    const bool hex = rest.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const std::optional<quint32> magnitude = ParseDigits(hex ? rest.mid(2) : rest, hex ? 16 : 10);
    if (!magnitude) return std::nullopt;
    if (hex) {
        // All 32 bits: 0xFFFFFFFF is -1.
        const auto bits = static_cast<qint32>(*magnitude);
        return negative ? static_cast<qint32>(0u - static_cast<quint32>(bits)) : bits;
    }
    const qint64 value = negative ? -static_cast<qint64>(*magnitude) : *magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<qint32>(value);
}

void ReadSettings(const IniFile& file, TSettings& settings) {
    for (const int index : kReadOrder) ReadKey(file, kKeys[index], settings);
}

void WriteSettings(IniFile& file, const TSettings& settings) {
    for (const Key& key : kKeys)
        file.WriteText(TextOf(key.section), TextOf(key.name), ValueText(key, settings));
}

}  // namespace torvel
