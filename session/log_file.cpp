#include "session/log_file.h"

#include <QFile>
#include <QSaveFile>

#include "common/cp1251.h"
#include "common/regular_file.h"

namespace torvel {

namespace {

// Converting in pieces keeps a load or save from holding the whole file twice over, in
// bytes and in characters, on top of the entries.
constexpr qsizetype kEncodeChunkCharacters = 1 << 20;
constexpr qint64 kReadBlockBytes = 1 << 20;

bool IsLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// A field must stay on its line, or the rest of the entry would be read as other lines.
void AppendOneLine(QString& out, QStringView field) {
    for (QChar c : field) out.append(IsLineEnd(c) ? QChar(u' ') : c);
}

// The first ">" that is not doubled. A ">" followed by another ">" counts as doubled only
// when that second one is not the tail's last character, so "a>>" splits as "a>" + ">".
qsizetype FindSeparator(QStringView tail) {
    const qsizetype last = tail.size() - 1;
    qsizetype i = 0;
    while (i <= last) {
        if (tail[i] == u'>') {
            if (i + 1 < last && tail[i + 1] == u'>') {
                i += 2;
                continue;
            }
            return i;
        }
        ++i;
    }
    return -1;
}

void ParseLine(QStringView line, QList<TLogRecord>& out) {
    const qsizetype open = line.indexOf(u'[');
    if (open < 0) return;
    const qsizetype close = line.indexOf(u']', open + 1);
    if (close < 0) return;
    const QStringView tail = line.mid(close + 1);
    const qsizetype separator = FindSeparator(tail);
    if (separator < 0) return;

    QString title = tail.left(separator).toString();
    if (title.contains(u">>")) title.replace(QStringLiteral(">>"), QStringLiteral(">"));
    out.append(TLogRecord{line.mid(open + 1, close - open - 1).toString(), std::move(title),
                          tail.mid(separator + 1).toString()});
}

// The last CR or LF; everything up to it holds whole lines only.
qsizetype LastLineEnd(QByteArrayView bytes) {
    return qMax(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
}

bool WriteEncoded(QIODevice& device, const QString& text) {
    const QByteArray bytes = ToCp1251(text);
    return device.write(bytes) == bytes.size();
}

}  // namespace

QList<TLogRecord> ParseJournalText(QStringView text) {
    QList<TLogRecord> entries;
    AppendJournalEntries(text, entries);
    return entries;
}

void AppendJournalEntries(QStringView text, QList<TLogRecord>& entries) {
    const qsizetype size = text.size();
    qsizetype begin = 0;
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && !IsLineEnd(text[end])) ++end;
        ParseLine(text.mid(begin, end - begin), entries);
        // CR LF, a lone CR and a lone LF each end one line.
        if (end < size && text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n') ++end;
        begin = end + 1;
    }
}

void AppendJournalLine(QString& out, const TLogRecord& entry) {
    out.append(u'[');
    AppendOneLine(out, entry.Time);
    out.append(u']');
    for (QChar c : entry.Title) {
        if (c == u'>') out.append(u'>');
        out.append(IsLineEnd(c) ? QChar(u' ') : c);
    }
    out.append(u'>');
    // A description that begins with ">" and goes on would read back as a doubled ">" and
    // lose the entry; a blank in front keeps it. A lone ">" reads back as it is.
    if (entry.Description.size() > 1 && entry.Description.front() == u'>') out.append(u' ');
    AppendOneLine(out, entry.Description);
    out.append(u"\r\n");
}

void TLogFile::AppendEntry(const QString& time, const QString& title, const QString& description) {
    entries_.append(TLogRecord{time, title, description});
}

void TLogFile::ClearEntries() {
    entries_.clear();
}

bool TLogFile::LoadJournal(const QString& fileName) {
    ClearEntries();
    QFile file;
    if (OpenRegularFile(file, fileName) != RegularFileOpen::Opened) return false;
    QList<TLogRecord> entries;
    QByteArray pending;
    // A small journal needs no megabyte of buffer.
    QByteArray block(qBound<qint64>(1, file.size() + 1, kReadBlockBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0) return false;
        if (got == 0) break;
        // What is pending holds no line end, so only the new block is searched: the load
        // stays linear however long a line runs.
        const qsizetype lastEnd = LastLineEnd(QByteArrayView(block.constData(), got));
        if (lastEnd < 0) {
            pending.append(block.constData(), got);
            continue;
        }
        // A CR LF cut between two blocks only adds an empty line, which is skipped anyway.
        pending.append(block.constData(), lastEnd + 1);
        AppendJournalEntries(FromCp1251(pending), entries);
        pending = QByteArray(block.constData() + lastEnd + 1, got - lastEnd - 1);
    }
    AppendJournalEntries(FromCp1251(pending), entries);
    entries_ = std::move(entries);
    return true;
}

bool TLogFile::WriteJournal(QIODevice& device) const {
    // Room for the whole journal when it is small, for one chunk when it is not: a short
    // journal must not cost megabytes on every save.
    constexpr qsizetype kLineEstimate = 64;
    QString chunk;
    chunk.reserve(qMin(entries_.size() * kLineEstimate, kEncodeChunkCharacters) + 256);
    for (const TLogRecord& entry : entries_) {
        AppendJournalLine(chunk, entry);
        if (chunk.size() >= kEncodeChunkCharacters) {
            if (!WriteEncoded(device, chunk)) return false;
            chunk.resize(0);
        }
    }
    return chunk.isEmpty() || WriteEncoded(device, chunk);
}

bool TLogFile::SaveJournal(const QString& fileName) const {
    // Never through a link to nothing, never over a FIFO or a device.
    const QString target = SaveTarget(fileName);
    if (target.isEmpty()) return false;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!WriteJournal(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace torvel
