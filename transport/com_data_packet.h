#pragma once
// TComDataPacket, the framer: it collects the bytes a port receives and cuts packets out of
// them by a start string and a stop string, a fixed size, or custom handlers. Bytes are held
// as bytes: every value 0..255 passes unchanged.

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaObject>
#include <QObject>
#include <functional>

#include "transport/com_port.h"

namespace torvel {

class TComDataPacket : public QObject {
    Q_OBJECT

public:
    using TComStrEvent = std::function<void(TComDataPacket& sender, const QByteArray& str)>;
    // `str` is the whole buffer and `pos` comes in as -1: set it to a 1-based boundary, to 0
    // for "none yet", or leave -1 to let the string and size rules decide.
    using TCustPacketEvent =
        std::function<void(TComDataPacket& sender, const QByteArray& str, int& pos)>;

    explicit TComDataPacket(QObject* parent = nullptr);
    // Unbinds from its port first.
    ~TComDataPacket() override;

    TCustomComPort* ComPort() const { return port_; }
    // Leaves the old port's listeners, joins the new one's (none: only leaves). Forgotten by
    // itself when the port is destroyed.
    void SetComPort(TCustomComPort* port);

    // Changing StartString, StopString, Size or CaseInsensitive empties the buffer.
    const QByteArray& StartString() const { return start_; }
    void SetStartString(const QByteArray& value);
    const QByteArray& StopString() const { return stop_; }
    void SetStopString(const QByteArray& value);
    int Size() const { return size_; }
    void SetSize(int value);
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool value);
    int MaxBufferSize() const { return maxBufferSize_; }
    void SetMaxBufferSize(int value) { maxBufferSize_ = value; }
    bool IncludeStrings() const { return includeStrings_; }
    void SetIncludeStrings(bool value) { includeStrings_ = value; }

    TComStrEvent OnPacket;
    TComStrEvent OnDiscard;
    TCustPacketEvent OnCustomStart;
    TCustPacketEvent OnCustomStop;

    // One received chunk: appended once, then every complete packet in it is handed out in
    // order. An error from a handler passes on and leaves the framer consistent.
    void AppendReceived(const QByteArray& text);
    void ScanBuffer();
    // Hands what is held to OnDiscard and starts searching afresh.
    void DiscardBuffer();

    QByteArray ReceiveBuffer() const { return buffer_.mid(head_); }
    bool StartFound() const { return startFound_; }

private:
    bool HasStopRule() const { return size_ > 0 || !stop_.isEmpty() || OnCustomStop; }
    qsizetype HeldSize() const { return buffer_.size() - head_; }
    QByteArrayView Held() const { return QByteArrayView(buffer_).sliced(head_); }
    void ScanPackets();
    bool FindStart();
    qsizetype FindEnd();
    void DropHead(qsizetype count);
    // The packet without its start and stop strings, unless they are to be kept.
    QByteArray Stripped(QByteArrayView packet) const;
    void EnforceSizeLimit();
    void Compact();
    qsizetype Find(QByteArrayView haystack, const QByteArray& needle, qsizetype from) const;

    TCustomComPort* port_ = nullptr;
    QMetaObject::Connection portDestroyed_;
    TComLink link_;

    QByteArray start_;
    QByteArray stop_;
    int size_ = 0;
    int maxBufferSize_ = 1024;
    bool includeStrings_ = false;
    bool caseInsensitive_ = false;

    // The text held is buffer_ from head_ on; consumed text is cut off once per chunk rather
    // than once per packet.
    QByteArray buffer_;
    qsizetype head_ = 0;
    // Offset from the head before which the pending search (for the start, or for the stop
    // once the start is found) cannot match: earlier positions were searched already.
    qsizetype searchFrom_ = 0;
    bool startFound_ = false;
    bool scanning_ = false;
};

}  // namespace torvel
