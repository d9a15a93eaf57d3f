#pragma once
// The main window: owns every component and all program state for the whole run. Its member
// functions live in several files by concern (form1.cpp: creation, end, menu and tabs;
// form1_journal.cpp: events and journal; form1_state.cpp: defaults; form1_port.cpp: the port;
// form1_settings.cpp: "TORVEL.INI" and the Parameters tab;
// form1_exchange.cpp: requests, replies, time-out, the exchange monitor; form1_device.cpp:
// connect, device and configuration file; form1_upload.cpp: the FPGA load; form1_tester.cpp:
// the tester tab's controls and the end of its operations; form1_tester_read.cpp,
// form1_tester_write.cpp, form1_tester_irq.cpp, form1_tester_files.cpp: its read, write,
// interrupt mode and files).

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/dialog_seam.h"
#include "app/journal_lock.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "common/rate_estimator.h"
#include "fpga/config_reader.h"
#include "fpga/identity.h"
#include "fpga/upload.h"
#include "protocol/exchange.h"
#include "tester/irq_operation.h"
#include "tester/read_operation.h"
#include "tester/result_file.h"
#include "tester/result_format.h"
#include "tester/write_operation.h"

class QCloseEvent;
class QLabel;
class QTimer;

namespace Ui {
class TForm1;
}

namespace torvel {
class IniFile;
class TComComboBox;
class TComDataPacket;
class TComPort;
class TMonitorWindow;
class TerminationSignals;
}  // namespace torvel

// The settings kept in "TORVEL.INI" (ProjectFileName, AutoRepeat, DefaultTimeout, ...) are
// members of the window by way of TSettings, which also holds their defaults.
class TForm1 : public QMainWindow, public torvel::TSettings, private torvel::TExchangeHost {
    Q_OBJECT
public:
    // Runs the whole creation sequence: state cleared, defaults, journal opened,
    // "Начало сеанса" logged, settings read, first tabs in front.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

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
    // Writes one request for `operation`, which hears of its reply or of how it failed.
    void SendRequest(const torvel::TExchangeOperation& operation, std::uint8_t address,
                     std::uint8_t function, const QString& requestData);
    // A request of the tester; its reply goes to the tester operation under way.
    void SendTesterRequest(std::uint8_t function, const QString& requestData);
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
    // The interrupt group into its state and the settings of its stepper; nothing (and
    // nothing sent) when the first-register field holds no number.
    std::optional<torvel::TIrqSettings> CaptureIrqSettings();
    // Ends any tester operation: flags and timers cleared, result file closed, tab enabled.
    void StopTesterOperation();
    // Ends a tester operation that a connect, a load or the window's close cuts short; an
    // armed board (or one being armed) is told to disarm first, without waiting for its answer.
    void AbandonTesterOperation();
    // Finishes and closes the result file of a read; a failure is logged.
    void CloseResultFile();
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
    bool ResultFileOpen() const { return ResultFile.IsOpen(); }

    // --- exchange monitor (form1_exchange.cpp) ---
    // "&Монитор обмена ...": opens the monitor (created on first use) or brings it up.
    void ShowMonitor();
    // Null until first opened.
    torvel::TMonitorWindow* Monitor() const { return monitor_; }
    // Nanoseconds since the window was created, by a monotonic clock.
    qint64 SessionClockNs() const { return sessionClock_.nsecsElapsed(); }

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

    // --- components ---
    QTimer* Timer1 = nullptr;  // reply time-out, 1000 ms
    QTimer* Timer2 = nullptr;  // coil and register repetitions
    QTimer* Timer3 = nullptr;  // RAM/ROM repetitions
    torvel::TLogFile Log1;
    torvel::TComPort* ComPort1 = nullptr;
    torvel::TComDataPacket* CDP1 = nullptr;

    // --- journal ---
    bool JournalEnabled = false;

    // --- exchange state ---
    // The board has answered since the last time-out or loss of the line.
    bool DeviceConnected = false;
    bool TesterActive = false;
    bool IrqArmed = false;
    bool IrqStopRequested = false;

    // --- device information: the last identification ---
    // Before the first one, BoardText and FpgaName read "нет данных".
    torvel::DeviceIdentity Device;
    QString FpgaStatusText;

    // --- FPGA upload ---
    torvel::UploadState Upload;

    // --- project information (the file's name and texts are settings) ---
    // Positions 1..ConfigImageLength (element p - 1) are the bytes an upload sends.
    torvel::ConfigImageBytes ConfigImage{};
    quint16 ConfigImageLength = 0;

    // --- tester ---
    quint16 TesterAddress = 0;
    torvel::TResultFile ResultFile;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The tester operation under way.
    enum class TesterOperation { None, Read, Write, Irq };

