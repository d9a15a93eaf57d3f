// TForm1: the events memo and the journal "TORVEL.LOG".
#include <QPlainTextEdit>
#include <cstdio>

#include "app/fo_log.h"
#include "app/form1.h"
#include "common/datetime.h"
#include "ui_form1.h"

namespace {

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
    const QString failure = journal_.Append(now, text, tag);
    if (!failure.isEmpty()) ReportJournalFailure(failure);
}

void TForm1::ReportJournalFailure(const QString& text) {
    if (!endingBySignal_) {
        dialogs_.ShowError(text);
        return;
    }
    AddMemoLine(EventLine(torvel::NowText(), text, QStringLiteral("ОШИБКА")));
    std::fprintf(stderr, "torvel: %s\n", qPrintable(text));
}

void TForm1::OpenJournal() {
    const torvel::TJournal::TOpening opening = journal_.Open();
    if (!opening.failure.isEmpty()) {
        ReportJournalFailure(opening.failure);
        if (opening.lockRefused) LogEvent(opening.failure, QStringLiteral("ОШИБКА"));
        return;
    }
    if (opening.created) LogEvent(QStringLiteral("Создан журнал событий TORVEL.LOG"));
}

void TForm1::SaveJournal() {
    const QString failure = journal_.Save();
    if (!failure.isEmpty()) ReportJournalFailure(failure);
}

void TForm1::ReportConfigError(const QString& message) {
    LogEvent(QStringLiteral("Ошибка конфигурационного файла: ") + Quoted(message),
             QStringLiteral("ОШИБКА"));
}

void TForm1::ReportLinkError(const QString& message) {
    for (const torvel::TSessionEvent& event : torvel::LinkErrorEvents(message))
        LogEvent(event.Text, event.Tag);
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
