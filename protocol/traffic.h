#pragma once
// The exchange monitor's record of the line: one row per request, packet, burst of noise or
// end without a packet, kept in a bounded ring (the newest rows stay, the oldest go), and the
// statistics of the session. TrafficRecorder is the exchange's observer that fills both.
// Nothing here touches a widget.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/rate_estimator.h"
#include "protocol/exchange.h"

namespace torvel {

enum class TrafficKind : std::uint8_t {
    tkRequest,  // a request line written
    tkPacket,   // a packet received
    tkNoise,    // bytes dropped before a ":"
    tkEnd,      // an exchange that ended without a packet (time-out, link failure)
};

enum class TrafficState : std::uint8_t {
    tsSent,
    tsOk,
    tsException,
    tsBadLrc,
    tsBadFrame,
    tsLeftover,
    tsNoise,
    tsTimeout,
    tsWriteTimeout,
    tsWriteFailed,
    tsDeviceLost,
    tsPortError,
};

// Small on purpose: 100,000 of them must fit in a few tens of megabytes, so every text the
// monitor shows is derived from `frame` when it is shown.
struct TrafficRow {
    qint64 at = 0;          // ns by the session clock
    qint64 roundTrip = -1;  // ns from the request to this answer; -1 when none
    // Request: the line without CR LF; packet: ":" and the packet without its final CR;
    // noise: the bytes as received; end: the port's message in UTF-8 (may be empty).
    // Cut at kMaxFrameKept bytes.
    QByteArray frame;
    TrafficKind kind = TrafficKind::tkRequest;
    TrafficState state = TrafficState::tsSent;
    // An end row: address and function of the request it ended (0 when none was in flight).
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    bool cut = false;  // `frame` was longer than kMaxFrameKept
};

// The longest Modbus ASCII frame is 513 characters; anything longer is hostile or noise.
inline constexpr qsizetype kMaxFrameKept = 520;
inline constexpr std::size_t kDefaultTrafficRows = 100'000;

// Rows numbered in the order they came (sequence numbers from 0); the ring holds the
// numbers [First(), End()).
class TrafficRing {
public:
    explicit TrafficRing(std::size_t capacity = kDefaultTrafficRows);

    void Append(TrafficRow row);
    // Null when the row has been dropped or has not come yet.
    const TrafficRow* Find(quint64 sequence) const;
    quint64 First() const { return end_ - rows_.size(); }
    quint64 End() const { return end_; }
    std::size_t Size() const { return rows_.size(); }
    std::size_t Capacity() const { return capacity_; }
    // Drops every row; numbering goes on from End().
    void Clear();

private:
    std::size_t capacity_;
    std::vector<TrafficRow> rows_;  // slot = sequence % capacity once full
    quint64 end_ = 0;
};

// Round trips in microseconds, in buckets of 1/128 of their power of two: min and max are
// exact, the median and 99th percentile within 1 %, in fixed memory however long the session.
class RoundTripHistogram {
public:
    void Add(qint64 microseconds);
    void Reset();
    quint64 Count() const { return count_; }
    qint64 Min() const { return count_ ? min_ : 0; }
    qint64 Max() const { return count_ ? max_ : 0; }
    // The smallest value with at least `share` (0..1) of the samples at or below it.
    qint64 Percentile(double share) const;

private:
    static constexpr int kSubBits = 7;
    static constexpr int kBuckets = (64 - kSubBits + 1) << kSubBits;
    static int BucketOf(quint64 value);
    static qint64 LowestOf(int bucket);

    std::array<quint64, kBuckets> buckets_{};
    quint64 count_ = 0;
    qint64 min_ = 0;
    qint64 max_ = 0;
};

struct TrafficCounters {
    quint64 requests = 0;
    quint64 replies = 0;  // sound answers
    quint64 timeouts = 0;
    quint64 badFrames = 0;  // answers with a wrong LRC or a wrong shape
    quint64 exceptions = 0;
    quint64 leftovers = 0;  // packets nothing awaited, and noise
    quint64 linkErrors = 0;
    quint64 bytesSent = 0;
    quint64 bytesReceived = 0;
};

struct TrafficStats {
    TrafficCounters counters;
    RoundTripHistogram roundTrips;  // sound answers and exceptions
    RateEstimator requestRate{250'000'000};
};

class TrafficRecorder final : public TExchangeObserver {
public:
    // `clock`: the session's monotonic clock in nanoseconds.
    explicit TrafficRecorder(std::function<qint64()> clock,
                             std::size_t capacity = kDefaultTrafficRows);

    // While paused no rows are kept; the statistics still count.
    void SetPaused(bool paused) { paused_ = paused; }
    bool Paused() const { return paused_; }
    const TrafficRing& Rows() const { return rows_; }
    void ClearRows() { rows_.Clear(); }
    const TrafficStats& Stats() const { return stats_; }
    // Starts the statistics again from now.
    void ResetStats();
    // Brings the requests-a-second figure up to now (it falls while the line is quiet).
    void TickRate();

    // Told after each request has been recorded (before it is written).
    std::function<void()> OnRequestSent;

    qint64 Now() const override { return clock_(); }
    void RequestSent(const QString& line, qint64 at) override;
    void PacketReceived(const QString& packet, PacketVerdict verdict, qint64 at,
                        qint64 roundTrip) override;
    void NoiseReceived(const QString& bytes, qint64 at) override;
    void ExchangeFinished(ExchangeOutcome outcome, const QString& detail, qint64 at,
                          qint64 sinceRequest) override;

private:
    void Keep(TrafficRow row);

    std::function<qint64()> clock_;
    TrafficRing rows_;
    TrafficStats stats_;
    bool paused_ = false;
    // The request in flight, for an end row that has no packet of its own.
    std::uint8_t lastAddress_ = 0;
    std::uint8_t lastFunction_ = 0;
};

// A row that a user hunting a fault wants to see: anything but a request and a sound reply.
bool IsTrafficError(const TrafficRow& row);

}  // namespace torvel
