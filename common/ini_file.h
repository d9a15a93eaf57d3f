#pragma once
// A settings file of sections and key=value lines, names matched without regard to case,
// texts stored as Windows-1251. Sections and keys the program does not write survive a
// save unchanged, and a save replaces the file atomically.

#include <QString>
#include <memory>

namespace torvel {

class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Replaces the contents with the file's. A missing file (or a link to nothing) reads as
    // an empty one. False with `error` set when the file cannot be read, is not a regular
    // file or is unreasonably large.
    bool Load(const QString& fileName, QString* error = nullptr);
    // Writes beside the target and renames over it, so a failure leaves the old file whole.
    // A link to a regular file is followed; anything else that is not a regular file, and a
    // link to nothing, is refused. So is every save after a refused WriteText.
    bool Save(const QString& fileName, QString* error = nullptr) const;

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;
    QString ReadText(const QString& section, const QString& key,
                     const QString& defaultValue = QString()) const;
    // An existing key keeps its spelling and place; a new one goes to the end of its section.
    // A section, key or value holding a line break or a NUL is refused (false): written raw it
    // would add lines of its own.
    bool WriteText(const QString& section, const QString& key, const QString& value);

private:
    struct Data;
    std::unique_ptr<Data> data_;
    QString refused_;  // why a WriteText was refused since the last Load
};

}  // namespace torvel
