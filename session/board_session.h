#pragma once
// One board as a front end works with it: its line, what it reported of itself, the FPGA
// image to load, and the three runs of work (identification, FPGA load, tester). The session
// holds no widget: what it does it reports through a TSessionView, and it takes its options
// from the TSettings it is given, which the front end fills (the window from its controls and
// "TORVEL.INI", the command line from its arguments).

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

#include "fpga/config_reader.h"
#include "fpga/identity.h"
#include "session/board_line.h"
#include "session/session_view.h"

namespace torvel {

struct TSettings;
class TFpgaLoad;
class TIdentification;
class TTesterRun;

// Why a run could not start. A run that cannot start sends nothing and has said why in its
// events.
enum class TRefusal {
    rfNone,           // started: its first request is out
    rfPort,           // the port could not be opened
    rfBusy,           // a request is still in flight
    rfNotConnected,   // the board has not answered since the line was lost
    rfNotRequired,    // the board carries a fixed configuration
    rfNoImage,        // no configuration file has given an image
    rfChipDiffers,    // the file is for another FPGA and the load was not confirmed
    rfNoFileName,     // a file is asked for but none is named
    rfFileNotOpened,  // the result file cannot be opened
    rfInputFile,      // the input file cannot be read
    rfValue,          // a value does not fit what it is written to
    rfAddress,        // the board's map does not admit the address
    rfNoValues,       // a repeated write from a file that holds no value
};

// "нет данных": what the device group shows before the board has said anything.
extern const QString kNoData;

class TBoardSession : public QObject {
public:
    TBoardSession(const TSettings& settings, TSessionView& view, QObject* parent = nullptr);
    ~TBoardSession() override;

    TBoardLine& Line() { return *line_; }
    const TBoardLine& Line() const { return *line_; }
    TIdentification& Identification() { return *identification_; }
    TFpgaLoad& Load() { return *load_; }
    TTesterRun& Tester() { return *tester_; }
    const TTesterRun& Tester() const { return *tester_; }
    const TSettings& Settings() const { return settings_; }
    TSessionView& View() { return view_; }

    // The last identification; before the first one BoardText and FpgaName read "нет данных".
    DeviceIdentity Device;
    // An identification reply has been decoded; until then the map and sizes are unknown.
    bool Identified = false;
    QString FpgaStatusText = kNoData;
    // Positions 1..ConfigImageLength (element p - 1) are the bytes a load sends.
    ConfigImageBytes ConfigImage{};
    quint16 ConfigImageLength = 0;

    // Nanoseconds since the session began, by a monotonic clock.
    qint64 ClockNs() const { return clock_.nsecsElapsed(); }

    // The device as it is before any identification.
    void ResetDevice();

    // --- for the runs ---
    void Report(const QString& text, const QString& tag = QString());
    // The port's failure, with the advice to choose another port.
    void ReportLinkError(const QString& message);
    // Opens the port for a command; false when it failed (reported, load controls back).
    bool OpenPort();
    // A request to the board at the settings' address and time-out; false when it was not
    // sent because another is in flight (reported).
    bool Send(const TExchangeOperation& operation, std::uint8_t function, const QString& data);
    // The same at another address.
    bool SendTo(const TExchangeOperation& operation, std::uint8_t address, std::uint8_t function,
                const QString& data);
    // The settings' slave address as a request carries it.
    std::uint8_t SlaveAddress() const;
    // A request to the settings' address made ahead of its turn, and its sending as above.
    TRequestLine Request(std::uint8_t function, const QString& data) const;
    bool Send(const TExchangeOperation& operation, const TRequestLine& request);
    // A request whose answer nobody awaits.
    void SendUnanswered(std::uint8_t function, const QString& data);

private:
    void LineEnded(const TLineEnd& end);
    void LinkLost();
    void Leftover(const QString& packet);

    const TSettings& settings_;
    TSessionView& view_;
    QElapsedTimer clock_;
    TBoardLine* line_ = nullptr;
    std::unique_ptr<TIdentification> identification_;
    std::unique_ptr<TFpgaLoad> load_;
    std::unique_ptr<TTesterRun> tester_;
};

// The events of a port's failure: its message, then the advice to choose another port.
QList<TSessionEvent> LinkErrorEvents(const QString& message);

}  // namespace torvel
