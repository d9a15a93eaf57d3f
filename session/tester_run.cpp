#include "session/tester_run.h"

#include <QTimer>

#include "common/datetime.h"
#include "common/hex.h"
#include "protocol/requests.h"
#include "session/settings.h"
#include "session/tester_texts.h"
#include "tester/input_file.h"
#include "transport/com_port.h"

namespace torvel {

namespace {

// A coil, register or RAM/ROM value is one byte.
constexpr qint64 kLargestWriteValue = 0xFF;

QTimer* RepetitionTimerOf(QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setInterval(1000);
    // Repetitions keep the user's delay to the millisecond, not within a coarse timer's 5 %.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

// Exchanges that end this way leave a line that still carries requests.
bool LineWorks(ExchangeOutcome outcome) {
    using enum ExchangeOutcome;
    return outcome == eoException || outcome == eoBadLrc || outcome == eoBadFrame ||
           outcome == eoTimeout;
}

// A refused or garbled reply says so beside the tester's buttons.
bool ShowsItsTag(ExchangeOutcome outcome) {
    using enum ExchangeOutcome;
    return outcome == eoException || outcome == eoBadLrc || outcome == eoBadFrame;
}

}  // namespace

TTesterRun::TTesterRun(TBoardSession& session)
    : session_(session),
      repetitionTimer_(RepetitionTimerOf(&session)),
      pageTimer_(RepetitionTimerOf(&session)) {
    exchangeOperation_.OnReply = [this](const DecodedReply& reply) { Reply(reply); };
    exchangeOperation_.OnFailure = [this](ExchangeOutcome outcome, const DecodedReply& reply) {
        End(TRunEndReason::reFailed, outcome, reply.exceptionCode);
    };
    QObject::connect(repetitionTimer_, &QTimer::timeout, &session, [this] { RepetitionTick(); });
    QObject::connect(pageTimer_, &QTimer::timeout, &session, [this] { PageTick(); });
}

TTesterRun::~TTesterRun() {
    delete repetitionTimer_;
    delete pageTimer_;
}

// --- starts ---

void TTesterRun::PrepareStart() {
    TSessionView& view = session_.View();
    view.TesterStatus(QString());
    for (QTimer* timer : {repetitionTimer_, pageTimer_}) {
        timer->setInterval(session_.Settings().DelayRepeat);
        timer->stop();
    }
    view.TesterProgress(0);
    view.Panel(3, kTesterMarker);
}

void TTesterRun::RefuseStart(const QString& event, const QString& tag) {
    session_.Report(event, tag);
    session_.View().TesterStatus(kOperatorError);
    session_.View().Panel(3, QString());
}

TRefusal TTesterRun::RefuseAddress() {
    const QString refused = QStringLiteral("Указан недопустимый адрес");
    session_.Report(refused, kTesterTag);
    End(TRunEndReason::reRefused, ExchangeOutcome::eoReply, 0, refused);
    return TRefusal::rfAddress;
}

TRefusal TTesterRun::StartRead(std::int64_t address) {
    const TSettings& settings = session_.Settings();
    PrepareStart();
    const auto shownAddress = static_cast<quint16>(address);
    if (settings.ReadToFile && settings.ResultFileName.isEmpty()) {
        RefuseStart(QStringLiteral("Не указано имя файла для записи результатов чтения"));
        return TRefusal::rfNoFileName;
    }
    if (settings.ReadToFile &&
        !OpenResultFile(ReadHeader(NowText(), shownAddress, settings.AutoRepeat, settings.Stepcount,
                                   settings.OutputFormat == 1))) {
        session_.Report(QStringLiteral("Ошибка при открытии файла ") + settings.ResultFileName,
                        kTesterTag);
        session_.View().Panel(3, QString());
        return TRefusal::rfFileNotOpened;
    }
    Begin(TTesterOperation::toRead, QStringLiteral("Чтение данных из устройства"), shownAddress);
    const std::optional<TTesterRequest> first =
        read_.Start({static_cast<TAddrType>(settings.AddrType), address, settings.AutoRepeat,
                     settings.Stepcount, BoardRanges()});
    if (!first) return RefuseAddress();
    return SendFirst(*first, read_.Pacer()) ? TRefusal::rfNone : TRefusal::rfBusy;
}

TRefusal TTesterRun::StartWrite(std::int64_t address, std::int64_t value) {
    return StartWriteOf(address, value, std::nullopt);
}

TRefusal TTesterRun::StartWrite(std::int64_t address, std::int64_t value,
                                const TInputValues& values) {
    return StartWriteOf(address, value, values);
}

TRefusal TTesterRun::StartWriteOf(std::int64_t address, std::int64_t value,
                                  const std::optional<TInputValues>& given) {
    const TSettings& settings = session_.Settings();
    PrepareStart();
    const bool fromValues = settings.WriteFromFile || given.has_value();
    if (!given && settings.WriteFromFile && settings.InputFileName.isEmpty()) {
        RefuseStart(QStringLiteral("Не указано имя файла для чтения данных"), kOperatorTag);
        return TRefusal::rfNoFileName;
    }
    TInputValues inputs;
    if (given) {
        inputs = *given;
    } else if (settings.WriteFromFile) {
        // Read again at every start: the file may have been edited since.
        std::optional<TInputValues> loaded = LoadInputFile(settings.InputFileName);
        if (!loaded) {
            session_.Report(
                QStringLiteral("Ошибка при чтении файла данных ") + settings.InputFileName,
                QStringLiteral("ВВОД-ВЫВОД"));
            session_.View().TesterStatus(QStringLiteral("ОШИБКА ввода-вывода"));
            session_.View().Panel(3, QString());
            return TRefusal::rfInputFile;
        }
        inputs = std::move(*loaded);
    } else if (value < 0 || value > kLargestWriteValue) {
        // Never cut to its low byte, nor sent as three digits.
        RefuseStart(QStringLiteral("Значение %1 не помещается в байт (0..255)").arg(value));
        return TRefusal::rfValue;
    }
    Begin(TTesterOperation::toWrite, QStringLiteral("Запись данных в устройство"),
          static_cast<quint16>(address));
    const TWriteStart start =
        write_.Start({static_cast<TAddrType>(settings.AddrType), address, settings.AutoRepeat,
                      settings.Stepcount, static_cast<std::uint8_t>(value), fromValues,
                      std::move(inputs), settings.InputFileName, BoardRanges()});
    for (const TTesterEvent& event : start.Events) session_.Report(event.Text, event.Tag);
    if (start.Stepcount) session_.View().StepcountReduced(*start.Stepcount);
    switch (start.Refusal) {
        case TWriteRefusal::wrNone:
            break;
        case TWriteRefusal::wrAddress:
            return RefuseAddress();
        case TWriteRefusal::wrNoValues:
            End(TRunEndReason::reRefused, ExchangeOutcome::eoReply, 0, kOperatorError);
            return TRefusal::rfNoValues;
    }
    if (start.Shown) session_.View().WriteValue(*start.Shown);
    return SendFirst(*start.Request, write_.Pacer()) ? TRefusal::rfNone : TRefusal::rfBusy;
}

TRefusal TTesterRun::StartIrq(std::int64_t firstRegister) {
    const TSettings& settings = session_.Settings();
    TSessionView& view = session_.View();
    // A timer left running by a read that timed out would resend the arming request.
    StopTimers();
    const std::optional<TTesterRequest> arming =
        irq_.Start({settings.IrqNumber, settings.IrqRepeatCount, settings.IrqReadReg, firstRegister,
                    settings.IrqRegCount});
    // A first register above FFh does not fit the request: refused, never cut.
    if (!arming) return RefuseAddress();
    const bool withFile = settings.ReadToFile && settings.IrqReadReg;
    if (withFile && settings.ResultFileName.isEmpty()) {
        RefuseStart(QStringLiteral("Не указано имя файла для записи результатов чтения"));
        return TRefusal::rfNoFileName;
    }
    if (withFile && !OpenResultFile(IrqHeader(NowText(), settings.IrqNumber,
                                              settings.IrqRepeatCount, settings.IrqReturnAddr,
                                              settings.IrqRegCount, settings.OutputFormat == 1))) {
        session_.Report(QStringLiteral("Ошибка при открытии файла ") + settings.ResultFileName,
                        kTesterTag);
        return TRefusal::rfFileNotOpened;
    }
    view.TesterBusy(TTesterOperation::toIrq);
    operation_ = TTesterOperation::toIrq;
    view.Panel(3, kTesterMarker);
    view.TesterProgress(0);
    view.TesterStatus(QStringLiteral("Ожидание прерывания"));
    if (!Send(arming->Function, arming->Data)) return TRefusal::rfBusy;
    // A request the line did not take has ended the mode already.
    if (Active())
        session_.Report(
            QStringLiteral("Запущен оработчик прерывания #") + QString::number(settings.IrqNumber),
            kTesterTag);
    return TRefusal::rfNone;
}

void TTesterRun::Begin(TTesterOperation operation, const QString& what, quint16 address) {
    const TSettings& settings = session_.Settings();
    operation_ = operation;
    const QString started = what + QStringLiteral(" по адресу ") + Hex(address, 5);
    if (settings.AutoRepeat) {
        repetitionTimer_->start();
        session_.Report(started + QStringLiteral(" с повтором ") +
                            QString::number(settings.Stepcount) + QStringLiteral(" раз"),
                        kTesterTag);
    } else {
        session_.Report(started, kTesterTag);
    }
}

bool TTesterRun::SendFirst(const TTesterRequest& request, TPacer pacer) {
    if (pacer == TPacer::Pages) {
        repetitionTimer_->stop();
        pageTimer_->start();
    }
    session_.View().TesterBusy(operation_);
    if (!Send(request.Function, request.Data)) return false;
    // A request the line did not take has ended the operation already.
    if (pacer != TPacer::None && Active()) ShowSpeed(*Repeating(), true);
    return true;
}

TBoardRanges TTesterRun::BoardRanges() const {
    const DeviceIdentity& device = session_.Device;
    return {device.CoilStart,     device.CoilEnd,       device.HoldStart,    device.HoldEnd,
            device.PageOffsetMin, device.PageOffsetMax, device.PageChunkSize};
}

// --- the exchange ---

bool TTesterRun::Send(std::uint8_t function, const QString& data) {
    if (session_.Send(exchangeOperation_, function, data)) return true;
    End(TRunEndReason::reFailed, ExchangeOutcome::eoWithdrawn);
    return false;
}

void TTesterRun::Reply(const DecodedReply& reply) {
    switch (operation_) {
        case TTesterOperation::toRead:
            ReadReply(reply);
            return;
        case TTesterOperation::toWrite:
            WriteReply(reply);
            return;
        case TTesterOperation::toIrq:
            IrqReply(reply);
            return;
        case TTesterOperation::toNone:
            // Nothing of the tester's is under way: the reply changes nothing.
            return;
    }
}

void TTesterRun::ReadReply(const DecodedReply& reply) {
    const TReadStep step = read_.Reply(reply);
    TSessionView& view = session_.View();
    if (step.Malformed) {
        const OutcomeRule rule = OutcomeText(ExchangeOutcome::eoBadFrame);
        session_.Report(rule.message, rule.tag);
        End(TRunEndReason::reFailed, ExchangeOutcome::eoBadFrame);
        return;
    }
    if (step.Shown) view.ReadValue(*step.Shown);
    view.TesterStatus(QStringLiteral("OK"));
    for (const TResultValue& value : step.Values) WriteResultValue(value);
    Follow(step.End);
}

void TTesterRun::WriteReply(const DecodedReply& reply) {
    const TWriteStep step = write_.Reply(reply);
    session_.View().TesterStatus(QStringLiteral("OK"));
    if (step.Shown) session_.View().WriteValue(*step.Shown);
    Follow(step.End);
}

void TTesterRun::IrqReply(const DecodedReply& reply) {
    const TIrqStep step = irq_.Reply(reply);
    TSessionView& view = session_.View();
    switch (step.Kind) {
        case TIrqReplyKind::irAcknowledged:
            // From now on the board reports when it likes; no time-out applies.
            session_.Line().Exchange().Listen(exchangeOperation_, fnInterrupt);
            return;
        case TIrqReplyKind::irDisarmed:
            End(TRunEndReason::reStopped);
            return;
        case TIrqReplyKind::irEvent:
            break;
    }
    if (step.Shown) view.ReadValue(*step.Shown);
    view.TesterStatus(QStringLiteral("OK"));
    view.TesterProgress(step.Progress);
    WriteIrqEvent(step.EventNumber, reply.data);
    if (step.End == TStepEnd::Stop) End(TRunEndReason::reDone);
}

void TTesterRun::Follow(TStepEnd end) {
    switch (end) {
        case TStepEnd::Continue:
            return;
        case TStepEnd::Done:
            End(TRunEndReason::reDone);
            return;
        case TStepEnd::Stop:
            End(TRunEndReason::reStopped);
            return;
    }
}

TRepeatingOperation* TTesterRun::Repeating() {
    switch (operation_) {
        case TTesterOperation::toRead:
            return &read_;
        case TTesterOperation::toWrite:
            return &write_;
        case TTesterOperation::toIrq:
        case TTesterOperation::toNone:
            break;
    }
    return nullptr;
}

void TTesterRun::RepetitionTick() {
    TRepeatingOperation* operation = Repeating();
    if (!operation || session_.Line().Exchange().ReplyExpected()) return;
    const TRepetition next = operation->NextRepetition();
    if (!next.Request) {
        End(TRunEndReason::reDone);
        return;
    }
    // A write that failed has ended the operation already.
    if (!Send(next.Request->Function, next.Request->Data) || !Active()) return;
    session_.View().TesterProgress(next.Progress);
    ShowSpeed(*operation, false);
}

void TTesterRun::PageTick() {
    const TRepeatingOperation* operation = Repeating();
    if (!operation || session_.Line().Exchange().ReplyExpected()) return;
    const TRepetition next = operation->NextPage();
    if (!Send(next.Request->Function, next.Request->Data) || !Active()) return;
    session_.View().TesterProgress(next.Progress);
    ShowSpeed(*operation, false);
}

void TTesterRun::ShowSpeed(const TRepeatingOperation& operation, bool first) {
    const TRequestCount requests = operation.Requests();
    if (first)
        rate_.Start(session_.ClockNs(), requests.Sent, requests.Total);
    else
        rate_.Add(session_.ClockNs(), requests.Sent);
    speedShown_ = true;
    session_.View().TesterSpeed(&rate_);
}

// --- ends ---

bool TTesterRun::Stop() {
    if (!Active() || !(repetitionTimer_->isActive() || pageTimer_->isActive() || IrqArmed()))
        return false;
    // An armed handler ends when the board answers the disarming.
    if (!IrqArmed())
        End(TRunEndReason::reStopped);
    else if (!IrqStopRequested())
        Disarm();
    session_.Report(QStringLiteral("Выполнение текущей операции остановлено"), kOperatorTag);
    return true;
}

void TTesterRun::Disarm() {
    const TTesterRequest disarm = irq_.Disarm();
    Send(disarm.Function, disarm.Data);
}

void TTesterRun::Abandon() {
    if (Active()) End(TRunEndReason::reAbandoned);
}

void TTesterRun::End(TRunEndReason reason, ExchangeOutcome outcome, int exceptionCode,
                     const QString& status) {
    switch (reason) {
        case TRunEndReason::reDone:
            // The interrupt mode's last event ends it as a stop does.
            if (operation_ == TTesterOperation::toIrq)
                StopPath();
            else
                FinishPath();
            break;
        case TRunEndReason::reRefused:
            session_.View().TesterStatus(status);
            FinishPath();
            break;
        case TRunEndReason::reStopped:
            StopPath();
            break;
        case TRunEndReason::reAbandoned:
            AbandonPath();
            break;
        case TRunEndReason::reFailed:
            // A board armed for interrupts would go on reporting to nobody: while the line
            // still carries requests it is disarmed, without waiting for its answer.
            if (LineWorks(outcome) && Active())
                AbandonPath();
            else
                StopPath();
            if (ShowsItsTag(outcome))
                session_.View().TesterStatus(OutcomeText(outcome, exceptionCode).tag);
            break;
    }
    if (speedShown_) {
        speedShown_ = false;
        session_.View().TesterSpeed(nullptr);
    }
    session_.View().RunEnded(TRunKind::rkTester, reason);
}

void TTesterRun::StopTimers() {
    repetitionTimer_->stop();
    pageTimer_->stop();
}

// Over with its reply or its last repetition: the status stays on screen.
void TTesterRun::FinishPath() {
    StopTimers();
    operation_ = TTesterOperation::toNone;
    CloseResultFile();
    session_.View().TesterControls(true);
}

void TTesterRun::StopPath() {
    TSessionView& view = session_.View();
    // A reply still on its way answers nothing any more.
    session_.Line().Exchange().Withdraw(exchangeOperation_);
    operation_ = TTesterOperation::toNone;
    StopTimers();
    view.TesterProgress(0);
    CloseResultFile();
    view.TesterControls(true);
    view.TesterStatus(QString());
}

void TTesterRun::AbandonPath() {
    // The arming may have reached the board even when its acknowledgement has not come back.
    const bool disarm = operation_ == TTesterOperation::toIrq;
    StopPath();
    if (!disarm || !session_.Line().Port().Connected()) return;
    const TTesterRequest request = irq_.DisarmRequest();
    session_.SendUnanswered(request.Function, request.Data);
}

// --- the result file ---

bool TTesterRun::OpenResultFile(const QString& header) {
    const TSettings& settings = session_.Settings();
    if (!resultFile_.Open(settings.ResultFileName, settings.AppendOrCreate)) return false;
    resultLayout_.emplace(
        TResultFormat{settings.OutputFormat == 1, settings.AddStep, settings.NumberOfColumns});
    if (resultFile_.Write(header)) return true;
    resultFile_.Close();
    return false;
}

void TTesterRun::WriteResultValue(const TResultValue& value) {
    session_.View().ResultValue(value);
    if (!resultFile_.IsOpen() || !resultLayout_) return;
    resultFile_.Write(resultLayout_->FormatResultValue(value.Text, value.Base, value.Ordinal));
}

void TTesterRun::WriteIrqEvent(int eventNumber, const QString& payload) {
    session_.View().IrqEvent(eventNumber, payload);
    if (!resultFile_.IsOpen() || !resultLayout_) return;
    resultFile_.Write(FormatIrqEvent(eventNumber, payload, resultLayout_->Format()));
}

void TTesterRun::CloseResultFile() {
    if (!resultFile_.IsOpen()) return;
    resultLayout_.reset();
    if (!resultFile_.Close())
        session_.Report(
            QStringLiteral("Ошибка при сохранении файла ") + session_.Settings().ResultFileName,
            kTesterTag);
}

}  // namespace torvel
