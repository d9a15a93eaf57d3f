#pragma once
// The journal "TORVEL.LOG" of the current folder for one session: taken with its one-session
// lock, read at start, appended to as events come, written whole at the end. Failures come
// back as their texts; the front end shows them its own way (a box, a line on stderr).

#include <QString>

#include "session/journal_lock.h"
#include "session/log_file.h"

namespace torvel {

inline const QString kJournalFileName = QStringLiteral("TORVEL.LOG");

class TJournal {
public:
    struct TOpening {
        // Empty when the journal works; else why it does not, and the session goes on
        // without it.
        QString failure;
        // The failure is the lock's: the text is also an event of the session.
        bool lockRefused = false;
        // No journal existed: "Создан журнал событий TORVEL.LOG" is the first event in it.
        bool created = false;
    };

    TOpening Open();
    // One entry; empty, or the failure after which the journal is off.
    QString Append(const QString& time, const QString& text, const QString& tag);
    // Written whole; empty, or the failure (the previous file is kept then).
    QString Save();
    void Release() { lock_.Release(); }

    TLogFile Log;
    bool Enabled = false;

private:
    // Empty when taken; else the failure.
    QString TakeLock();

    JournalLock lock_;
};

}  // namespace torvel
