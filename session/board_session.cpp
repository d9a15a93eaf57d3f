#include "session/board_session.h"

#include "common/cp1251.h"
#include "session/fpga_load.h"
#include "session/identification.h"
#include "session/settings.h"
#include "session/tester_run.h"
#include "transport/com_error.h"
#include "transport/com_port.h"
#include "transport/port_access.h"

namespace torvel {

namespace {

// Leftover data shows at most this many characters of the packet.
constexpr int kLeftoverShown = 40;

QString Quoted(const QString& message) {
    return u'"' + message + u'"';
}

}  // namespace

const QString kNoData = QStringLiteral("нет данных");

QList<TSessionEvent> LinkErrorEvents(const QString& message) {
    return {{QStringLiteral("Ошибка связи: ") + Quoted(message), QStringLiteral("ОШИБКА")},
            {QStringLiteral("Выберите другой порт для подключения устройства"),
             QStringLiteral("РЕКОМЕНДАЦИЯ")}};
}

TBoardSession::TBoardSession(const TSettings& settings, TSessionView& view, QObject* parent)
    : QObject(parent), settings_(settings), view_(view), line_(new TBoardLine(this)) {
    clock_.start();
    ResetDevice();
    identification_ = std::make_unique<TIdentification>(*this);
    load_ = std::make_unique<TFpgaLoad>(*this);
    tester_ = std::make_unique<TTesterRun>(*this);
    line_->OnEnded = [this](const TLineEnd& end) { LineEnded(end); };
    line_->OnLinkLost = [this] { LinkLost(); };
    line_->OnLeftover = [this](const QString& packet) { Leftover(packet); };
}

TBoardSession::~TBoardSession() {
    // The line goes first: nothing it reports as it closes may reach the runs.
    line_->OnEnded = nullptr;
    line_->OnLinkLost = nullptr;
    line_->OnLeftover = nullptr;
    delete line_;
}

void TBoardSession::ResetDevice() {
    Device = DeviceIdentity{};
    Device.BoardText = kNoData;
    Device.FpgaName = kNoData;
    Device.PageOffsetMax = InitialPageOffsetMax;
    FpgaStatusText = kNoData;
}

void TBoardSession::Report(const QString& text, const QString& tag) {
    view_.Event({text, tag});
}

void TBoardSession::ReportLinkError(const QString& message) {
    for (const TSessionEvent& event : LinkErrorEvents(message)) view_.Event(event);
}

bool TBoardSession::OpenPort() {
    const std::optional<EComPort> error = line_->Open();
    if (!error) return true;
    ReportLinkError(error->Message());
    // A port the user lacks the rights to: who may open it, and how to become one of them.
    const QString hint = PortAccessHint(line_->Port().Port(), *error);
    if (!hint.isEmpty()) Report(hint, QStringLiteral("РЕКОМЕНДАЦИЯ"));
    view_.LoadControls(true);
    return false;
}

bool TBoardSession::Send(const TExchangeOperation& operation, std::uint8_t function,
                         const QString& data) {
    return SendTo(operation, SlaveAddress(), function, data);
}

bool TBoardSession::SendTo(const TExchangeOperation& operation, std::uint8_t address,
                           std::uint8_t function, const QString& data) {
    return Send(operation, MakeRequestLine(address, function, data));
}

std::uint8_t TBoardSession::SlaveAddress() const {
    return static_cast<std::uint8_t>(settings_.SlaveAddress);
}

TRequestLine TBoardSession::Request(std::uint8_t function, const QString& data) const {
    return MakeRequestLine(SlaveAddress(), function, data);
}

bool TBoardSession::Send(const TExchangeOperation& operation, const TRequestLine& request) {
    if (line_->Send(operation, request, settings_.DefaultTimeout)) return true;
    Report(QStringLiteral("Запрос не отправлен: устройство ещё не ответило на предыдущий"),
           QStringLiteral("ОШИБКА"));
    return false;
}

void TBoardSession::SendUnanswered(std::uint8_t function, const QString& data) {
    line_->SendUnanswered(static_cast<std::uint8_t>(settings_.SlaveAddress), function, data);
}

void TBoardSession::LineEnded(const TLineEnd& end) {
    switch (end.Rule.report) {
        case OutcomeReportKind::orkNone:
            return;
        case OutcomeReportKind::orkEvent:
            Report(end.Rule.message, end.Rule.tag);
            break;
        case OutcomeReportKind::orkLinkError:
            ReportLinkError(end.Detail);
            break;
    }
    view_.LoadControls(true);
}

void TBoardSession::LinkLost() {
    // A tester operation between two of its requests hears of the loss here.
    if (tester_->Active()) tester_->End(TRunEndReason::reFailed, ExchangeOutcome::eoDeviceLost);
}

void TBoardSession::Leftover(const QString& packet) {
    // Received bytes travel as one character each; shown, they are Windows-1251 text.
    view_.TesterStatus(QStringLiteral("Остаток в буфере обмена ") +
                       FromCp1251(packet.left(kLeftoverShown).toLatin1()) + QStringLiteral("..."));
}

}  // namespace torvel
