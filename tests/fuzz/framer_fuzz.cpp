// The framer fed arbitrary chunks. The first bytes choose its configuration (mostly the
// ":"/LF framing of the program, else strings, a size, custom boundary handlers and limits
// taken from the input), the rest is cut into chunks, each led by its length. Handlers may
// feed the next chunk while a scan runs, throw, or empty the buffer, as the window's can.

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <deque>

#include "fuzz/fuzz_support.h"
#include "transport/com_data_packet.h"

namespace {

using torvel::TComDataPacket;
using torvel::fuzz::InputReader;

struct FramerSetup {
    QByteArray start;
    QByteArray stop;
    int size = 0;
    int maxBufferSize = 1024;
    bool includeStrings = false;
    bool caseInsensitive = false;
    bool feedFromHandler = false;
    bool discardFromHandler = false;
    int throwAtPacket = 0;  // 0: never
    bool lineFraming = false;
    // Positions the custom handlers give, in turn (-1: leave it to the rules, 0: none yet).
    QList<int> customStarts;
    QList<int> customStops;
};

QList<int> TakePositions(InputReader& input) {
    QList<int> positions;
    for (int i = 0; i < 4; ++i) positions.append(input.TakeByte() % 42 - 1);
    return positions;
}

FramerSetup TakeSetup(InputReader& input) {
    const std::uint8_t shape = input.TakeByte();
    const std::uint8_t limit = input.TakeByte();
    const std::uint8_t flags = input.TakeByte();
    FramerSetup setup;
    switch (shape % 4) {
        case 0:
        case 1:
            setup.start = QByteArrayLiteral(":");
            setup.stop = QByteArrayLiteral("\n");
            setup.lineFraming = true;
            break;
        case 2:
            setup.start = input.TakeBytes((shape >> 2) % 4);
            setup.stop = input.TakeBytes((shape >> 4) % 4);
            // Negative sizes mean "no size rule" and must behave so.
            setup.size = static_cast<std::int8_t>(input.TakeByte()) % 17;
            if (shape & 0x40) setup.customStarts = TakePositions(input);
            if (shape & 0x80) setup.customStops = TakePositions(input);
            break;
        default:
            setup.size = 1 + (shape >> 2) % 32;
            setup.start = input.TakeBytes(shape >> 7);
            break;
    }
    switch (limit % 4) {
        case 0:
            setup.maxBufferSize = 1024;
            break;
        case 1:
            setup.maxBufferSize = (limit & 4) ? -1 : 0;
            break;
        default:
            setup.maxBufferSize = 1 + (limit >> 2);
            break;
    }
    setup.includeStrings = flags & 1;
    setup.caseInsensitive = flags & 2;
    setup.feedFromHandler = flags & 4;
    setup.discardFromHandler = flags & 8;
    setup.throwAtPacket = (flags & 16) ? 1 + (flags >> 5) : 0;
    return setup;
}

std::deque<QByteArray> TakeChunks(InputReader& input) {
    std::deque<QByteArray> chunks;
    while (!input.AtEnd()) chunks.push_back(input.TakeBytes(input.TakeByte() % 32));
    return chunks;
}

struct HandlerError {};

char UpperAZ(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The framing rules applied to the whole stream at once, written plainly: where chunking
// cannot matter (no size rule, no buffer limit, no handler that discards or throws), the
// framer fed chunk by chunk must hand out exactly these packets.
class ReferenceFramer {
public:
    explicit ReferenceFramer(const FramerSetup& setup) : setup_(setup) {}

    QList<QByteArray> Packets(const QByteArray& stream) const {
        QList<QByteArray> packets;
        qsizetype pos = 0;
        for (;;) {
            const qsizetype start = setup_.start.isEmpty() ? pos : Find(stream, setup_.start, pos);
            if (start < 0) break;
            const qsizetype stop = Find(stream, setup_.stop, start + setup_.start.size());
            if (stop < 0) break;
            pos = stop + setup_.stop.size();
            packets.append(Stripped(stream.mid(start, pos - start)));
        }
        return packets;
    }

private:
    qsizetype Find(const QByteArray& text, const QByteArray& needle, qsizetype from) const {
        if (needle.isEmpty()) return -1;
        for (qsizetype i = from; i + needle.size() <= text.size(); ++i) {
            qsizetype k = 0;
            while (k < needle.size() && Same(text[i + k], needle[k])) ++k;
            if (k == needle.size()) return i;
        }
        return -1;
    }

    bool Same(char a, char b) const {
        return setup_.caseInsensitive ? UpperAZ(a) == UpperAZ(b) : a == b;
    }

    QByteArray Stripped(QByteArray packet) const {
        if (setup_.includeStrings) return packet;
        if (!setup_.start.isEmpty() && Find(packet, setup_.start, 0) == 0)
            packet.remove(0, setup_.start.size());
        const qsizetype stop = Find(packet, setup_.stop, 0);
        if (stop >= 0 && stop == packet.size() - setup_.stop.size())
            packet.chop(setup_.stop.size());
        return packet;
    }

    const FramerSetup& setup_;
};

QString Describe(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

class FramerRun {
public:
    FramerRun(const FramerSetup& setup, std::deque<QByteArray> chunks)
        : setup_(setup), chunks_(std::move(chunks)) {
        framer_.SetStartString(setup.start);
        framer_.SetStopString(setup.stop);
        framer_.SetSize(setup.size);
        framer_.SetCaseInsensitive(setup.caseInsensitive);
        framer_.SetIncludeStrings(setup.includeStrings);
        framer_.SetMaxBufferSize(setup.maxBufferSize);
        framer_.OnPacket = [this](TComDataPacket& sender, const QByteArray& packet) {
            OnPacket(sender, packet);
        };
        framer_.OnDiscard = [this](TComDataPacket&, const QByteArray& bytes) {
            bytesOut_ += bytes.size();
        };
        if (!setup.customStarts.isEmpty()) {
            framer_.OnCustomStart = [this](TComDataPacket&, const QByteArray&, int& pos) {
                pos = setup_.customStarts[customStartCalls_++ % setup_.customStarts.size()];
            };
        }
        if (!setup.customStops.isEmpty()) {
            framer_.OnCustomStop = [this](TComDataPacket&, const QByteArray&, int& pos) {
                pos = setup_.customStops[customStopCalls_++ % setup_.customStops.size()];
            };
        }
    }

    void FeedAll() {
        while (!chunks_.empty()) {
            const QByteArray chunk = TakeChunk();
            try {
                framer_.AppendReceived(chunk);
            } catch (const HandlerError&) {
                // The handler's error passes on; the framer must be whole afterwards.
            }
            CheckAfterScan();
        }
        if (ChunkingCannotMatter()) CheckAgainstReference();
    }

private:
    QByteArray TakeChunk() {
        QByteArray chunk = chunks_.front();
        chunks_.pop_front();
        bytesIn_ += chunk.size();
        stream_ += chunk;
        return chunk;
    }

    void OnPacket(TComDataPacket& sender, const QByteArray& packet) {
        ++packets_;
        bytesOut_ += packet.size();
        handedOut_.append(packet);
        CheckPacket(packet);
        if (setup_.feedFromHandler && !chunks_.empty() && depth_ == 0) {
            ++depth_;
            const QByteArray chunk = TakeChunk();
            try {
                sender.AppendReceived(chunk);
            } catch (...) {
                --depth_;
                throw;
            }
            --depth_;
        }
        if (setup_.discardFromHandler && packets_ % 3 == 0) sender.DiscardBuffer();
        if (setup_.throwAtPacket != 0 && packets_ % setup_.throwAtPacket == 0) throw HandlerError{};
    }

    bool HasStopRule() const {
        return setup_.size > 0 || !setup_.stop.isEmpty() || !setup_.customStops.isEmpty();
    }

    bool ChunkingCannotMatter() const {
        return setup_.size <= 0 && !setup_.stop.isEmpty() && setup_.maxBufferSize <= 0 &&
               !setup_.discardFromHandler && setup_.throwAtPacket == 0 &&
               setup_.customStarts.isEmpty() && setup_.customStops.isEmpty();
    }

    void CheckAgainstReference() const {
        const QList<QByteArray> expected = ReferenceFramer(setup_).Packets(stream_);
        for (qsizetype i = 0; i < std::max(expected.size(), handedOut_.size()); ++i) {
            const QByteArray want = expected.value(i);
            const QByteArray got = handedOut_.value(i);
            FUZZ_CHECK(i < expected.size() && i < handedOut_.size() && want == got,
                       QStringLiteral("packet %1 of %2 (expected %3): %4\n  expected: %5")
                           .arg(i)
                           .arg(handedOut_.size())
                           .arg(expected.size())
                           .arg(Describe(got), Describe(want)));
        }
    }

    void CheckPacket(const QByteArray& packet) const {
        if (setup_.size > 0 && setup_.customStops.isEmpty()) {
            FUZZ_CHECK(packet.size() <= setup_.size,
                       QStringLiteral("packet longer than Size %1: %2")
                           .arg(setup_.size)
                           .arg(Describe(packet)));
        }
        if (!setup_.lineFraming) return;
        const qsizetype lf = packet.indexOf('\n');
        if (setup_.includeStrings) {
            FUZZ_CHECK(packet.startsWith(':'),
                       QStringLiteral("packet without its \":\": ") + Describe(packet));
            FUZZ_CHECK(lf == packet.size() - 1,
                       QStringLiteral("LF not only last: ") + Describe(packet));
        } else {
            FUZZ_CHECK(lf < 0, QStringLiteral("LF inside a packet: ") + Describe(packet));
        }
    }

    void CheckAfterScan() const {
        const qsizetype held = framer_.ReceiveBuffer().size();
        if (setup_.maxBufferSize > 0) {
            FUZZ_CHECK(held <= setup_.maxBufferSize,
                       QStringLiteral("%1 bytes held above MaxBufferSize %2")
                           .arg(held)
                           .arg(setup_.maxBufferSize));
        }
        if (!HasStopRule()) FUZZ_CHECK(held == 0, QStringLiteral("bytes held without a stop rule"));

        // Every byte is handed out, discarded or held, except the strings a packet loses.
        const qint64 accounted = bytesOut_ + held;
        const qint64 stripped = setup_.includeStrings || !HasStopRule()
                                    ? 0
                                    : packets_ * (setup_.start.size() + setup_.stop.size());
        FUZZ_CHECK(accounted <= bytesIn_ && bytesIn_ - accounted <= stripped,
                   QStringLiteral("bytes in %1, out and held %2, packets %3")
                       .arg(bytesIn_)
                       .arg(accounted)
                       .arg(packets_));
    }

    const FramerSetup setup_;
    std::deque<QByteArray> chunks_;
    TComDataPacket framer_;
    QByteArray stream_;
    QList<QByteArray> handedOut_;
    qint64 bytesIn_ = 0;
    qint64 bytesOut_ = 0;
    qint64 packets_ = 0;
    int depth_ = 0;
    qsizetype customStartCalls_ = 0;
    qsizetype customStopCalls_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    torvel::fuzz::SilenceQtMessages();
    InputReader input(data, size);
    const FramerSetup setup = TakeSetup(input);
    FramerRun run(setup, TakeChunks(input));
    run.FeedAll();
    return 0;
}
