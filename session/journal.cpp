#include "session/journal.h"

#include <QFileInfo>
#include <new>

#include "common/regular_file.h"

namespace torvel {

namespace {

// Hidden: it is no file of the user's, only what two sessions agree on.
const QString kJournalLockName = QStringLiteral(".TORVEL.LOG.lock");

}  // namespace

QString TJournal::TakeLock() {
    QString reason;
    switch (lock_.Take(kJournalLockName, &reason)) {
        case JournalLock::Result::Taken:
            return QString();
        case JournalLock::Result::HeldElsewhere:
            return QStringLiteral(
                "Журнал TORVEL.LOG ведет другой сеанс Torvel в этой папке; "
                "события этого сеанса в журнал не записываются");
        case JournalLock::Result::Failed:
            break;
    }
    return QStringLiteral("Журнал TORVEL.LOG не удалось закрепить за сеансом (") + reason +
           QStringLiteral("); события этого сеанса в журнал не записываются");
}

TJournal::TOpening TJournal::Open() {
    // The journal is read at start and written whole at the end: two sessions in one folder
    // would each overwrite what the other wrote.
    if (QString refused = TakeLock(); !refused.isEmpty()) {
        Enabled = false;
        return {refused, true, false};
    }
    // Also true for a FIFO or a device, which the load then refuses; a link to nothing is
    // missing, and creating the journal through it fails.
    if (QFileInfo::exists(kJournalFileName)) {
        Enabled = Log.LoadJournal(kJournalFileName);
        if (!Enabled) return {QStringLiteral("Ошибка при чтении журнала TORVEL.LOG")};
        return {};
    }
    if (!CreateNewFile(kJournalFileName)) {
        Enabled = false;
        return {QStringLiteral("Ошибка при создании журнала TORVEL.LOG")};
    }
    Enabled = true;
    return {QString(), false, true};
}

QString TJournal::Append(const QString& time, const QString& text, const QString& tag) {
    if (!Enabled) return QString();
    try {
        Log.AppendEntry(time, text, tag);
        return QString();
    } catch (const std::bad_alloc&) {
        Enabled = false;
        return QStringLiteral("Ошибка при записи в журнал TORVEL.LOG");
    }
}

QString TJournal::Save() {
    if (Log.SaveJournal(kJournalFileName)) return QString();
    return QStringLiteral("Ошибка при сохранении журнала TORVEL.LOG");
}

}  // namespace torvel
