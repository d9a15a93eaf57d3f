// The settings file holding the input, read two ways:
// - IniFile: load; keep the value of every key the file appears to hold; write the port key
//   with a value made from the input; save; reload: the written value reads back and every
//   other key kept its value.
// - TComPort::LoadPortSettings on it as "TORVEL.INI", on a closed port: EComPort is the only
//   error allowed; afterwards no settings bracket stays open, and what was loaded survives a
//   save and a load into a second port.
// - every key of the window's settings (ReadSettings, WriteSettings) with the port section, as
//   a session does: all of it reads back equal, a second save writes the same bytes, nothing
//   read is unwritable, and every line of the input that is not a key written survives, in
//   its order.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <cstdint>

#include "common/cp1251.h"
#include "common/ini_file.h"
#include "fuzz/fuzz_support.h"
#include "session/settings.h"
#include "transport/com_port.h"

namespace {

using namespace torvel;

const QString kPortSection = QStringLiteral("ComPort1");
const QString kPortKey = QStringLiteral("Port");
constexpr qsizetype kMaxKeysFollowed = 32;

struct KeyValue {
    QString section;
    QString key;
    QString value;
};

bool IsWrittenKey(const QString& section, const QString& key) {
    return section.compare(kPortSection, Qt::CaseInsensitive) == 0 &&
           key.compare(kPortKey, Qt::CaseInsensitive) == 0;
}

// A rough reading of "[section]" and "key=value" lines; the file itself decides which of
// these names are keys (HasKey), so the roughness only costs candidates.
QList<KeyValue> KeysHeld(const QByteArray& bytes, const IniFile& ini) {
    QList<KeyValue> held;
    QString section;
    QString text = FromCp1251(bytes);
    text.replace(u'\r', u'\n');
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            section = line.mid(1, line.indexOf(u']') - 1).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        if (IsWrittenKey(section, key) || !ini.HasKey(section, key)) continue;
        held.append({section, key, ini.ReadText(section, key)});
        if (held.size() >= kMaxKeysFollowed) break;
    }
    return held;
}

// A value a user could give the port: printable, Cyrillic letters allowed, no blanks at the
// ends (the file format trims them).
QString ValueFrom(const QByteArray& bytes) {
    QByteArray value = bytes.left(24);
    for (char& c : value) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0xC0) c = static_cast<char>(0x20 + byte % 95);
    }
    return FromCp1251(value).trimmed();
}

void CheckIniRoundTrip(const QString& path, const QByteArray& bytes) {
    IniFile ini;
    QString error;
    if (!ini.Load(path, &error)) {
        FUZZ_CHECK(!error.isEmpty(), QStringLiteral("a failed load without a reason"));
        return;
    }
    const QList<KeyValue> held = KeysHeld(bytes, ini);
    const QString value = ValueFrom(bytes);
    ini.WriteText(kPortSection, kPortKey, value);
    const QString saved = fuzz::ScratchPath(QStringLiteral("saved.ini"));
    FUZZ_CHECK(ini.Save(saved, &error), QStringLiteral("saving failed: ") + error);

    IniFile reloaded;
    FUZZ_CHECK(reloaded.Load(saved, &error), QStringLiteral("reloading failed: ") + error);
    FUZZ_CHECK(reloaded.ReadText(kPortSection, kPortKey) == value,
               QStringLiteral("wrote \"%1\", read back \"%2\"")
                   .arg(value, reloaded.ReadText(kPortSection, kPortKey)));
    for (const KeyValue& entry : held) {
        FUZZ_CHECK(reloaded.ReadText(entry.section, entry.key) == entry.value,
                   QStringLiteral("[%1] %2 was \"%3\", is \"%4\"")
                       .arg(entry.section, entry.key, entry.value,
                            reloaded.ReadText(entry.section, entry.key)));
    }
}

QString PortSettingsText(const TCustomComPort& port) {
    return QStringLiteral("port \"%1\" baud %2/%3 data %4 stop %5 parity %6 flow %7")
        .arg(port.Port())
        .arg(port.BaudRate())
        .arg(port.BaudRate() == brCustom ? port.CustomBaudRate() : 0)
        .arg(port.DataBits())
        .arg(port.StopBits())
        .arg(port.Parity().Bits())
        .arg(port.FlowControl().FlowControl());
}

