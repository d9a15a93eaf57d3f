#include "session/fpga_load.h"

#include <QTimer>
#include <algorithm>

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
    if (!Send(session_.Request(fnWriteFileRecord, preparatory))) return TRefusal::rfBusy;
    if (running_) FollowUpSoon();
    return TRefusal::rfNone;
}

void TFpgaLoad::Stop() {
    if (!running_) return;
    session_.Line().Exchange().Withdraw(operation_);
    End(TRunEndReason::reStopped);
}

bool TFpgaLoad::Send(const TRequestLine& request) {
    if (session_.Send(operation_, request)) return true;
    session_.View().LoadControls(true);
    End(TRunEndReason::reFailed, ExchangeOutcome::eoWithdrawn);
    return false;
}

void TFpgaLoad::MakeNextStep() {
    const quint16 length = session_.ConfigImageLength;
    const int chunkSize = session_.Device.PageChunkSize;
    next_.from = state_;
    next_.length = length;
    next_.chunkSize = chunkSize;
    next_.state = state_;
    next_.step = StepUpload(next_.state, session_.ConfigImage, length, chunkSize);
    // The first byte goes alone, the rest from where the last record ended; the end record
    // and the completion carry none.
    next_.first = state_.UploadStarted ? std::max<std::uint16_t>(state_.UploadPosition, 1) : 1;
    const int carried = next_.step.Completed || next_.state.UploadEndSent
                            ? 0
                            : std::max(0, next_.state.UploadPosition - next_.first);
    next_.bytes = ImageBytes(next_.first, carried).toByteArray();
    if (!next_.step.Completed)
        next_.request = session_.Request(fnWriteFileRecord, next_.step.RequestData);
    next_.ready = true;
}

bool TFpgaLoad::NextStepStands() const {
    // A file read, a board identified anew or the settings applied while the reply was on
    // its way change what the next record is.
    if (!next_.ready || next_.from != state_ || next_.length != session_.ConfigImageLength ||
        next_.chunkSize != session_.Device.PageChunkSize)
        return false;
    if (!next_.step.Completed && next_.request.address != session_.SlaveAddress()) return false;
    return next_.bytes == ImageBytes(next_.first, static_cast<int>(next_.bytes.size()));
}

QByteArrayView TFpgaLoad::ImageBytes(std::uint16_t first, int count) const {
    if (count <= 0) return {};
    return QByteArrayView(session_.ConfigImage.data() + first - 1, count);
}

void TFpgaLoad::Reply() {
    if (!NextStepStands()) MakeNextStep();
    next_.ready = false;
    state_ = next_.state;
    const UploadStep& step = next_.step;
    if (step.Completed) {
        End(TRunEndReason::reDone);
        return;
    }
    // Shown before the next request at the latest: each record's position is there when the
    // next one goes out, however fast the replies come.
    ShowSent();
    if (!Send(next_.request)) return;
    // The bytes before the position are on their way.
    if (state_.UploadPosition > 0) rate_.Add(session_.ClockNs(), state_.UploadPosition - 1);
    if (step.ShownPosition) sent_.ShownPosition = step.ShownPosition;
    if (step.Progress) sent_.Progress = step.Progress;
    if (!running_) {
        // A write that failed has ended the load: shown at once, as it stood.
        ShowSent();
        session_.View().UploadSpeed(&rate_);
        return;
    }
    FollowUpSoon();
}

void TFpgaLoad::FollowUpSoon() {
    // A moment later: on this processor the work would keep the board from reading the
    // request just written. A reply that comes first makes the next step itself.
    if (followUpQueued_) return;
    followUpQueued_ = true;
    QTimer::singleShot(kFollowUpMs, Qt::PreciseTimer, &session_, [this] {
        followUpQueued_ = false;
        if (!running_) return;
        ShowSent();
        session_.View().UploadSpeed(&rate_);
        if (!next_.ready) MakeNextStep();
    });
}

void TFpgaLoad::ShowSent() {
    TSessionView& view = session_.View();
    if (sent_.ShownPosition) view.UploadPosition(*sent_.ShownPosition);
    if (sent_.Progress) view.LoadProgress(*sent_.Progress);
    sent_ = {};
}

void TFpgaLoad::End(TRunEndReason reason, ExchangeOutcome outcome) {
    TSessionView& view = session_.View();
    // The last record sent is shown first, as it was before anything of the end.
    ShowSent();
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
