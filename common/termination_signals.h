#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal, for a program that ends its work in order (the
// window's close sequence, the command line's stop at a safe point). The handler only
// writes the signal's number into a socket pair (async-signal-safe); the thread that owns
// the object reads it through a QSocketNotifier and reports it.

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

    // From now on a signal that comes after an earlier one ends the process at once, from the
    // handler, with `exitCode`: the second Ctrl-C must work even while the event loop is busy
    // or stuck in a write. Off unless asked for.
    void EndAtOnceOnRepeat(int exitCode);

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
