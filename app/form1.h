#pragma once
// The main window: a view over the board session (session/) that it owns for the whole run.
// Its handlers ask the session and show what comes back. Its member functions live in several
// files by concern (form1.cpp: creation, end, menu and tabs; form1_journal.cpp: events and
// journal; form1_state.cpp: defaults; form1_port.cpp: the port and its lists;
// form1_settings.cpp: "TORVEL.INI" and the Parameters tab; form1_exchange.cpp: requests,
// replies, time-out, the exchange monitor; form1_device.cpp: connect, device and configuration
// file; form1_upload.cpp: the FPGA load; form1_view.cpp: what the session shows;
// form1_tester.cpp: the tester tab's controls; form1_tester_read.cpp, form1_tester_write.cpp,
// form1_tester_irq.cpp, form1_tester_files.cpp: its read, write, interrupt mode and files).

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/dialog_seam.h"
#include "fpga/upload.h"
#include "session/board_session.h"
#include "session/journal.h"
#include "session/session_view.h"
#include "session/settings.h"
#include "session/settings_file.h"
#include "session/tester_run.h"

class QCloseEvent;
class QLabel;
class QTimer;

namespace Ui {
class TForm1;
}

namespace torvel {
class TComComboBox;
class TComDataPacket;
class TComPort;
class TMonitorWindow;
class TPaintPacer;
class TerminationSignals;
}  // namespace torvel

// The settings kept in "TORVEL.INI" (ProjectFileName, AutoRepeat, DefaultTimeout, ...) are
// members of the window by way of TSettings, which also holds their defaults; the session
// takes its options from them.
class TForm1 : public QMainWindow, public torvel::TSettings, private torvel::TSessionView {
    Q_OBJECT
public:
    // Runs the whole creation sequence: state cleared, defaults, journal opened,
    // "Начало сеанса" logged, settings read, first tabs in front.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The board session under the window.
    torvel::TBoardSession& Session() { return *session_; }

    // --- tabs ---
    // Brings main tab `index` (0 loading, 1 tester, 2 parameters) to the front; any other
    // index does nothing. Not subject to the tab-change guard.
    void SelectPage(int index);
    // The guard a user's switch of main tabs asks: refused while a reply is awaited.
    bool PageControl1Changing() const;

    // --- events and journal (form1_journal.cpp) ---
    // A time-stamped line in the events memo and, while the journal works, an entry in it.
    void LogEvent(const QString& text, const QString& tag = QString());
    void ReportConfigError(const QString& message);
    // The port's failure, with the advice to choose another port.
    void ReportLinkError(const QString& message);
    void OpenJournal();
    void SaveJournal();
    void ShowJournal(const QString& caption);
    // Asks first; OK empties the journal (not the memo, not the file).
    void ClearJournal();

    // --- start and end ---
    void InitDefaults();
    // Project file name empty, its type, size and date "нет данных"; the image is kept.
    void ResetProjectInfo();
    // The end sequence: settings saved, "Конец сеанса" logged, journal saved, port closed.
    // Runs once, from the close event; closing is never refused.
    void FormCloseQuery();
    void ShowAboutBox();

    // Steps of the start and end sequences that the subsystems fill in.
    // The port section, every other key and the stored configuration file, once at start.
    void LoadSettings();
    // The whole file written once; what it does not own is kept.
    void SaveSettings();
    // The Parameters values, the tester tab and the port lists from the values held.
    void SettingsToControls();
    void ShowDeviceInfo();
    void SetupPacketFramer();
    void ClosePortAtEnd();

    // --- exchange (form1_exchange.cpp): thin entry points of the one request in flight ---
    // Writes one request for `operation`, which hears of its reply or of how it failed; false
    // (reported) when another request is still in flight.
    bool SendRequest(const torvel::TExchangeOperation& operation, std::uint8_t address,
                     std::uint8_t function, const QString& requestData);
    // A request of the tester; its reply goes to the tester operation under way.
    bool SendTesterRequest(std::uint8_t function, const QString& requestData);
    // The reply handler: one framed packet, without ":" and LF.
    void CDP1Packet(const QString& packet);
    // One tick of the reply time-out.
    void Timer1Timer();
    // Button1..3 and the tab-stop of the tester and parameter pages.
    void EnableLoadControls(bool enabled);

    // The exchange state, owned by the exchange.
    bool ReplyExpected() const { return exchange_.ReplyExpected(); }
    int ReplyTicks() const { return exchange_.ReplyTicks(); }
    std::uint8_t LastRequestFunction() const { return exchange_.LastRequestFunction(); }
    const QString& LastRequestData() const { return exchange_.LastRequestData(); }
    std::uint8_t ReplyFunction() const { return exchange_.ReplyFunction(); }

