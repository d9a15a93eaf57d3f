#pragma once
// A settings file of sections and key=value lines, names matched without regard to case,
// texts stored as Windows-1251. The file is kept as its lines: a save rewrites only the lines
// of the keys written and adds the keys that were missing, so every other line (unknown
// sections and keys, comments, blank lines, lines that are neither) survives byte for byte.
// Lines end in CR LF, and a save replaces the file atomically.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace torvel {

// A value that Windows-1251 cannot hold, left unwritten.
struct UnwritableValue {
    QString section;
    QString key;
    QString value;
};

class IniFile {
public:
    // Anything larger is not a settings file of ours and is not parsed.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Replaces the contents with the file's. A missing file (or a link to nothing) reads as
    // an empty one. False with `error` set, and the contents empty, when the file cannot be
    // read whole: unreadable, not a regular file, larger than kMaxFileSize, or not text (a NUL
    // or another control character than tab and line ends).
    bool Load(const QString& fileName, QString* error = nullptr);
    // Writes beside the target and renames over it, so a failure leaves the old file whole.
    // A link to a regular file is followed; anything else that is not a regular file, and a
    // link to nothing, is refused. So is a file its owner has made read-only (root included,
    // whom the rename would let through), and every save after a refused WriteText.
    bool Save(const QString& fileName, QString* error = nullptr) const;
    // The bytes Save would write.
    QByteArray Text() const;

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;
    // The first such key of the first such section that has it, without surrounding blanks
    // and without one pair of surrounding double quotes.
    QString ReadText(const QString& section, const QString& key,
                     const QString& defaultValue = QString()) const;
    // Rewrites the key's line in place as "key=value" with the spelling given here (the value
    // in double quotes when reading would otherwise lose its blanks or quotes); a missing
    // key goes after the last key of its section, a missing section to the end of the file.
    // A section, key or value holding a line break or a NUL is refused (false) and fails the
    // next save: written raw it would add lines of its own. A text that Windows-1251 cannot
    // hold is not written either (false; the file keeps what it had, "?" in its place would
    // read back as another text) and is listed in Unwritable(); the save goes on.
    bool WriteText(const QString& section, const QString& key, const QString& value);
    const QList<UnwritableValue>& Unwritable() const { return unwritable_; }

private:
    struct Data;
    std::unique_ptr<Data> data_;
    QString refused_;  // why a WriteText was refused since the last Load
    QList<UnwritableValue> unwritable_;
};

}  // namespace torvel
