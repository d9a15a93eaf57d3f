#pragma once
// SIGTERM, SIGINT and SIGHUP end a session the way the close box does. The handler only
// writes the signal's number into a socket pair (async-signal-safe); the GUI thread reads it
// through a QSocketNotifier and reports it as a Qt signal.

#include <QObject>
#include <array>
#include <csignal>

class QSocketNotifier;

namespace torvel {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts back the handlers that were there before.
    ~TerminationSignals() override;

signals:
    void TerminationRequested(int signalNumber);

private:
    void ReadPendingSignals();

    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    int fds_[2] = {-1, -1};
    int previousWriteFd_ = -1;
    std::array<struct sigaction, 3> previous_{};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace torvel