    // --- device and configuration file (form1_device.cpp) ---
    // "Под&ключить устройство": opens the port when needed and asks the board who it is.
    void Button3Click();
    // "&Открыть ..." beside the file field: progress bar to 0, then OpenConfigFile.
    void Button1Click();
    // Asks for a configuration file; a chosen one is classified, read and shown.
    void OpenConfigFile();
    // Reads ProjectFileName into ConfigImage.
    void ReadConfigFile();

    // --- FPGA load (form1_upload.cpp) ---
    // "&Загрузить ПЛИС".
    void Button2Click();
    // Status-bar panel 4: the position in decimal, empty for 0.
    void ShowUploadPosition(quint16 value);

    // --- tester tab (form1_tester*.cpp) ---
    // "С&читать данные".
    void Button7Click();
    // "Записат&ь данные".
    void Button8Click();
    // "Разрешить прерывание": arms the board's interrupt handler and collects its events.
    void Button13Click();
    // "Ст&оп": ends a repeated operation (a single one ends with its reply) and disarms an
    // armed handler (the mode ends at the board's answer).
    void Button9Click();
    // The repetition of a coil or register operation, and the next RAM/ROM chunk.
    void Timer2Timer();
    void Timer3Timer();
    // Takes the tester's controls into its state; false (and nothing changed but the status)
    // when a decimal field holds no number.
    bool CaptureTesterSettings();
    // The interrupt group into its state; false (and nothing sent) when the first-register
    // field holds no number.
    bool CaptureIrqSettings();
    // Ends any tester operation: timers stopped, result file closed, tab enabled.
    void StopTesterOperation();
    // Ends a tester operation that a connect, a load or the window's close cuts short; an
    // armed board (or one being armed) is told to disarm first, without waiting for its answer.
    void AbandonTesterOperation();
    // The tester tab's groups and PBTest; enabling also shows the tester state again.
    void EnableTesterControls(bool enabled);
    void ShowTesterState();
    // The address type, the base switches of MEdit1..MEdit4, and the dependent check boxes.
    void RadioGroup1Click();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void ComboBox6Change();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();
    // The result file, the input file, the viewing program, and the two viewers.
    void Button5Click();
    void Button6Click();
    void Button12Click();
    void Button10Click();
    void Button11Click();
    bool ResultFileOpen() const { return session_->Tester().ResultFile().IsOpen(); }

    // The tester's state, owned by its run.
    bool TesterActive() const { return session_->Tester().Active(); }
    bool IrqArmed() const { return session_->Tester().IrqArmed(); }
    bool IrqStopRequested() const { return session_->Tester().IrqStopRequested(); }

    // --- exchange monitor (form1_exchange.cpp) ---
    // "&Монитор обмена ...": opens the monitor (created on first use) or brings it up.
    void ShowMonitor();
    // Null until first opened.
    torvel::TMonitorWindow* Monitor() const { return monitor_; }
    // Nanoseconds since the window was created, by a monotonic clock.
    qint64 SessionClockNs() const { return session_->ClockNs(); }

    // --- serial port and its lists (form1_port.cpp, form1_settings.cpp) ---
    // "При&менить": the Parameters values into the state, the six lists into the port inside
    // one bracket, then SaveSettings.
    void Button4Click();
    // The six lists show the port's values, inside one bracket; a stored port that is not
    // present shows as such and stays chosen.
    void ShowPortSettings();
    // ComComboBox1..6 in the order they are shown and applied.
    QList<torvel::TComComboBox*> PortLists() const;

    // Message boxes and file dialogs; tests answer them here.
    torvel::DialogSeam& Dialogs() { return dialogs_; }
    // Status bar SB1's panels, numbered 1..5 from the left.
    QLabel* StatusPanel(int number) const;

    // What paints the displays of a load (PBLoad, status-bar panels 4 and 5) and of a repeated
    // tester operation (PBTest and its time left) while one runs: every change is taken at
    // once, the painting comes at a steady pace and at the end.
    torvel::TPaintPacer& LoadPacer() const { return *loadPacer_; }
    torvel::TPaintPacer& TesterPacer() const { return *testerPacer_; }

private:
    // Created first: the components and state below are the session's own.
    torvel::TBoardSession* session_;
    torvel::TExchange& exchange_;
    torvel::TJournal journal_;

public:
    // --- components, the session's ---
    QTimer* Timer1 = nullptr;  // reply time-out, 1000 ms
    QTimer* Timer2 = nullptr;  // coil and register repetitions
    QTimer* Timer3 = nullptr;  // RAM/ROM repetitions
    torvel::TLogFile& Log1;
    torvel::TComPort* ComPort1 = nullptr;
    torvel::TComDataPacket* CDP1 = nullptr;

