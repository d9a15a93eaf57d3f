#include "transport/com_data_packet.h"

#include <QDebug>
#include <algorithm>

namespace torvel {

namespace {

char UpperAZ(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Letters A-Z compared without regard to case; every other byte exactly.
qsizetype FindIgnoringCase(QByteArrayView haystack, QByteArrayView needle, qsizetype from) {
    const qsizetype last = haystack.size() - needle.size();
    const char first = UpperAZ(needle[0]);
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        if (UpperAZ(haystack[i]) != first) continue;
        qsizetype k = 1;
        while (k < needle.size() && UpperAZ(haystack[i + k]) == UpperAZ(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return -1;
}

}  // namespace

TComDataPacket::TComDataPacket(QObject* parent) : QObject(parent) {
    link_.OnRxBuf = [this](TCustomComPort&, const QByteArray& bytes) { AppendReceived(bytes); };
}

TComDataPacket::~TComDataPacket() {
    try {
        SetComPort(nullptr);
    } catch (const EComPort& error) {
        qWarning("Unbinding the framer failed: %s", error.what());
    }
}

void TComDataPacket::SetComPort(TCustomComPort* port) {
    if (port == port_) return;
    if (port_) {
        disconnect(portDestroyed_);
        TCustomComPort* old = std::exchange(port_, nullptr);
        old->RemoveListener(&link_);
    }
    if (!port) return;
    port->AddListener(&link_);
    port_ = port;
    portDestroyed_ = connect(port, &QObject::destroyed, this, [this] { port_ = nullptr; });
}

void TComDataPacket::SetStartString(const QByteArray& value) {
    if (value == start_) return;
    start_ = value;
    DiscardBuffer();
}

void TComDataPacket::SetStopString(const QByteArray& value) {
    if (value == stop_) return;
    stop_ = value;
    DiscardBuffer();
}

void TComDataPacket::SetSize(int value) {
    if (value == size_) return;
    size_ = value;
    DiscardBuffer();
}

void TComDataPacket::SetCaseInsensitive(bool value) {
    if (value == caseInsensitive_) return;
    caseInsensitive_ = value;
    DiscardBuffer();
}

void TComDataPacket::AppendReceived(const QByteArray& text) {
    if (!HasStopRule()) {
        // Nothing ends a packet: every chunk is one, as it came.
        if (OnPacket) OnPacket(*this, text);
        return;
    }
    buffer_.append(text);
    // A handler that feeds more text while a scan runs: that scan goes on over it.
    if (scanning_) return;
    ScanBuffer();
}

void TComDataPacket::ScanBuffer() {
    if (scanning_) return;
    scanning_ = true;
    try {
        ScanPackets();
    } catch (...) {
        scanning_ = false;
        EnforceSizeLimit();
        Compact();
        throw;
    }
    scanning_ = false;
    EnforceSizeLimit();
    Compact();
}

void TComDataPacket::ScanPackets() {
    for (;;) {
        if (!startFound_ && !FindStart()) return;
        const qsizetype length = FindEnd();
        if (length <= 0) return;
        startFound_ = false;
        const QByteArray packet = Stripped(QByteArrayView(buffer_).sliced(head_, length));
        head_ += length;
        searchFrom_ = 0;
        if (OnPacket) OnPacket(*this, packet);
    }
}

bool TComDataPacket::FindStart() {
    int pos = -1;
    if (OnCustomStart) {
        Compact();
        OnCustomStart(*this, buffer_, pos);
    }
    if (pos > 0) {
        DropHead(std::min<qsizetype>(pos - 1, HeldSize()));
    } else if (pos == -1 && !start_.isEmpty()) {
        const qsizetype found = Find(Held(), start_, searchFrom_);
        if (found < 0) {
            searchFrom_ = std::max<qsizetype>(0, HeldSize() - start_.size() + 1);
            return false;
        }
        DropHead(found);
    } else if (pos != -1) {
        return false;
    }
    startFound_ = true;
    searchFrom_ = 0;
    return true;
}

qsizetype TComDataPacket::FindEnd() {
    int pos = -1;
    if (OnCustomStop) {
        Compact();
        OnCustomStop(*this, buffer_, pos);
        if (pos > 0) return std::min<qsizetype>(pos, HeldSize());
    }
    if (pos != -1) return 0;
    if (size_ > 0 && HeldSize() >= size_) return size_;
    if (stop_.isEmpty()) return 0;
    // The stop string counts only after the start string.
    const qsizetype from = std::max<qsizetype>(start_.size(), searchFrom_);
    const qsizetype found = Find(Held(), stop_, from);
    if (found < 0) {
        searchFrom_ = std::max<qsizetype>(start_.size(), HeldSize() - stop_.size() + 1);
        return 0;
    }
    return found + stop_.size();
}

void TComDataPacket::DropHead(qsizetype count) {
    if (count <= 0) return;
    const QByteArray dropped = OnDiscard ? buffer_.mid(head_, count) : QByteArray();
    head_ += count;
    searchFrom_ = 0;
    if (OnDiscard) OnDiscard(*this, dropped);
}

QByteArray TComDataPacket::Stripped(QByteArrayView packet) const {
    if (includeStrings_) return packet.toByteArray();
    if (!start_.isEmpty() && Find(packet, start_, 0) == 0) packet = packet.sliced(start_.size());
    // Only a stop string that ends the packet goes; one inside it (a size cut) stays.
    if (!stop_.isEmpty()) {
        const qsizetype stop = Find(packet, stop_, 0);
        if (stop >= 0 && stop == packet.size() - stop_.size()) packet.chop(stop_.size());
    }
    return packet.toByteArray();
}

void TComDataPacket::EnforceSizeLimit() {
    if (maxBufferSize_ > 0 && HeldSize() >= maxBufferSize_) DiscardBuffer();
}

void TComDataPacket::DiscardBuffer() {
    const QByteArray held = HeldSize() > 0 && OnDiscard ? ReceiveBuffer() : QByteArray();
    // Emptied before the handler runs, so an error in it cannot leave the text behind.
    buffer_.clear();
    head_ = 0;
    searchFrom_ = 0;
    startFound_ = false;
    if (!held.isEmpty()) OnDiscard(*this, held);
}

void TComDataPacket::Compact() {
    if (head_ == 0) return;
    buffer_.remove(0, head_);
    head_ = 0;
}

qsizetype TComDataPacket::Find(QByteArrayView haystack, const QByteArray& needle,
                               qsizetype from) const {
    if (needle.isEmpty() || from > haystack.size() - needle.size()) return -1;
    return caseInsensitive_ ? FindIgnoringCase(haystack, needle, from)
                            : haystack.indexOf(needle, from);
}

}  // namespace torvel