    void FormCreate();
    void CreateTimers();
    void CreatePort();
    void ConnectExchange();
    void ConnectLoadButtons();
    // Runs `action` on the six lists inside one settings bracket of ComPort1; a failure is a
    // link error.
    void ForEachPortListInBracket(const std::function<void(torvel::TComComboBox*)>& action);
    // Settings file texts that Windows-1251 cannot hold, each reported once.
    void ReportUnwritable(const torvel::IniFile& file);
    void CreateStatusPanels();
    void ConnectMenu();
    void InstallTabGuard();
    void CentreOnScreen();
    void WatchTerminationSignals();
    void EndSessionOnSignal();
    void AddMemoLine(const QString& line);
    // False, reported, when another session in this folder owns the journal.
    bool TakeJournalLock();
    // A failure of the journal itself: an error box, or, once a signal ends the session, the
    // events pane and standard error, since a modal box would keep the process alive.
    void ReportJournalFailure(const QString& text);

    // The connect and load commands open the port themselves; false when it failed (reported).
    bool OpenPortForCommand();
    void CreateOperations();
    void IdentificationReply(const QString& payload);
    void UploadReply();
    void UploadFailed(torvel::ExchangeOutcome outcome);
    void CompleteUpload();
    void ConnectTesterControls();
    // Panel 4's tool tip: bytes a second and the time left, from uploadRate_.
    void ShowUploadSpeed();
    void TesterReply(const torvel::DecodedReply& reply);
    void TesterFailed(torvel::ExchangeOutcome outcome, const torvel::DecodedReply& reply);
    void ReadReply(const torvel::DecodedReply& reply);
    void WriteReply(const torvel::DecodedReply& reply);
    void IrqReply(const torvel::DecodedReply& reply);
    // What a read's or write's reply leaves: the timer sends on, or the operation is over.
    void FollowStep(torvel::TStepEnd end);
    // A read or write that the board's address map refuses.
    void RefuseTesterAddress();
    // An operation that was marked under way and sends nothing after all; `status` says why.
    void EndRefusedOperation(const QString& status);
    // A tester operation that ends before it starts: the status says the operator erred.
    void RefuseTesterStart(const QString& event, const QString& tag = QString());
    // Marks a read or write under way and logs "<what> по адресу ..." with its repeat count.
    void BeginTesterOperation(TesterOperation operation, const QString& what);
    // The first request of a read or write: the timer its pacing needs, the groups disabled
    // with the address and `valueField` still looking like values.
    void SendFirstTesterRequest(const torvel::TTesterRequest& request, torvel::TPacer pacer,
                                QWidget& valueField);
    // The read or write under way whose repetitions the timers send; null for none.
    torvel::TRepeatingOperation* RepeatingOperation();
    void DisarmInterrupt();
    void WriteIrqEvent(int eventNumber, const QString& payload);
    int SelectedAddressType() const;
    void SelectAddressType(int type);
    void ApplyAddressMaxLength();
    void ApplyDependentEnabling();
    void ColourValueFields(bool enabled);
    void ColourValueField(QWidget& field, bool enabled);
    // A read or write that ends with its reply or its last repetition: the status stays on
    // screen.
    void EndTesterOperation();
    bool OpenResultFile(const QString& header);
    void WriteResultValue(const torvel::TResultValue& value);
    void ViewTesterFile(const QString& path);
    torvel::TBoardRanges BoardRanges() const;

    // What the exchange needs of its owner (form1_exchange.cpp).
    torvel::WriteResult WriteRequestLine(const QString& line) override;
    void RunReplyTimer(bool run) override;
    void ExchangeEnded(torvel::ExchangeOutcome outcome, const torvel::DecodedReply& reply,
                       const QString& detail) override;
    void LeftoverData(const QString& packet) override;

    void MenuOpenClick();
    void MenuExitClick();

    std::unique_ptr<Ui::TForm1> ui;
    torvel::DialogSeam dialogs_;
    torvel::TExchange exchange_{*this};
    torvel::TExchangeOperation identification_;
    torvel::TExchangeOperation upload_;
    torvel::TExchangeOperation tester_;
    // An identification reply has been decoded; until then the map and sizes show "нет данных".
    bool deviceIdentified_ = false;
    // The tester operation under way and what it shows.
    TesterOperation testerOperation_ = TesterOperation::None;
    torvel::TTesterRead read_;
    torvel::TTesterWrite write_;
    torvel::TTesterIrq irq_;
    // A request whose answer nobody awaits (disarming a board that is being left).
    torvel::TExchangeOperation unanswered_;
    std::optional<torvel::TResultLayout> resultLayout_;
    qint64 enteredAddress_ = 0;  // the address field's full value, checked against the map
    quint16 readValue_ = 0;
    quint16 writeValue_ = 0;
    qint64 enteredValue_ = 0;  // the value field's full value, checked to fit a byte
    torvel::TerminationSignals* terminationSignals_ = nullptr;
    torvel::JournalLock journalLock_;
    bool startupDone_ = false;
    bool endingBySignal_ = false;
    // The monitor's time base and the upload's speed.
    QElapsedTimer sessionClock_;
    torvel::TMonitorWindow* monitor_ = nullptr;
    torvel::RateEstimator uploadRate_;
    bool endSequenceDone_ = false;
    // "TORVEL.INI" could not be read whole at start: it is left as it is for the session.
    bool settingsFileKept_ = false;
    QSet<QString> reportedUnwritable_;
};
