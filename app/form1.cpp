// TForm1: creation, the end of the run, the main menu and the main tabs.
#include "app/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "app/about_box.h"
#include "app/monitor_window.h"
#include "common/termination_signals.h"
#include "session/fpga_load.h"
#include "transport/com_data_packet.h"
#include "transport/com_port.h"
#include "ui_form1.h"

namespace {

constexpr int kStatusPanelCount = 5;
constexpr int kStatusPanelWidth = 100;
constexpr int kUpperAreaHeight = 369;

enum MainPage { kLoadingPage = 0, kTesterPage = 1, kParametersPage = 2 };

QString StatusPanelName(int number) {
    return QStringLiteral("SB1Panel") + QString::number(number);
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent),
      session_(new torvel::TBoardSession(*this, *this, this)),
      exchange_(session_->Line().Exchange()),
      Log1(journal_.Log),
      JournalEnabled(journal_.Enabled),
      DeviceConnected(session_->Line().DeviceConnected),
      Device(session_->Device),
      FpgaStatusText(session_->FpgaStatusText),
      Upload(session_->Load().State()),
      ConfigImage(session_->ConfigImage),
      ConfigImageLength(session_->ConfigImageLength),
      ui(new Ui::TForm1),
      dialogs_(this) {
    // Before anything that can block or take long (a start-up error box, a large journal),
    // so that a signal then still ends the session with "Конец сеанса" and the settings.
    WatchTerminationSignals();
    ui->setupUi(this);
    NameComponents();
    ConnectPortLists();
    ConnectLoadButtons();
    ConnectTesterControls();
    CreateStatusPanels();
    CreatePacers();
    ConnectMenu();
    InstallTabGuard();
    ui->Splitter1->setSizes({kUpperAreaHeight, height() - kUpperAreaHeight});
    CentreOnScreen();
    FormCreate();
    startupDone_ = true;
    // A signal that came during start-up ends the session now that there is one to end; the
    // call is queued, so the window is shown and its loop runs first.
    if (endingBySignal_)
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
}

TForm1::~TForm1() {
    // The monitor watches the session's exchange, which goes with the window's children.
    delete monitor_;
}

void TForm1::FormCreate() {
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    DeviceConnected = false;
    InitDefaults();
    OpenJournal();
    LogEvent(QStringLiteral("Начало сеанса"));
    LoadSettings();
    ShowDeviceInfo();
    EnableTesterControls(false);
    SetupPacketFramer();
    SelectPage(kLoadingPage);
    ui->PageControl2->setCurrentIndex(0);
}

void TForm1::FormCloseQuery() {
    if (endSequenceDone_) return;
    endSequenceDone_ = true;
    AbandonTesterOperation();
    SaveSettings();
    LogEvent(QStringLiteral("Конец сеанса"));
    if (JournalEnabled) SaveJournal();
    journal_.Release();
    ClosePortAtEnd();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

void TForm1::NameComponents() {
    torvel::TBoardLine& line = session_->Line();
    Timer1 = &line.ReplyTimer();
    Timer2 = session_->Tester().RepetitionTimer();
    Timer3 = session_->Tester().PageTimer();
    ComPort1 = &line.Port();
    CDP1 = &line.Framer();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer3->setObjectName(QStringLiteral("Timer3"));
    // Also the name of the port's section in "TORVEL.INI".
    ComPort1->setObjectName(QStringLiteral("ComPort1"));
    CDP1->setObjectName(QStringLiteral("CDP1"));
}

void TForm1::CreateStatusPanels() {
    for (int number = 1; number <= kStatusPanelCount; ++number) {
        auto* panel = new QLabel(ui->SB1);
        panel->setObjectName(StatusPanelName(number));
        panel->setFixedWidth(kStatusPanelWidth);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        ui->SB1->addWidget(panel);
        statusPanels_.append(panel);
    }
}

QLabel* TForm1::StatusPanel(int number) const {
    return statusPanels_.value(number - 1);
}

void TForm1::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TForm1::ConnectMenu() {
    connect(ui->MenuOpen, &QAction::triggered, this, &TForm1::MenuOpenClick);
    connect(ui->MenuExit, &QAction::triggered, this, &TForm1::MenuExitClick);
    connect(ui->MenuConnect, &QAction::triggered, this, [this] { SelectPage(kLoadingPage); });
    connect(ui->MenuLoadProject, &QAction::triggered, this, [this] { SelectPage(kLoadingPage); });
    connect(ui->MenuTester, &QAction::triggered, this, [this] { SelectPage(kTesterPage); });
    connect(ui->MenuSetup, &QAction::triggered, this, [this] { SelectPage(kParametersPage); });
    connect(ui->MenuViewJournal, &QAction::triggered, this,
            [this] { ShowJournal(QStringLiteral("Журнал событий")); });
    connect(ui->MenuMonitor, &QAction::triggered, this, &TForm1::ShowMonitor);
    connect(ui->MenuClearJournal, &QAction::triggered, this, &TForm1::ClearJournal);
    connect(ui->MenuAbout, &QAction::triggered, this, &TForm1::ShowAboutBox);
}

void TForm1::MenuOpenClick() {
    SelectPage(kLoadingPage);
    OpenConfigFile();
}

void TForm1::MenuExitClick() {
    close();
}

void TForm1::ShowAboutBox() {
    torvel::TAboutBox box(this);
    box.exec();
}

void TForm1::InstallTabGuard() {
    ui->PageControl1->SetChangeGuard([this] { return PageControl1Changing(); });
}

bool TForm1::PageControl1Changing() const {
    return !ReplyExpected();
}

void TForm1::SelectPage(int index) {
    if (index >= 0 && index < ui->PageControl1->count()) ui->PageControl1->setCurrentIndex(index);
}

void TForm1::WatchTerminationSignals() {
    terminationSignals_ = new torvel::TerminationSignals(this);
    connect(terminationSignals_, &torvel::TerminationSignals::TerminationRequested, this,
            &TForm1::EndSessionOnSignal);
}

void TForm1::EndSessionOnSignal() {
    endingBySignal_ = true;
    // A modal dialog still open would keep the process alive after the window closed.
    for (int open = 0; open < 8; ++open) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == this) break;
        modal->close();
    }
    // Mid start-up the constructor ends the session once start-up is through.
    if (startupDone_) close();
}
