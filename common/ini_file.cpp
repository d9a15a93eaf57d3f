#include "common/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>

#include "common/cp1251.h"
#include "common/regular_file.h"

namespace torvel {

namespace {

enum class LineKind { Other, Section, Key };

struct Line {
    QString text;  // as read, without its line end
    LineKind kind = LineKind::Other;
    QString name;   // of the section or key
    QString value;  // of a key
};

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Only blanks and tabs, as the classic settings functions do: 0xA0 is a letter of a value.
QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool Quoted(const QString& value) {
    return value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"');
}

// A value is read without its surrounding blanks and without one pair of surrounding quotes,
// as the classic settings functions read it; a value that would lose either is written quoted.
QString Unquoted(const QString& value) {
    return Quoted(value) ? value.mid(1, value.size() - 2) : value;
}

Line Parse(const QString& text) {
    Line line;
    line.text = text;
    const QString trimmed = TrimBlanks(text);
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = TrimBlanks(trimmed.mid(1, close - 1));
        }
        return line;
    }
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return line;
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return line;
    line.name = TrimBlanks(text.left(equals));
    if (line.name.isEmpty()) return line;
    line.kind = LineKind::Key;
    line.value = Unquoted(TrimBlanks(text.mid(equals + 1)));
    return line;
}

Line KeyLine(const QString& key, const QString& value) {
    const bool quote =
        Quoted(value) || (!value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back())));
    return Parse(key + u'=' + (quote ? u'"' + value + u'"' : value));
}

// A settings file is text: a NUL or another control character means something else is there,
// and parsing it would keep only what happens to look like lines.
bool IsText(const QByteArray& bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return false;
    }
    return true;
}

bool HoldsLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

// The owner's own write permission taken away: the rename of a save would still replace the
// file (and root passes every permission check), so it is asked here.
bool OwnerMadeReadOnly(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 &&
           status.st_uid == ::geteuid() && (status.st_mode & S_IWUSR) == 0;
}

}  // namespace

struct IniFile::Data {
    QList<Line> lines;

    // The line of the key, -1 when no section of that name has it.
    qsizetype FindKey(const QString& section, const QString& key) const {
        bool inSection = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.kind == LineKind::Section)
                inSection = SameName(line.name, section);
            else if (inSection && line.kind == LineKind::Key && SameName(line.name, key))
                return i;
        }
        return -1;
    }

    // Where a new key of the section goes: after its first block's last key, -1 without one.
    qsizetype InsertionPoint(const QString& section) const {
        qsizetype at = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.kind == LineKind::Section) {
                if (at >= 0) break;
                if (SameName(line.name, section)) at = i + 1;
            } else if (at >= 0 && line.kind == LineKind::Key) {
                at = i + 1;
            }
        }
        return at;
    }
};

IniFile::IniFile() : data_(std::make_unique<Data>()) {}

IniFile::~IniFile() = default;

bool IniFile::Load(const QString& fileName, QString* error) {
    data_->lines.clear();
    refused_.clear();
    unwritable_.clear();
    QFile file;
    switch (OpenRegularFile(file, fileName, error)) {
        case RegularFileOpen::Missing:
            return true;
        case RegularFileOpen::Refused:
            return false;
        case RegularFileOpen::Opened:
            break;
    }
    // Bounded even if the file grows while it is read.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        if (error) *error = QStringLiteral("File too large");
        return false;
    }
    if (!IsText(bytes)) {
        if (error) *error = QStringLiteral("Not a text file");
        return false;
    }
    // CR LF, LF and a lone CR each end a line, so no value read can hold a line break.
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') continue;
        if (i == bytes.size() && begin == i) break;
        data_->lines.append(Parse(FromCp1251(bytes.constData() + begin, i - begin)));
        if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n') ++i;
        begin = i + 1;
    }
    return true;
}

QByteArray IniFile::Text() const {
    QByteArray text;
    for (const Line& line : data_->lines) text += ToCp1251(line.text) + "\r\n";
    return text;
}

bool IniFile::Save(const QString& fileName, QString* error) const {
    if (!refused_.isEmpty()) {
        if (error) *error = refused_;
        return false;
    }
    const QString target = SaveTarget(fileName, error);
    if (target.isEmpty()) return false;
    if (OwnerMadeReadOnly(target)) {
        if (error) *error = QStringLiteral("File is read-only");
        return false;
    }
    const QByteArray text = Text();
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool IniFile::HasSection(const QString& section) const {
    for (const Line& line : data_->lines)
        if (line.kind == LineKind::Section && SameName(line.name, section)) return true;
    return false;
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
    return data_->FindKey(section, key) >= 0;
}

QString IniFile::ReadText(const QString& section, const QString& key,
                          const QString& defaultValue) const {
    const qsizetype at = data_->FindKey(section, key);
    return at < 0 ? defaultValue : data_->lines[at].value;
}

bool IniFile::WriteText(const QString& section, const QString& key, const QString& value) {
    for (const QString* text : {&section, &key, &value}) {
        if (HoldsLineBreak(*text)) {
            refused_ =
                QStringLiteral("Line break or NUL in [%1] %2").arg(section, key).simplified();
            return false;
        }
        if (!Cp1251Holds(*text)) {
            unwritable_.append({section, key, value});
            return false;
        }
    }
    QList<Line>& lines = data_->lines;
    const qsizetype existing = data_->FindKey(section, key);
    if (existing >= 0) {
        lines[existing] = KeyLine(key, value);
        return true;
    }
    const qsizetype at = data_->InsertionPoint(section);
    if (at >= 0) {
        lines.insert(at, KeyLine(key, value));
        return true;
    }
    // A new section, set off from what comes before it by a blank line.
    if (!lines.isEmpty() && !TrimBlanks(lines.last().text).isEmpty()) lines.append(Parse({}));
    lines.append(Parse(u'[' + section + u']'));
    lines.append(KeyLine(key, value));
    return true;
}

}  // namespace torvel
