#pragma once
// The journal viewer's two export formats and its printout, independent of any widget.

#include <QByteArray>
#include <QList>
#include <QString>

#include "session/log_file.h"

class QPrinter;

namespace torvel {

// One Windows-1251 line per row, CR LF ended, no header: the values joined by ";", a value
// that contains ";" put in double quotes (quotes inside it are left as they are).
QByteArray CsvLines(const QList<QStringList>& rows);
// One such line, without its CR LF, still as text.
QString CsvLine(const QStringList& values);

// One Windows-1251 line per entry, CR LF ended, no header: time;title;description. A value
// that contains ";" is put in double quotes (quotes inside it are left as they are).
QByteArray JournalCsv(const QList<TLogRecord>& entries);

// "LISTVIEW01", a flag byte 0, then per entry the column count 3 and per column its byte
// length and Windows-1251 bytes, all counts 16-bit little-endian. A text longer than a
// 16-bit length can say is cut at 65535 bytes so the file stays readable.
QByteArray JournalListView(const QList<TLogRecord>& entries);

// "[time]title > description"
QString JournalPrintLine(const TLogRecord& entry);

// One line per entry, a new page when the next line would not fit. False when the printer
// cannot be opened.
bool PrintJournal(const QList<TLogRecord>& entries, QPrinter& printer);

// Writes beside the file and renames over it once complete.
bool SaveFileAtomically(const QString& fileName, const QByteArray& bytes);

}  // namespace torvel
