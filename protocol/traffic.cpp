#include "protocol/traffic.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/hex.h"
#include "common/text.h"

namespace torvel {

namespace {

constexpr qint64 kNsPerUs = 1000;

// A byte of a frame as two hex digits from 1-based `position` (the ":" is position 1).
std::uint8_t FrameByte(const QString& line, int position) {
    return HexToInt(CopyText(line, position, 2));
}

QByteArray Kept(const QString& text, bool& cut) {
    cut = text.size() > kMaxFrameKept;
    // Received bytes travel as one character each; a request line is plain ASCII.
    return text.left(kMaxFrameKept).toLatin1();
}

TrafficState StateOf(PacketVerdict verdict) {
    switch (verdict) {
        case PacketVerdict::pvReply:
            return TrafficState::tsOk;
        case PacketVerdict::pvException:
            return TrafficState::tsException;
        case PacketVerdict::pvBadLrc:
            return TrafficState::tsBadLrc;
        case PacketVerdict::pvBadFrame:
            return TrafficState::tsBadFrame;
        case PacketVerdict::pvLeftover:
            break;
    }
    return TrafficState::tsLeftover;
}

// The ends that no packet row tells of; tsOk for those a packet row has shown.
TrafficState EndStateOf(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::eoTimeout:
            return TrafficState::tsTimeout;
        case ExchangeOutcome::eoWriteTimeout:
            return TrafficState::tsWriteTimeout;
        case ExchangeOutcome::eoWriteFailed:
            return TrafficState::tsWriteFailed;
        case ExchangeOutcome::eoDeviceLost:
            return TrafficState::tsDeviceLost;
        case ExchangeOutcome::eoEventError:
            return TrafficState::tsPortError;
        default:
            return TrafficState::tsOk;
    }
}

}  // namespace

// --- TrafficRing ---

TrafficRing::TrafficRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void TrafficRing::Append(TrafficRow row) {
    if (rows_.size() < capacity_)
        rows_.push_back(std::move(row));
    else
        rows_[end_ % capacity_] = std::move(row);
    ++end_;
}

const TrafficRow* TrafficRing::Find(quint64 sequence) const {
    if (sequence < First() || sequence >= end_) return nullptr;
    // Until the ring first fills, slots follow the numbers from the last Clear.
    if (rows_.size() < capacity_) return &rows_[sequence - First()];
    return &rows_[sequence % capacity_];
}

void TrafficRing::Clear() {
    rows_.clear();
    // A partly filled ring indexes from First(); a full one by number modulo capacity. Keep
    // both true by starting the numbers again at a multiple of the capacity.
    end_ += (capacity_ - end_ % capacity_) % capacity_;
}

// --- RoundTripHistogram ---

int RoundTripHistogram::BucketOf(quint64 value) {
    constexpr quint64 kExact = quint64{1} << kSubBits;
    if (value < kExact) return static_cast<int>(value);
    const int exponent = 63 - std::countl_zero(value);
    const int shift = exponent - kSubBits;
    const quint64 sub = value >> shift;  // kExact .. 2*kExact-1
    return ((shift + 1) << kSubBits) + static_cast<int>(sub - kExact);
}

qint64 RoundTripHistogram::LowestOf(int bucket) {
    constexpr int kExact = 1 << kSubBits;
    if (bucket < kExact) return bucket;
    const int group = bucket >> kSubBits;
    const quint64 sub = static_cast<quint64>((bucket & (kExact - 1)) + kExact);
    return static_cast<qint64>(sub << (group - 1));
}

void RoundTripHistogram::Add(qint64 microseconds) {
    const qint64 value = std::max<qint64>(microseconds, 0);
    ++buckets_[static_cast<std::size_t>(BucketOf(static_cast<quint64>(value)))];
    min_ = count_ ? std::min(min_, value) : value;
    max_ = count_ ? std::max(max_, value) : value;
    ++count_;
}

void RoundTripHistogram::Reset() {
    buckets_.fill(0);
    count_ = 0;
    min_ = max_ = 0;
}

