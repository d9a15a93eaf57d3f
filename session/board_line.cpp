#include "session/board_line.h"

#include <QTimer>
#include <cerrno>

#include "transport/com_data_packet.h"
#include "transport/com_error.h"
#include "transport/com_port.h"

namespace torvel {

TBoardLine::TBoardLine(QObject* parent) : QObject(parent) {
    port_ = new TComPort(this);
    // The port has closed itself already; the request in flight, if any, ends here.
    port_->OnLinkLost = [this](TCustomComPort&, const QString& message) {
        exchange_.DeviceLost(message);
        if (OnLinkLost) OnLinkLost();
    };
    port_->OnEventError = [this](TCustomComPort&, const QString& message) {
        exchange_.EventError(message);
    };

    framer_ = new TComDataPacket(this);
    framer_->SetComPort(port_);
    SetupFramer();
    // Received bytes are one character each; the codec works on texts.
    framer_->OnPacket = [this](TComDataPacket&, const QByteArray& packet) {
        Packet(QString::fromLatin1(packet));
    };
    // Bytes before a ":" are dropped by the framer; the monitor shows them as noise.
    framer_->OnDiscard = [this](TComDataPacket&, const QByteArray& bytes) {
        exchange_.Noise(QString::fromLatin1(bytes));
    };

    replyTimer_ = new QTimer(this);
    replyTimer_->setInterval(kReplyTickMs);
    connect(replyTimer_, &QTimer::timeout, this, &TBoardLine::Tick);
}

// The port closes before the exchange goes, and nothing it reports then reaches it.
TBoardLine::~TBoardLine() {
    port_->OnLinkLost = nullptr;
    port_->OnEventError = nullptr;
    delete framer_;
    delete port_;
}

void TBoardLine::SetupFramer() {
    framer_->SetStartString(QByteArrayLiteral(":"));
    framer_->SetStopString(QByteArrayLiteral("\n"));
}

std::optional<EComPort> TBoardLine::Open() {
    try {
        if (!port_->Connected()) port_->OpenPort();
        return std::nullopt;
    } catch (const EComPort& error) {
        return error;
    }
}

void TBoardLine::CloseQuietly() {
    if (!port_->Connected()) return;
    try {
        port_->ClosePort();
    } catch (const EComPort&) {
        // Closing at the end of the run is silent.
    }
}

bool TBoardLine::Send(const TExchangeOperation& operation, const TRequestLine& request,
                      int timeoutTicks) {
    return exchange_.Send(operation, request, timeoutTicks);
}

void TBoardLine::SendUnanswered(std::uint8_t address, std::uint8_t function, const QString& data) {
    if (!exchange_.Send(unanswered_, address, function, data, 0)) return;
    exchange_.Withdraw(unanswered_);
}

void TBoardLine::Packet(const QString& packet) {
    // Any packet at all shows that something answers on the line.
    DeviceConnected = true;
    exchange_.Packet(packet);
}

void TBoardLine::Tick() {
    exchange_.Tick();
}

WriteResult TBoardLine::WriteRequestLine(const QString& line) {
    try {
        port_->WriteText(line);
        return {};
    } catch (const EComPort& error) {
        // A device gone under the write has closed the port and ended the exchange already.
        if (error.SystemErrorCode() == ETIMEDOUT)
            return {ExchangeOutcome::eoWriteTimeout, error.Message()};
        return {ExchangeOutcome::eoWriteFailed, error.Message()};
    }
}

void TBoardLine::RunReplyTimer(bool run) {
    // A running timer keeps its period: a leftover packet does not restart the wait.
    if (!run) {
        replyTimer_->stop();
    } else if (!replyTimer_->isActive()) {
        replyTimer_->start();
    }
}

void TBoardLine::ExchangeEnded(ExchangeOutcome outcome, const DecodedReply& reply,
                               const QString& detail) {
    const OutcomeRule rule = OutcomeText(outcome, reply.exceptionCode);
    if (rule.deviceSilent) DeviceConnected = false;
    if (OnEnded) OnEnded({outcome, rule, detail});
}

void TBoardLine::LeftoverData(const QString& packet) {
    if (OnLeftover) OnLeftover(packet);
}

}  // namespace torvel
