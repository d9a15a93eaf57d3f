// TForm1: the events memo and the journal "TORVEL.LOG".
#include <QFileInfo>
#include <QPlainTextEdit>
#include <cstdio>
#include <new>

#include "app/fo_log.h"
#include "app/form1.h"
#include "common/datetime.h"
#include "common/regular_file.h"
#include "ui_form1.h"

namespace {

const QString kJournalFileName = QStringLiteral("TORVEL.LOG");
// Hidden: it is no file of the user's, only what two sessions agree on.
const QString kJournalLockName = QStringLiteral(".TORVEL.LOG.lock");
// The memo is emptied whole once it holds more than this many lines, never trimmed by line.
constexpr int kMemoLineLimit = 1000;

int MemoLineCount(const QPlainTextEdit& memo) {
    return memo.document()->isEmpty() ? 0 : memo.document()->blockCount();
}

QString EventLine(const QString& now, const QString& text, const QString& tag) {
    if (tag.isEmpty()) return now + QStringLiteral(" - ") + text;
    return now + QStringLiteral(" - [") + tag + QStringLiteral("] ") + text;
}

QString Quoted(const QString& message) {
    return u'"' + message + u'"';
}

}  // namespace

void TForm1::AddMemoLine(const QString& line) {
    if (MemoLineCount(*ui->Memo1) > kMemoLineLimit) ui->Memo1->clear();
    ui->Memo1->appendPlainText(line);
}

void TForm1::LogEvent(const QString& text, const QString& tag) {
    const QString now = torvel::NowText();
    AddMemoLine(EventLine(now, text, tag));
    if (!JournalEnabled) return;
    try {
        Log1.AppendEntry(now, text, tag);
    } catch (const std::bad_alloc&) {
        JournalEnabled = false;
        ReportJournalFailure(QStringLiteral("Ошибка при записи в журнал TORVEL.LOG"));
    }
}

void TForm1::ReportJournalFailure(const QString& text) {
    if (!endingBySignal_) {
        dialogs_.ShowError(text);
        return;
    }
    AddMemoLine(EventLine(torvel::NowText(), text, QStringLiteral("ОШИБКА")));
    std::fprintf(stderr, "torvel: %s\n", qPrintable(text));
}

bool TForm1::TakeJournalLock() {
    QString reason;
    QString text;
    switch (journalLock_.Take(kJournalLockName, &reason)) {
        case torvel::JournalLock::Result::Taken:
            return true;
        case torvel::JournalLock::Result::HeldElsewhere:
            text = QStringLiteral(
                "Журнал TORVEL.LOG ведет другой сеанс Torvel в этой папке; "
                "события этого сеанса в журнал не записываются");
            break;
        case torvel::JournalLock::Result::Failed:
            text = QStringLiteral("Журнал TORVEL.LOG не удалось закрепить за сеансом (") + reason +
                   QStringLiteral("); события этого сеанса в журнал не записываются");
            break;
    }
    JournalEnabled = false;
    ReportJournalFailure(text);
    LogEvent(text, QStringLiteral("ОШИБКА"));
    return false;
}

void TForm1::OpenJournal() {
    // The journal is read at start and written whole at the end: two sessions in one folder
    // would each overwrite what the other wrote.
    if (!TakeJournalLock()) return;
    // Also true for a FIFO or a device, which the load then refuses; a link to nothing is
    // missing, and creating the journal through it fails.
    if (QFileInfo::exists(kJournalFileName)) {
        JournalEnabled = true;
        if (!Log1.LoadJournal(kJournalFileName)) {
            ReportJournalFailure(QStringLiteral("Ошибка при чтении журнала TORVEL.LOG"));
            JournalEnabled = false;
        }
        return;
    }
    if (!torvel::CreateNewFile(kJournalFileName)) {
        ReportJournalFailure(QStringLiteral("Ошибка при создании журнала TORVEL.LOG"));
        JournalEnabled = false;
        return;
    }
    JournalEnabled = true;
    LogEvent(QStringLiteral("Создан журнал событий TORVEL.LOG"));
}

void TForm1::SaveJournal() {
    if (!Log1.SaveJournal(kJournalFileName))
        ReportJournalFailure(QStringLiteral("Ошибка при сохранении журнала TORVEL.LOG"));
}

void TForm1::ReportConfigError(const QString& message) {
    LogEvent(QStringLiteral("Ошибка конфигурационного файла: ") + Quoted(message),
             QStringLiteral("ОШИБКА"));
}

void TForm1::ReportLinkError(const QString& message) {
    LogEvent(QStringLiteral("Ошибка связи: ") + Quoted(message), QStringLiteral("ОШИБКА"));
    LogEvent(QStringLiteral("Выберите другой порт для подключения устройства"),
             QStringLiteral("РЕКОМЕНДАЦИЯ"));
}

void TForm1::ShowJournal(const QString& caption) {
    torvel::TfoLog viewer(Log1.Entries(), dialogs_, this);
    viewer.setWindowTitle(caption);
    viewer.exec();
}

void TForm1::ClearJournal() {
    if (dialogs_.Confirm(QStringLiteral("Вы уверены, что хотите очистить журнал событий?")) ==
        QMessageBox::Ok)
        Log1.ClearEntries();
}
