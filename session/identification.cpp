#include "session/identification.h"

#include "fpga/identity.h"
#include "protocol/requests.h"
#include "session/fpga_load.h"
#include "session/tester_run.h"

namespace torvel {

TIdentification::TIdentification(TBoardSession& session) : session_(session) {
    operation_.OnReply = [this](const DecodedReply& reply) { Reply(reply); };
    // The line has reported how the exchange failed; the identification only ends.
    operation_.OnFailure = [this](ExchangeOutcome, const DecodedReply&) {
        End(TRunEndReason::reFailed);
    };
}

TRefusal TIdentification::Start() {
    TSessionView& view = session_.View();
    view.TesterStatus(QString());
    session_.Tester().Abandon();
    view.LoadProgress(0);
    view.TesterControls(false);
    view.LoadControls(false);
    if (!session_.OpenPort()) return TRefusal::rfPort;
    session_.Report(QStringLiteral("Подключение устройства..."));
    session_.Load().ForgetStart();
    if (session_.Send(operation_, fnReportSlaveId, IdentifyData())) return TRefusal::rfNone;
    view.LoadControls(true);
    return TRefusal::rfBusy;
}

void TIdentification::Reply(const DecodedReply& reply) {
    TSessionView& view = session_.View();
    view.LoadControls(true);
    DeviceIdentity& device = session_.Device;
    device = DecodeIdentity(reply.data);
    session_.Identified = true;
    view.Panel(1, device.BoardName);
    view.Panel(2, device.FpgaName);
    const bool usable = device.BufferAccepted();
    if (!usable) {
        session_.Report(QStringLiteral("Буфер обмена менее 32 байт, продолжение работы невозможно"),
                        QStringLiteral("УСТРОЙСТВО"));
        session_.Line().DeviceConnected = false;
    } else {
        session_.FpgaStatusText = ConfigurationStatusText(device.ConfigurationLoaded);
        view.TesterControls(device.ConfigurationLoaded);
        session_.Report(QStringLiteral("Устройство подключено"));
    }
    view.DeviceChanged();
    End(usable ? TRunEndReason::reDone : TRunEndReason::reFailed);
}

void TIdentification::End(TRunEndReason reason) {
    session_.View().RunEnded(TRunKind::rkIdentification, reason);
}

}  // namespace torvel
