#pragma once
// The one request in flight. The exchange writes a request for the operation that asks,
// counts the ticks of its time-out, examines each received packet once, and ends every
// exchange through Finish: the operation that sent the request gets the decoded reply or the
// outcome, and the owner is told how the exchange ended. Nothing here touches a port, a timer
// or a widget; the owner supplies those through TExchangeHost.

#include <QString>
#include <cstdint>
#include <functional>

#include "protocol/outcome.h"

namespace torvel {

// An operation's two ways of hearing about its request. A reply handler may send the next
// request at once; a failure handler only cleans up.
struct TExchangeOperation {
    std::function<void(const DecodedReply& reply)> OnReply;
    // `reply` holds what came of a packet that ended it (an exception's code), else nothing.
    std::function<void(ExchangeOutcome outcome, const DecodedReply& reply)> OnFailure;
};

// A request made ahead of its turn: a run can make its next request while the reply to the
// one before is still on its way, so that only the write is left when that reply comes.
struct TRequestLine {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    QString data;
    QString line;  // ":" to CR LF
};
TRequestLine MakeRequestLine(std::uint8_t address, std::uint8_t function, const QString& data);

// What writing one request line came to. The port's message goes with a failure.
struct WriteResult {
    ExchangeOutcome outcome = ExchangeOutcome::eoReply;  // eoReply: the line is out
    QString message;
};

class TExchangeHost {
public:
    // Writes one whole request line and returns within a bounded time.
    virtual WriteResult WriteRequestLine(const QString& line) = 0;
    // The tick source of the time-out: runs exactly while a reply is awaited.
    virtual void RunReplyTimer(bool run) = 0;
    // How an exchange ended (also a device loss or port failure while nothing was awaited).
    // `detail` is the port's message for a link error, else empty. Called before the
    // operation hears of it.
    virtual void ExchangeEnded(ExchangeOutcome outcome, const DecodedReply& reply,
                               const QString& detail) = 0;
    // A packet that answers nothing that is awaited.
    virtual void LeftoverData(const QString& packet) = 0;

protected:
    ~TExchangeHost() = default;
};

// What the exchange made of one received packet.
enum class PacketVerdict {
    pvReply,      // the answer to the request
    pvException,  // the board refused the request
    pvBadLrc,     // an answer whose check characters do not match
    pvBadFrame,   // an answer too short, or whose byte count disagrees with its data
    pvLeftover,   // nothing awaited it, or it answers another function
};

// Watches the line as the exchange sees it (the exchange monitor). Called synchronously on
// the exchange's thread; it must not send or end requests. Times are the observer's own
// monotonic clock in nanoseconds, read through Now() only while an observer is set, so a
// closed monitor costs the exchange one null check per event.
class TExchangeObserver {
public:
    virtual qint64 Now() const = 0;
    // A request line (":" to CR LF) just before it is written.
    virtual void RequestSent(const QString& line, qint64 at) = 0;
    // A packet from the framer (":" and LF stripped) with its verdict. `roundTrip` is the
    // time since the request it answers was sent; -1 for a leftover.
    virtual void PacketReceived(const QString& packet, PacketVerdict verdict, qint64 at,
                                qint64 roundTrip) = 0;
    // Bytes the framer dropped before a start character.
    virtual void NoiseReceived(const QString& bytes, qint64 at) = 0;
    // Every end (Finish). `sinceRequest` is the time since the request was sent, -1 when none
    // was in flight (a device lost while idle); `detail` is the port's message or empty.
    virtual void ExchangeFinished(ExchangeOutcome outcome, const QString& detail, qint64 at,
                                  qint64 sinceRequest) = 0;

protected:
    ~TExchangeObserver() = default;
};

// The tick count after one more tick: a count that would overflow starts again from 20.
int NextReplyTicks(int ticks);

class TExchange {
public:
    explicit TExchange(TExchangeHost& host) : host_(host) {}
    TExchange(const TExchange&) = delete;
    TExchange& operator=(const TExchange&) = delete;

    // Writes the request for `operation`, which must outlive the exchange. The time-out
    // takes effect on tick `timeoutTicks` + 1. Refused (false, nothing written) while
    // another request is in flight: the line carries one request at a time.
    bool Send(const TExchangeOperation& operation, std::uint8_t address, std::uint8_t function,
              const QString& data, int timeoutTicks);
    bool Send(const TExchangeOperation& operation, const TRequestLine& request, int timeoutTicks);
    // One packet from the framer.
    void Packet(const QString& packet);
    // One tick of the reply timer.
    void Tick();
    // Gives up the request in flight when `operation` sent it (a stopped repetition), or its
    // listening: the operation is not told, and its reply, should it come, is leftover data.
    void Withdraw(const TExchangeOperation& operation);
    // From a reply handler: goes on handing `operation` the packets of `function` that come
    // unasked (a board reporting interrupts), without a time-out, until the operation sends
    // or withdraws. A packet of that function that fails its checks, or a lost line, ends
    // the listening as it would end a request.
    void Listen(const TExchangeOperation& operation, std::uint8_t function);
    // The port lost its device, or failed while waiting for line events.
    void DeviceLost(const QString& message);
    void EventError(const QString& message);
    // Bytes the framer dropped as noise: only an observer hears of them.
    void Noise(const QString& bytes);

    // The monitor's hook; null (the default) when nobody watches. Not owned.
    void SetObserver(TExchangeObserver* observer) { observer_ = observer; }

    // A request is in flight (its time-out runs); listening is not awaiting a reply.
    bool ReplyExpected() const { return operation_ != nullptr; }
    bool Listening() const { return listener_ != nullptr; }
    int ReplyTicks() const { return ticks_; }
    std::uint8_t LastRequestFunction() const { return lastFunction_; }
    const QString& LastRequestData() const { return lastData_; }
    // The function of the last awaited packet whose frame was sound.
    std::uint8_t ReplyFunction() const { return replyFunction_; }

private:
    void Finish(ExchangeOutcome outcome, const DecodedReply& reply = {},
                const QString& detail = QString());
    void ObservePacket(const QString& packet, PacketVerdict verdict, bool answers);
    void Unasked(const QString& packet);
    void Leftover(const QString& packet);

    TExchangeHost& host_;
    // The request in flight: its operation (null when none), function and time-out.
    const TExchangeOperation* operation_ = nullptr;
    // The operation that hears unasked packets of listenFunction_ (null when none). Never
    // set while a request is in flight.
    const TExchangeOperation* listener_ = nullptr;
    std::uint8_t listenFunction_ = 0;
    int timeoutTicks_ = 0;
    int ticks_ = 0;
    std::uint8_t lastFunction_ = 0;
    QString lastData_;
    std::uint8_t replyFunction_ = 0;
    // Counts the requests, so a write can tell that its own request ended while it wrote.
    quint64 serial_ = 0;
    TExchangeObserver* observer_ = nullptr;
    // When the request in flight was sent, by the observer's clock.
    qint64 sentAt_ = 0;
};

}  // namespace torvel
