#include "app/fo_log.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPrinter>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/dialog_seam.h"
#include "app/journal_export.h"
#include "app/journal_model.h"

namespace torvel {

namespace {

const QString kExportFilter = QStringLiteral("CSV файл (*.csv)|*.csv|Бинарный файл (*.dat)|*.dat");
constexpr int kListViewFilterIndex = 1;

}  // namespace

void SetUpReportView(QTableView& view) {
    view.setShowGrid(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setSortingEnabled(false);
    view.setWordWrap(false);
    view.setCornerButtonEnabled(false);
    // Fixed row heights keep a million rows as cheap as a hundred.
    QHeaderView* rows = view.verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view.fontMetrics().height() + 4);
    view.horizontalHeader()->setSectionsClickable(false);
}

TfoLog::TfoLog(const QList<TLogRecord>& entries, DialogSeam& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("foLog"));
    setMinimumSize(300, 300);
    resize(520, 420);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    CreateListView(entries);
    CentreOnScreen();
}

void TfoLog::CreateToolBar() {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    auto* save = toolBar->addAction(QStringLiteral("Сохранить"));
    save->setObjectName(QStringLiteral("ActionSave"));
    save->setToolTip(QStringLiteral("Сохранить журнал"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &TfoLog::SaveExecute);

    auto* print = toolBar->addAction(QStringLiteral("&Печать"));
    print->setObjectName(QStringLiteral("ActionPrint"));
    print->setToolTip(QStringLiteral("Печать"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, &TfoLog::PrintExecute);

    layout()->addWidget(toolBar);
}

void TfoLog::CreateListView(const QList<TLogRecord>& entries) {
    model_ = new JournalModel(entries, this);
    listView_ = new QTableView(this);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setModel(model_);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    SetUpReportView(*listView_);
    QHeaderView* columns = listView_->horizontalHeader();
    columns->setSortIndicatorShown(false);
    columns->setStretchLastSection(false);
    columns->resizeSection(0, 115);
    columns->resizeSection(1, 200);
    columns->resizeSection(2, 150);

    layout()->addWidget(listView_);
}

void TfoLog::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TfoLog::SaveExecute() {
    int filterIndex = 0;
    const QString fileName = dialogs_.AskSaveFileName(QString(), kExportFilter, QString(),
                                                      QStringLiteral("csv"), &filterIndex);
    if (fileName.isEmpty()) return;
    const QList<TLogRecord>& entries = model_->Entries();
    const QByteArray bytes =
        filterIndex == kListViewFilterIndex ? JournalListView(entries) : JournalCsv(entries);
    if (!SaveFileAtomically(fileName, bytes))
        dialogs_.ShowError(QStringLiteral("Ошибка при сохранении файла ") + fileName);
}

void TfoLog::PrintExecute() {
    QPrinter printer;
    dialogs_.PreparePrinter(printer);
    if (!PrintJournal(model_->Entries(), printer))
        dialogs_.ShowError(QStringLiteral("Ошибка при печати журнала"));
}

}  // namespace torvel
