#pragma once
// The values the program keeps in "TORVEL.INI" besides the port's own section, with their
// built-in defaults, and how they are read from and written to the file. No widgets here:
// the window shows and takes these values itself.

#include <QString>
#include <optional>

namespace torvel {

class IniFile;

struct TSettings {
    // [Project]
    QString ProjectFileName;
    QString ProjectTypeText = QStringLiteral("нет данных");
    QString ProjectSizeText = QStringLiteral("нет данных");
    QString ProjectModifiedText = QStringLiteral("нет данных");
    // [FPGA]
    int FpgaType = 0;
    // [Tester]
    bool AppendOrCreate = true;
    bool AddStep = true;
    int NumberOfColumns = 16;
    int OutputFormat = 0;  // 0 "HEX", 1 "DEC"
    QString EditorName = QStringLiteral("NOTEPAD.EXE");
    QString ResultFileName;  // stored as "InputFilename"
    QString InputFileName;   // stored as "OutputFilename"
    bool AutoRepeat = false;
    int Stepcount = 2;
    int DelayRepeat = 1;
    bool StepDir = true;
    bool ReadToFile = false;
    bool WriteFromFile = false;
    bool IrqReadReg = false;
    quint16 IrqReturnAddr = 0;
    quint16 IrqRepeatCount = 1;
    quint16 IrqRegCount = 1;
    quint8 IrqNumber = 0;
    quint16 AddrType = 0;
    // [Modbus]
    int DefaultTimeout = 2;
    int RetryCount = 3;
    int SlaveAddress = 0;

    bool operator==(const TSettings&) const = default;
};

// An integer as the file holds it: decimal, or hexadecimal after "0x" or "0X", either with a
// sign, within 32 bits (hexadecimal up to 8 digits, taken as the bits of the number).
std::optional<qint32> ParseSettingsInteger(const QString& text);

// Every key, each defaulting to the value held: a missing key or an integer that is no number
// leaves it; a boolean is any non-zero integer; 16- and 8-bit values keep their low bits.
void ReadSettings(const IniFile& file, TSettings& settings);
// Every key in the order of a new file, integers in decimal, booleans as "1" or "0".
void WriteSettings(IniFile& file, const TSettings& settings);

}  // namespace torvel
