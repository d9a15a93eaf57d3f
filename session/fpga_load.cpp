#include "session/fpga_load.h"

#include "protocol/requests.h"
#include "session/settings.h"
#include "session/tester_run.h"

namespace torvel {

namespace {

// Status-bar panel 3 while a load runs.
const QString kLoadMarker = QStringLiteral("Torvel");

}  // namespace

TFpgaLoad::TFpgaLoad(TBoardSession& session) : session_(session) {
    operation_.OnReply = [this](const DecodedReply&) { Reply(); };
    operation_.OnFailure = [this](ExchangeOutcome outcome, const DecodedReply&) {
        End(TRunEndReason::reFailed, outcome);
    };
}

TRefusal TFpgaLoad::Start(const std::function<bool()>& confirmChip) {
    TSessionView& view = session_.View();
    const DeviceIdentity& device = session_.Device;
    if (device.LoadNotRequired) {
        session_.Report(QStringLiteral("Загрузка устройства не требуется"));
        return TRefusal::rfNotRequired;
    }
    // Without an image the first record would carry a stale byte and the load would still
    // report success; checked before anything on screen changes.
    if (!ConfigImageReady(session_.ConfigImageLength)) {
        session_.Report(QStringLiteral("Конфигурационный файл ПЛИС не прочитан"));
        return TRefusal::rfNoImage;
    }
    view.TesterStatus(QString());
    session_.Tester().Abandon();
    view.LoadProgress(0);
    session_.FpgaStatusText = ConfigurationStatusText(false);
    view.TesterControls(false);
    view.DeviceChanged();
    if (!session_.Line().DeviceConnected) {
        session_.Report(QStringLiteral("Устройство не подключено"));
        return TRefusal::rfNotConnected;
    }
    if (!ProjectTypeMatchesFpga(session_.Settings().ProjectTypeText, device.FpgaName) &&
        !confirmChip())
        return TRefusal::rfChipDiffers;
    view.LoadControls(false);
    if (!session_.OpenPort()) return TRefusal::rfPort;
    session_.Report(QStringLiteral("Загрузка конфигурации ПЛИС..."));
    view.Panel(3, kLoadMarker);
    const QString preparatory = BeginUpload(state_);
    view.UploadPosition(0);
    rate_.Start(session_.ClockNs(), 0, session_.ConfigImageLength);
    view.UploadSpeed(&rate_);
    running_ = true;
    if (Send(preparatory)) return TRefusal::rfNone;
    return TRefusal::rfBusy;
}

void TFpgaLoad::Stop() {
    if (!running_) return;
    session_.Line().Exchange().Withdraw(operation_);
    End(TRunEndReason::reStopped);
}

bool TFpgaLoad::Send(const QString& data) {
    if (session_.Send(operation_, fnWriteFileRecord, data)) return true;
    session_.View().LoadControls(true);
    End(TRunEndReason::reFailed, ExchangeOutcome::eoWithdrawn);
    return false;
}

void TFpgaLoad::Reply() {
    const UploadStep step = StepUpload(state_, session_.ConfigImage, session_.ConfigImageLength,
                                       session_.Device.PageChunkSize);
    if (step.Completed) {
        End(TRunEndReason::reDone);
        return;
    }
    if (!Send(step.RequestData)) return;
    TSessionView& view = session_.View();
    if (step.ShownPosition) view.UploadPosition(*step.ShownPosition);
    if (step.Progress) view.LoadProgress(*step.Progress);
    // The bytes before the position are on their way.
    if (state_.UploadPosition > 0) rate_.Add(session_.ClockNs(), state_.UploadPosition - 1);
    view.UploadSpeed(&rate_);
}

void TFpgaLoad::End(TRunEndReason reason, ExchangeOutcome outcome) {
    TSessionView& view = session_.View();
    running_ = false;
    state_.UploadStarted = false;
    if (reason == TRunEndReason::reDone) {
        session_.FpgaStatusText = ConfigurationStatusText(true);
        view.DeviceChanged();
        session_.Report(QStringLiteral("Конфигурация ПЛИС загружена"));
        view.Panel(3, QString());
        view.LoadControls(true);
        view.TesterControls(true);
        view.UploadPosition(0);
        view.UploadSpeed(nullptr);
    } else {
        view.UploadSpeed(nullptr);
        // A load that lost its line, or was stopped, cannot go on; after a refused or garbled
        // reply panels 3 and 4 keep showing where it stopped.
        if (reason == TRunEndReason::reStopped || OutcomeText(outcome).deviceSilent)
            view.Panel(3, QString());
        if (reason == TRunEndReason::reStopped) view.LoadControls(true);
    }
    view.RunEnded(TRunKind::rkLoad, reason);
}

}  // namespace torvel