    // --- journal ---
    bool& JournalEnabled;

    // --- exchange state ---
    // The board has answered since the last time-out or loss of the line.
    bool& DeviceConnected;

    // --- device information: the last identification ---
    // Before the first one, BoardText and FpgaName read "нет данных".
    torvel::DeviceIdentity& Device;
    QString& FpgaStatusText;

    // --- FPGA upload ---
    torvel::UploadState& Upload;

    // --- project information (the file's name and texts are settings) ---
    // Positions 1..ConfigImageLength (element p - 1) are the bytes an upload sends.
    torvel::ConfigImageBytes& ConfigImage;
    quint16& ConfigImageLength;

    // --- tester ---
    quint16 TesterAddress = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void NameComponents();
    void ConnectPortLists();
    void ConnectLoadButtons();
    // Runs `action` on the six lists inside one settings bracket of ComPort1; a failure is a
    // link error.
    void ForEachPortListInBracket(const std::function<void(torvel::TComComboBox*)>& action);
    void CreateStatusPanels();
    void ConnectMenu();
    void InstallTabGuard();
    void CentreOnScreen();
    void WatchTerminationSignals();
    void EndSessionOnSignal();
    void AddMemoLine(const QString& line);
    // A failure of the journal itself: an error box, or, once a signal ends the session, the
    // events pane and standard error, since a modal box would keep the process alive.
    void ReportJournalFailure(const QString& text);

    void ConnectTesterControls();
    // Panel 5 and the tool tips of panels 4 and 5: bytes a second and the time left.
    void ShowUploadSpeed(const torvel::RateEstimator* rate);
    // Beside PBTest: the time left of a repeated read or write.
    void ShowTesterSpeed(const torvel::RateEstimator* rate);
    void CreatePacers();
    // The monitor, when shown, catches up with the end of a run at once.
    void RefreshMonitorAtEnd();
    // A tester operation that ends before it starts: the status says the operator erred.
    void RefuseTesterStart(const QString& event, const QString& tag = QString());
    int SelectedAddressType() const;
    void SelectAddressType(int type);
    void ApplyAddressMaxLength();
    void ApplyDependentEnabling();
    void ColourValueFields(bool enabled);
    void ColourValueField(QWidget& field, bool enabled);
    void ViewTesterFile(const QString& path);

    // What the session shows (form1_view.cpp).
    void Event(const torvel::TSessionEvent& event) override;
    void LoadControls(bool enabled) override;
    void TesterControls(bool enabled) override;
    void TesterBusy(torvel::TTesterOperation operation) override;
    void DeviceChanged() override;
    void Panel(int number, const QString& text) override;
    void LoadProgress(int percent) override;
    void UploadPosition(quint16 position) override;
    void UploadSpeed(const torvel::RateEstimator* rate) override;
    void TesterStatus(const QString& text) override;
    void TesterProgress(int percent) override;
    void ReadValue(quint16 value) override;
    void WriteValue(quint16 value) override;
    void TesterSpeed(const torvel::RateEstimator* rate) override;
    void StepcountReduced(int stepcount) override;

    void MenuOpenClick();
    void MenuExitClick();

    std::unique_ptr<Ui::TForm1> ui;
    torvel::DialogSeam dialogs_;
    torvel::TSettingsFile settingsFile_;
    // What the value fields of the tester show when its tab is given back.
    qint64 enteredAddress_ = 0;  // the address field's full value, checked against the map
    quint16 readValue_ = 0;
    quint16 writeValue_ = 0;
    qint64 enteredValue_ = 0;          // the value field's full value, checked to fit a byte
    qint64 enteredFirstRegister_ = 0;  // the interrupt group's first register
    torvel::TerminationSignals* terminationSignals_ = nullptr;
    bool startupDone_ = false;
    bool endingBySignal_ = false;
    torvel::TMonitorWindow* monitor_ = nullptr;
    torvel::TPaintPacer* loadPacer_ = nullptr;
    torvel::TPaintPacer* testerPacer_ = nullptr;
    // SB1's panels 1..5, kept: a load sets two of them for every record.
    QList<QLabel*> statusPanels_;
    bool endSequenceDone_ = false;
};