qint64 RoundTripHistogram::Percentile(double share) const {
    if (!count_) return 0;
    const double wanted = std::ceil(std::clamp(share, 0.0, 1.0) * static_cast<double>(count_));
    const quint64 rank = std::max<quint64>(static_cast<quint64>(wanted), 1);
    quint64 seen = 0;
    for (int bucket = 0; bucket < kBuckets; ++bucket) {
        seen += buckets_[static_cast<std::size_t>(bucket)];
        if (seen < rank) continue;
        // The top bucket's figure is the maximum itself, not the bucket's lower edge.
        return bucket == BucketOf(static_cast<quint64>(max_))
                   ? max_
                   : std::clamp(LowestOf(bucket), min_, max_);
    }
    return max_;
}

// --- TrafficRecorder ---

TrafficRecorder::TrafficRecorder(std::function<qint64()> clock, std::size_t capacity)
    : clock_(std::move(clock)), rows_(capacity) {
    stats_.requestRate.Start(clock_());
}

void TrafficRecorder::ResetStats() {
    stats_.counters = {};
    stats_.roundTrips.Reset();
    stats_.requestRate.Start(clock_());
}

void TrafficRecorder::TickRate() {
    stats_.requestRate.Add(clock_(), static_cast<qint64>(stats_.counters.requests));
}

void TrafficRecorder::Keep(TrafficRow row) {
    if (!paused_) rows_.Append(std::move(row));
}

void TrafficRecorder::RequestSent(const QString& line, qint64 at) {
    TrafficCounters& counters = stats_.counters;
    ++counters.requests;
    counters.bytesSent += static_cast<quint64>(line.size());
    stats_.requestRate.Add(at, static_cast<qint64>(counters.requests));
    lastAddress_ = FrameByte(line, 2);
    lastFunction_ = FrameByte(line, 4);
    TrafficRow row;
    row.at = at;
    QString shown = line;
    if (shown.endsWith(QStringLiteral("\r\n"))) shown.chop(2);
    row.frame = Kept(shown, row.cut);
    Keep(std::move(row));
    if (OnRequestSent) OnRequestSent();
}

void TrafficRecorder::PacketReceived(const QString& packet, PacketVerdict verdict, qint64 at,
                                     qint64 roundTrip) {
    TrafficCounters& counters = stats_.counters;
    counters.bytesReceived += static_cast<quint64>(packet.size()) + 2;  // ":" and LF
    switch (verdict) {
        case PacketVerdict::pvReply:
            ++counters.replies;
            break;
        case PacketVerdict::pvException:
            ++counters.exceptions;
            break;
        case PacketVerdict::pvBadLrc:
        case PacketVerdict::pvBadFrame:
            ++counters.badFrames;
            break;
        case PacketVerdict::pvLeftover:
            ++counters.leftovers;
            break;
    }
    if (roundTrip >= 0 &&
        (verdict == PacketVerdict::pvReply || verdict == PacketVerdict::pvException))
        stats_.roundTrips.Add(roundTrip / kNsPerUs);
    TrafficRow row;
    row.at = at;
    row.roundTrip = roundTrip;
    row.kind = TrafficKind::tkPacket;
    row.state = StateOf(verdict);
    QString shown = u':' + packet;
    if (shown.endsWith(u'\r')) shown.chop(1);
    row.frame = Kept(shown, row.cut);
    Keep(std::move(row));
}

void TrafficRecorder::NoiseReceived(const QString& bytes, qint64 at) {
    stats_.counters.bytesReceived += static_cast<quint64>(bytes.size());
    ++stats_.counters.leftovers;
    TrafficRow row;
    row.at = at;
    row.kind = TrafficKind::tkNoise;
    row.state = TrafficState::tsNoise;
    row.frame = Kept(bytes, row.cut);
    Keep(std::move(row));
}

void TrafficRecorder::ExchangeFinished(ExchangeOutcome outcome, const QString& detail, qint64 at,
                                       qint64 sinceRequest) {
    const TrafficState state = EndStateOf(outcome);
    // A packet row has told of every other end already.
    if (state == TrafficState::tsOk) return;
    if (state == TrafficState::tsTimeout)
        ++stats_.counters.timeouts;
    else
        ++stats_.counters.linkErrors;
    TrafficRow row;
    row.at = at;
    row.kind = TrafficKind::tkEnd;
    row.state = state;
    if (sinceRequest >= 0) {
        row.address = lastAddress_;
        row.function = lastFunction_;
    }
    row.frame = detail.left(kMaxFrameKept).toUtf8();
    Keep(std::move(row));
}

bool IsTrafficError(const TrafficRow& row) {
    return row.state != TrafficState::tsSent && row.state != TrafficState::tsOk;
}

}  // namespace torvel
