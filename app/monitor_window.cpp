#include "app/monitor_window.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/fo_log.h"
#include "app/journal_export.h"
#include "app/traffic_model.h"
#include "common/cp1251.h"
#include "protocol/exchange.h"
#include "protocol/traffic_text.h"

namespace torvel {

namespace {

const QString kSaveFilter = QStringLiteral("Текстовый файл (*.txt)|*.txt|CSV файл (*.csv)|*.csv");
constexpr int kCsvFilterIndex = 1;
// Five times a second: enough to watch rows go by, and painting a screenful of rows at every
// refresh is CPU the board on the other end of a shared machine would miss.
constexpr int kRefreshMs = 200;

// clang-format off
constexpr int kColumnWidths[tcColumnCount] = {
    // time  dir  addr  function  meaning  state  round trip  frame
       80,   24,  48,   130,      230,     110,   80,         300,
};
// clang-format on

// One row, one line: a control character from a port's message would break the line.
QStringList OneLine(QStringList cells) {
    for (QString& cell : cells)
        for (QChar& c : cell)
            if (c.unicode() < 0x20) c = u' ';
    return cells;
}

}  // namespace

TMonitorWindow::TMonitorWindow(TExchange& exchange, std::function<qint64()> clock, QWidget* parent,
                               std::size_t capacity)
    : QDialog(parent), exchange_(exchange), recorder_(std::move(clock), capacity), dialogs_(this) {
    setObjectName(QStringLiteral("foMonitor"));
    setWindowTitle(QStringLiteral("Монитор обмена"));
    setModal(false);
    setSizeGripEnabled(true);
    resize(900, 480);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    CreateView();
    CreateStats();
    refresh_ = new QTimer(this);
    refresh_->setObjectName(QStringLiteral("TimerRefresh"));
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, &TMonitorWindow::RefreshWhenQuiet);
    // Queued, so the refresh runs once the request that asked for it has been written.
    recorder_.OnRequestSent = [this] {
        if (refreshDue_)
            QMetaObject::invokeMethod(this, &TMonitorWindow::Refresh, Qt::QueuedConnection);
    };
    ShowStats();
}

TMonitorWindow::~TMonitorWindow() {
    exchange_.SetObserver(nullptr);
}

void TMonitorWindow::CreateToolBar() {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    QAction* pause = toolBar->addAction(QStringLiteral("Пауза"));
    pause->setObjectName(QStringLiteral("ActionPause"));
    pause->setCheckable(true);
    pause->setToolTip(QStringLiteral("Не добавлять новые строки (счётчики продолжают считать)"));
    connect(pause, &QAction::toggled, this, [this](bool on) { recorder_.SetPaused(on); });

    QAction* clear = toolBar->addAction(QStringLiteral("Очистить"));
    clear->setObjectName(QStringLiteral("ActionClear"));
    clear->setToolTip(QStringLiteral("Удалить все строки"));
    connect(clear, &QAction::triggered, this, &TMonitorWindow::ClearRows);

    QAction* save = toolBar->addAction(QStringLiteral("Сохранить ..."));
    save->setObjectName(QStringLiteral("ActionSave"));
    save->setToolTip(QStringLiteral("Сохранить строки в файл"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &TMonitorWindow::SaveExecute);

    toolBar->addSeparator();
    auto* errorsOnly = new QCheckBox(QStringLiteral("Только ошибки"), toolBar);
    errorsOnly->setObjectName(QStringLiteral("CheckErrorsOnly"));
    toolBar->addWidget(errorsOnly);
    connect(errorsOnly, &QCheckBox::toggled, this, [this](bool on) { model_->SetErrorsOnly(on); });

    layout()->addWidget(toolBar);
}

void TMonitorWindow::CreateView() {
    model_ = new TrafficModel(recorder_.Rows(), this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("TrafficView"));
    view_->setModel(model_);
    SetUpReportView(*view_);
    QHeaderView* columns = view_->horizontalHeader();
    columns->setStretchLastSection(true);
    for (int column = 0; column < tcColumnCount; ++column)
        columns->resizeSection(column, kColumnWidths[column]);
    layout()->addWidget(view_);
}

void TMonitorWindow::CreateStats() {
    auto* panel = new QWidget(this);
    auto* grid = new QHBoxLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    auto* texts = new QVBoxLayout;
    const auto makeLabel = [panel, texts](const char* name) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(label);
        return label;
    };
    counters_ = makeLabel("LabelCounters");
    roundTrips_ = makeLabel("LabelRoundTrips");
    volume_ = makeLabel("LabelVolume");
    grid->addLayout(texts, 1);
    auto* reset = new QPushButton(QStringLiteral("Сбросить"), panel);
    reset->setObjectName(QStringLiteral("ButtonResetStats"));
    reset->setToolTip(QStringLiteral("Начать статистику заново"));
    connect(reset, &QPushButton::clicked, this, [this] {
        recorder_.ResetStats();
        ShowStats();
    });
    grid->addWidget(reset, 0, Qt::AlignTop);
    layout()->addWidget(panel);
}

void TMonitorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    exchange_.SetObserver(&recorder_);
    refresh_->start();
    Refresh();
}

void TMonitorWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // A minimised main window hides this one too (spontaneously); that is not a close.
    if (event->spontaneous()) return;
    exchange_.SetObserver(nullptr);
    refresh_->stop();
}

void TMonitorWindow::RefreshWhenQuiet() {
    // Painting while a reply is due would hold that reply up: while the line is busy the
    // window is painted just after the next request has gone out, during the reply's wire
    // time; a wait that long without a new request is painted at the next tick.
    if (!exchange_.ReplyExpected() || refreshDue_) {
        Refresh();
        return;
    }
    refreshDue_ = true;
}

void TMonitorWindow::Refresh() {
    refreshDue_ = false;
    QScrollBar* scroll = view_->verticalScrollBar();
    // Follow the newest rows unless the user has scrolled up to read.
    const bool following = scroll->value() >= scroll->maximum();
    model_->Refresh();
    if (following) view_->scrollToBottom();
    ShowStats();
    // Now, not whenever the event loop gets to it: later it may fall into the reply's arrival.
    view_->viewport()->repaint();
}

void TMonitorWindow::ClearRows() {
    recorder_.ClearRows();
    model_->Refresh();
}

void TMonitorWindow::ShowStats() {
    recorder_.TickRate();
    const TrafficStats& stats = recorder_.Stats();
    const TrafficCounters& c = stats.counters;
    counters_->setText(QStringLiteral("Запросов: %1    Ответов: %2    Таймаутов: %3    "
                                      "Ошибок кадра: %4    Исключений: %5    Остатков: %6    "
                                      "Ошибок связи: %7")
                           .arg(c.requests)
                           .arg(c.replies)
                           .arg(c.timeouts)
                           .arg(c.badFrames)
                           .arg(c.exceptions)
                           .arg(c.leftovers)
                           .arg(c.linkErrors));
    const RoundTripHistogram& trips = stats.roundTrips;
    roundTrips_->setText(
        QStringLiteral("Время ответа, мкс:    мин. %1    медиана %2    99 % %3    макс. %4")
            .arg(trips.Min())
            .arg(trips.Percentile(0.5))
            .arg(trips.Percentile(0.99))
            .arg(trips.Max()));
    volume_->setText(QStringLiteral("Передано: %1 байт    Принято: %2 байт    "
                                    "Запросов в секунду: %3")
                         .arg(c.bytesSent)
                         .arg(c.bytesReceived)
                         .arg(RateText(stats.requestRate.Rate())));
}

void TMonitorWindow::SaveExecute() {
    int filterIndex = 0;
    const QString fileName = dialogs_.AskSaveFileName(QString(), kSaveFilter, QString(),
                                                      QStringLiteral("txt"), &filterIndex);
    if (fileName.isEmpty()) return;
    // What is saved is what the view shows: caught up first.
    model_->Refresh();
    if (!SaveFileAtomically(fileName, TrafficExport(*model_, filterIndex == kCsvFilterIndex)))
        dialogs_.ShowError(QStringLiteral("Ошибка при сохранении файла ") + fileName);
}

QByteArray TrafficExport(const TrafficModel& model, bool csv) {
    QByteArray bytes;
    for (int i = 0; i < model.rowCount(); ++i) {
        const TrafficRow* row = model.RowAt(i);
        if (!row) continue;
        const QStringList cells = OneLine(TrafficCells(*row, true));
        bytes += ToCp1251((csv ? CsvLine(cells) : cells.join(u'\t')) + QStringLiteral("\r\n"));
    }
    return bytes;
}

}  // namespace torvel
