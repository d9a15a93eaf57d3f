#include "app/journal_export.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

#include "common/cp1251.h"

namespace torvel {

namespace {

constexpr qsizetype kMaxListViewText = 0xFFFF;

void AppendCsvValue(QString& line, const QString& value) {
    if (value.contains(u';'))
        line += u'"' + value + u'"';
    else
        line += value;
}

void AppendUInt16(QByteArray& out, qsizetype value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void AppendListViewText(QByteArray& out, const QString& text) {
    const QByteArray bytes = ToCp1251(text).left(kMaxListViewText);
    AppendUInt16(out, bytes.size());
    out.append(bytes);
}

}  // namespace

QString CsvLine(const QStringList& values) {
    QString line;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i) line += u';';
        AppendCsvValue(line, values[i]);
    }
    return line;
}

QByteArray CsvLines(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        text += CsvLine(row);
        text += u"\r\n";
    }
    return ToCp1251(text);
}

QByteArray JournalCsv(const QList<TLogRecord>& entries) {
    QList<QStringList> rows;
    rows.reserve(entries.size());
    for (const TLogRecord& entry : entries)
        rows.append({entry.Time, entry.Title, entry.Description});
    return CsvLines(rows);
}

QByteArray JournalListView(const QList<TLogRecord>& entries) {
    QByteArray out("LISTVIEW01");
    out.append('\0');
    for (const TLogRecord& entry : entries) {
        AppendUInt16(out, 3);
        AppendListViewText(out, entry.Time);
        AppendListViewText(out, entry.Title);
        AppendListViewText(out, entry.Description);
    }
    return out;
}

QString JournalPrintLine(const TLogRecord& entry) {
    return u'[' + entry.Time + u']' + entry.Title + QStringLiteral(" > ") + entry.Description;
}

bool PrintJournal(const QList<TLogRecord>& entries, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.lineSpacing();
    const int pageHeight = painter.viewport().height();
    int top = 0;
    for (const TLogRecord& entry : entries) {
        if (top > 0 && top + lineHeight > pageHeight) {
            if (!printer.newPage()) return false;
            top = 0;
        }
        painter.drawText(0, top + metrics.ascent(), JournalPrintLine(entry));
        top += lineHeight;
    }
    return painter.end();
}

bool SaveFileAtomically(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace torvel
