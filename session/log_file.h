#pragma once
// The event journal: entries kept in memory for the whole run, read from and written to
// "TORVEL.LOG" as Windows-1251 text, one entry per line:
//   "[" time "]" title-with-every->-doubled ">" description CR LF

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringView>

namespace torvel {

struct TLogRecord {
    QString Time;
    QString Title;        // the event text
    QString Description;  // the event's tag, empty when it has none

    bool operator==(const TLogRecord&) const = default;
};

}  // namespace torvel

// Three QStrings move as plain bytes, so a growing list of a million entries need not call
// a move per entry.
Q_DECLARE_TYPEINFO(torvel::TLogRecord, Q_RELOCATABLE_TYPE);

namespace torvel {

class TLogFile {
public:
    void AppendEntry(const QString& time, const QString& title, const QString& description);
    void ClearEntries();

    // Replaces the entries by those of the file. False when the file is missing, is not a
    // regular file, or cannot be opened or read; the entries are empty then. Lines that are
    // not entries are skipped silently.
    bool LoadJournal(const QString& fileName);
    // Writes every entry beside the file and renames it over the file only when all of it
    // was written, so a failing save leaves the previous journal as it was. A link to a
    // regular file is followed; a link to nothing and anything else that is not a regular
    // file make the save fail, untouched.
    bool SaveJournal(const QString& fileName) const;
    // The same bytes to any device; false as soon as a write fails.
    bool WriteJournal(QIODevice& device) const;

    // A snapshot is cheap: the list is shared until either side changes.
    const QList<TLogRecord>& Entries() const { return entries_; }
    qsizetype Count() const { return entries_.size(); }

private:
    QList<TLogRecord> entries_;
};

// The parsing and formatting rules on their own, for the loader, the writer and tests.
QList<TLogRecord> ParseJournalText(QStringView text);
void AppendJournalEntries(QStringView text, QList<TLogRecord>& entries);
// Appends one entry's line, CR LF included.
void AppendJournalLine(QString& out, const TLogRecord& entry);

}  // namespace torvel
