#pragma once
// The journal viewer: a modal window over a snapshot of the journal, with export and print.

#include <QDialog>
#include <QList>

#include "session/log_file.h"

class QAction;
class QTableView;

namespace torvel {

// A read-only report list: grid, whole-row selection, no editing or sorting, no header
// clicks, one fixed-height line per row (so a million rows cost no more than a hundred).
void SetUpReportView(QTableView& view);

class DialogSeam;
class JournalModel;

class TfoLog : public QDialog {
    Q_OBJECT
public:
    TfoLog(const QList<TLogRecord>& entries, DialogSeam& dialogs, QWidget* parent = nullptr);

    // "Сохранить": the entries as ".csv" text or in the "LISTVIEW01" format, by the filter
    // chosen in the save dialog.
    void SaveExecute();
    // "&Печать": the entries on the default printer.
    void PrintExecute();

    QTableView* ListView() const { return listView_; }

private:
    void CreateToolBar();
    void CreateListView(const QList<TLogRecord>& entries);
    void CentreOnScreen();

    DialogSeam& dialogs_;
    JournalModel* model_ = nullptr;
    QTableView* listView_ = nullptr;
};

}  // namespace torvel
