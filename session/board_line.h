#pragma once
// The board line: one serial port, the framer cutting its input into packets, the reply
// timer and the exchange over them. The line is the exchange's host: it writes the request
// lines, runs the time-out's ticks, and tells its owner of every end of an exchange and every
// failure of the link as a value. Front ends and runs of work talk to a board through it.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "protocol/exchange.h"

class QTimer;

namespace torvel {

class EComPort;
class TComDataPacket;
class TComPort;

// How an exchange ended, or how the link failed while nothing was asked.
struct TLineEnd {
    ExchangeOutcome Outcome = ExchangeOutcome::eoReply;
    // What to report: nothing, one event (message and tag) or a link error.
    OutcomeRule Rule;
    // The port's message, for a link error.
    QString Detail;
};

class TBoardLine : public QObject, private TExchangeHost {
public:
    // Ticks of the reply timer, each one of the time-out's seconds.
    static constexpr int kReplyTickMs = 1000;

    explicit TBoardLine(QObject* parent = nullptr);
    ~TBoardLine() override;

    TComPort& Port() const { return *port_; }
    TComDataPacket& Framer() const { return *framer_; }
    QTimer& ReplyTimer() const { return *replyTimer_; }
    TExchange& Exchange() { return exchange_; }
    const TExchange& Exchange() const { return exchange_; }

    // The framer's start string ":" and stop string LF.
    void SetupFramer();
    // Opens the port with the settings it holds, when it is not open yet; the port's error
    // otherwise, nothing changed.
    std::optional<EComPort> Open();
    // Closes an open port; a failure to close is not reported, since nothing is left to do.
    void CloseQuietly();

    // One request for `operation`; false, nothing written, while another is in flight.
    bool Send(const TExchangeOperation& operation, const TRequestLine& request, int timeoutTicks);
    // A request whose answer nobody awaits: written, then given up at once.
    void SendUnanswered(std::uint8_t address, std::uint8_t function, const QString& data);
    // One framed packet, without ":" and LF.
    void Packet(const QString& packet);
    // One tick of the reply time-out.
    void Tick();

    // The board has answered since the last time-out or loss of the line.
    bool DeviceConnected = false;

    // Every end of an exchange and every failure of the link, before the operation hears of
    // it. A lost device is also told through OnLinkLost, after the exchange has ended.
    std::function<void(const TLineEnd& end)> OnEnded;
    // The device vanished; the port has closed itself. Runs between two requests hear of the
    // loss here.
    std::function<void()> OnLinkLost;
    // A packet that answers nothing awaited.
    std::function<void(const QString& packet)> OnLeftover;

private:
    WriteResult WriteRequestLine(const QString& line) override;
    void RunReplyTimer(bool run) override;
    void ExchangeEnded(ExchangeOutcome outcome, const DecodedReply& reply,
                       const QString& detail) override;
    void LeftoverData(const QString& packet) override;

    TComPort* port_ = nullptr;
    TComDataPacket* framer_ = nullptr;
    QTimer* replyTimer_ = nullptr;
    TExchange exchange_{*this};
    // The operation of requests whose answers nobody awaits.
    TExchangeOperation unanswered_;
};

}  // namespace torvel