// False when the port refused the file with EComPort; any other error escapes.
bool LoadPort(TComPort& port, const QString& path) {
    try {
        port.LoadPortSettings(path);
        return true;
    } catch (const EComPort&) {
        return false;
    }
}

void CheckPortSettings(const QString& path) {
    TComPort port;
    const bool loaded = LoadPort(port, path);
    FUZZ_CHECK(!port.Connected() && port.UpdateDepth() == 0,
               QStringLiteral("the port was left open or inside a settings bracket"));
    if (!loaded) return;

    const QString saved = fuzz::ScratchPath(QStringLiteral("port.ini"));
    QFile::remove(saved);
    port.SavePortSettings(saved);
    TComPort second;
    FUZZ_CHECK(LoadPort(second, saved), QStringLiteral("saved port settings do not load"));
    FUZZ_CHECK(PortSettingsText(second) == PortSettingsText(port),
               QStringLiteral("loaded %1, after a save %2")
                   .arg(PortSettingsText(port), PortSettingsText(second)));
}

QStringList LinesOf(const QByteArray& bytes) {
    QString text = FromCp1251(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// The names of every key a session writes, read off a file written from scratch.
QStringList WrittenKeyNames() {
    IniFile scratch;
    TComPort port;
    port.SetBaudRate(brCustom);
    port.SavePortSettings(scratch);
    WriteSettings(scratch, TSettings{});
    QStringList names;
    for (const QString& line : LinesOf(scratch.Text()))
        if (line.contains(u'=')) names.append(line.left(line.indexOf(u'=')));
    return names;
}

// A line that may be a key the session writes (in any section: the check only gets weaker).
bool MayBeWritten(const QString& line, const QStringList& written) {
    const qsizetype equals = line.indexOf(u'=');
    return equals > 0 && written.contains(line.left(equals).trimmed(), Qt::CaseInsensitive);
}

// What a session does at its end: the port section and every other key written together.
QByteArray SessionSave(IniFile& ini, TComPort& port, TSettings& settings) {
    ReadSettings(ini, settings);
    try {
        port.LoadPortSettings(ini);
    } catch (const EComPort&) {
        // A closed port takes any name; nothing here can fail, but the file decides.
    }
    port.SavePortSettings(ini);
    WriteSettings(ini, settings);
    FUZZ_CHECK(ini.Unwritable().isEmpty(), QStringLiteral("a value read could not be written"));
    return ini.Text();
}

void CheckEveryKey(const QString& path, const QByteArray& bytes) {
    IniFile ini;
    if (!ini.Load(path)) return;
    TComPort port;
    TSettings settings;
    const QByteArray first = SessionSave(ini, port, settings);
    const QString saved = fuzz::ScratchPath(QStringLiteral("session.ini"));
    FUZZ_CHECK(fuzz::WriteWholeFile(saved, first), QStringLiteral("cannot write ") + saved);

    IniFile again;
    FUZZ_CHECK(again.Load(saved), QStringLiteral("a saved file does not load"));
    TComPort secondPort;
    TSettings second;
    const QByteArray next = SessionSave(again, secondPort, second);
    FUZZ_CHECK(second == settings, QStringLiteral("the settings changed through a save"));
    FUZZ_CHECK(PortSettingsText(secondPort) == PortSettingsText(port),
               QStringLiteral("the port changed through a save"));
    FUZZ_CHECK(next == first, QStringLiteral("a second save wrote other bytes"));

    static const QStringList written = WrittenKeyNames();
    const QStringList out = LinesOf(first);
    qsizetype at = 0;
    for (const QString& line : LinesOf(bytes)) {
        if (MayBeWritten(line, written)) continue;
        while (at < out.size() && out[at] != line) ++at;
        FUZZ_CHECK(at < out.size(), QStringLiteral("the line \"%1\" was lost").arg(line));
        ++at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceQtMessages();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = fuzz::ScratchPath(QStringLiteral("TORVEL.INI"));
    FUZZ_CHECK(fuzz::WriteWholeFile(path, bytes), QStringLiteral("cannot write ") + path);
    CheckIniRoundTrip(path, bytes);
    CheckPortSettings(path);
    CheckEveryKey(path, bytes);
    return 0;
}
