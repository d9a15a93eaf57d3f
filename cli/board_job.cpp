#include "cli/board_job.h"

#include <QDateTime>
#include <QFileInfo>

#include "session/fpga_load.h"
#include "session/identification.h"
#include "session/project_file.h"
#include "session/settings_file.h"
#include "session/tester_run.h"
#include "transport/com_port.h"

namespace torvel::cli {

namespace {

const QString kConfigError = QStringLiteral("Ошибка конфигурационного файла: \"%1\"");

// The command line's options over the settings the file gave; an option always wins.
void ApplyOptions(const CliOptions& options, TSettings& settings, TComPort& port) {
    const LineOptions& line = options.line;
    if (line.baudRate) port.SetBaudRate(*line.baudRate);
    if (line.customBaudRate) port.SetCustomBaudRate(*line.customBaudRate);
    if (line.dataBits) port.SetDataBits(*line.dataBits);
    if (line.stopBits) port.SetStopBits(*line.stopBits);
    if (line.parity) port.Parity().SetBits(*line.parity);
    if (line.flowControl) port.FlowControl().SetFlowControl(*line.flowControl);
    if (options.slaveAddress) settings.SlaveAddress = *options.slaveAddress;
    if (options.timeoutSeconds) settings.DefaultTimeout = *options.timeoutSeconds;
    const ResultFileOptions& file = options.resultFile;
    if (file.appendOrCreate) settings.AppendOrCreate = *file.appendOrCreate;
    if (file.addStep) settings.AddStep = *file.addStep;
    if (file.columns) settings.NumberOfColumns = *file.columns;
    if (file.decimal) settings.OutputFormat = *file.decimal ? 1 : 0;
}

// The tester's fields as the window's tester tab would hold them for this command.
void ApplyTesterOptions(const CliOptions& options, TSettings& settings) {
    const TesterOptions& tester = options.tester;
    settings.AddrType = static_cast<quint16>(tester.target);
    // Several values on the command line are written in turn, one a repetition or a byte.
    const int given = static_cast<int>(tester.values.size());
    const int times = tester.target == atPage ? tester.count.value_or(given > 1 ? given : 1)
                                              : tester.repeat.value_or(given > 1 ? given : 1);
    settings.AutoRepeat = times > 1;
    if (settings.AutoRepeat) settings.Stepcount = times;
    if (tester.delayMs) settings.DelayRepeat = *tester.delayMs;
    settings.ReadToFile = !tester.outFile.isEmpty();
    if (settings.ReadToFile) settings.ResultFileName = tester.outFile;
    settings.WriteFromFile = !tester.fromFile.isEmpty();
    if (settings.WriteFromFile) settings.InputFileName = tester.fromFile;
}

void ApplyIrqOptions(const CliOptions& options, TSettings& settings) {
    const IrqOptions& irq = options.irq;
    settings.IrqNumber = static_cast<quint8>(irq.line);
    if (irq.events) settings.IrqRepeatCount = static_cast<quint16>(*irq.events);
    settings.IrqReadReg = irq.firstRegister.has_value();
    if (irq.firstRegister) settings.IrqReturnAddr = *irq.firstRegister;
    if (irq.registerCount) settings.IrqRegCount = static_cast<quint16>(*irq.registerCount);
    settings.ReadToFile = !irq.outFile.isEmpty();
    if (settings.ReadToFile) settings.ResultFileName = irq.outFile;
}

}  // namespace

BoardJob::BoardJob(const CliOptions& options, const QString& port, Output& output,
                   std::function<void(const EventRecord&)> report, std::function<void()> finished)
    : options_(options),
      output_(output),
      report_(std::move(report)),
      finished_(std::move(finished)),
      session_(settings_, *this) {
    TComPort& comPort = session_.Line().Port();
    // The settings file of the current folder, read by the window's own code; never written.
    for (const QString& error : TSettingsFile().Load(comPort, settings_))
        Event({kConfigError.arg(error), QStringLiteral("ОШИБКА")});
    if (!port.isEmpty()) comPort.SetPort(port);
    ApplyOptions(options_, settings_, comPort);
    port_ = comPort.Port();
    row_.port = port_;
}

void BoardJob::Start() {
    if (options_.command == Command::Load) {
        ChooseProjectFile(session_, settings_, options_.load.file);
        output_.ConfigFile(port_, options_.load.file, settings_.ProjectTypeText,
                           settings_.ProjectSizeText);
        // A file that gives no image is refused before anything is sent; the load says so.
        if (session_.ConfigImageLength == 0) {
            session_.Load().Start([] { return false; });
            Finish(Outcome::LocalFailure);
            return;
        }
    }
    Identify(Step::Identifying);
}

void BoardJob::Identify(Step step) {
    step_ = step;
    // The board's time runs from its first request.
    if (!clock_.isValid()) clock_.start();
    const TRefusal refusal = session_.Identification().Start();
    if (refusal != TRefusal::rfNone) Refused(refusal);
}

void BoardJob::Interrupt() {
    interrupted_ = true;
    TTesterRun& tester = session_.Tester();
    switch (step_) {
        case Step::Loading:
            session_.Load().Stop();
            return;
        case Step::Testing:
            // An arming not yet acknowledged may have reached the board: disarmed unasked.
            if (tester.Operation() == TTesterOperation::toIrq && !tester.IrqArmed())
                tester.Abandon();
            else
                tester.Stop();
            return;
        case Step::Idle:
            Finish(Outcome::Interrupted);
            return;
        case Step::Identifying:
        case Step::Verifying:
        case Step::Done:
            // An identification is one exchange: it ends by itself, and the run with it.
            return;
    }
}

void BoardJob::RunEnded(TRunKind kind, TRunEndReason reason) {
    // A start that could not go has ended its run already; Refused says what it means.
    if (step_ == Step::Done) return;
    Ended(kind, reason);
}

void BoardJob::Ended(TRunKind kind, TRunEndReason reason) {
    const bool done = reason == TRunEndReason::reDone;
    switch (step_) {
        case Step::Identifying:
            if (kind != TRunKind::rkIdentification) return;
            if (!done) return Finish(Outcome::BoardFailure);
            if (interrupted_) return Finish(Outcome::Interrupted);
            return Identified();
        case Step::Loading:
            if (kind != TRunKind::rkLoad) return;
            if (reason == TRunEndReason::reStopped) return Finish(Outcome::Interrupted);
            if (!done) return Finish(Outcome::BoardFailure);
            row_.bytes = session_.ConfigImageLength;
            output_.Progress(port_, row_.bytes, row_.bytes);
            if (options_.load.noVerify) return Finish(Outcome::Ok);
            return Identify(Step::Verifying);
        case Step::Verifying:
            if (kind != TRunKind::rkIdentification) return;
            if (!done) return Finish(Outcome::BoardFailure);
            output_.Identity(port_, session_.Device);
            if (!session_.Device.ConfigurationLoaded)
                return Fail(Outcome::BoardFailure,
                            QStringLiteral("Устройство не подтвердило загрузку конфигурации ПЛИС"));
            return Finish(Outcome::Ok);
        case Step::Testing:
            if (kind != TRunKind::rkTester) return;
            if (interrupted_) return Finish(Outcome::Interrupted);
            if (done || reason == TRunEndReason::reStopped) return Finish(Outcome::Ok);
            return Finish(reason == TRunEndReason::reRefused ? Outcome::LocalFailure
                                                             : Outcome::BoardFailure);
        case Step::Idle:
        case Step::Done:
            return;
    }
}

void BoardJob::Identified() {
    output_.Identity(port_, session_.Device);
    switch (options_.command) {
        case Command::Load:
            return StartLoad();
        case Command::Read:
        case Command::Write:
        case Command::Irq:
            return StartTester();
        default:
            return Finish(Outcome::Ok);
    }
}

void BoardJob::StartLoad() {
    step_ = Step::Loading;
    const bool force = options_.load.force;
    const TRefusal refusal = session_.Load().Start([force] { return force; });
    if (refusal == TRefusal::rfNotRequired) return Finish(Outcome::Ok);
    if (refusal == TRefusal::rfChipDiffers)
        return Fail(Outcome::BoardFailure,
                    QStringLiteral("Выбранный файл не совпадает по типу с установленной ПЛИС "
                                   "(--force загружает его всё же)"));
    if (refusal != TRefusal::rfNone) Refused(refusal);
}

void BoardJob::StartTester() {
    step_ = Step::Testing;
    TTesterRun& tester = session_.Tester();
    const TesterOptions& options = options_.tester;
    TRefusal refusal = TRefusal::rfNone;
    switch (options_.command) {
        case Command::Read:
            ApplyTesterOptions(options_, settings_);
            refusal = tester.StartRead(options.address);
            break;
        case Command::Write: {
            ApplyTesterOptions(options_, settings_);
            const bool several = options.values.size() > 1;
            const std::int64_t first = options.values.empty() ? 0 : options.values.front();
            refusal = several ? tester.StartWrite(options.address, first, options.values)
                              : tester.StartWrite(options.address, first);
            break;
        }
        default:
            ApplyIrqOptions(options_, settings_);
            refusal = tester.StartIrq(options_.irq.firstRegister.value_or(0));
            break;
    }
    if (refusal != TRefusal::rfNone) Refused(refusal);
}

void BoardJob::Refused(TRefusal refusal) {
    switch (refusal) {
        case TRefusal::rfNone:
            return;
        case TRefusal::rfPort:
        case TRefusal::rfNoImage:
        case TRefusal::rfNoFileName:
        case TRefusal::rfFileNotOpened:
        case TRefusal::rfInputFile:
        case TRefusal::rfValue:
        case TRefusal::rfAddress:
        case TRefusal::rfNoValues:
            return Finish(Outcome::LocalFailure);
        case TRefusal::rfBusy:
        case TRefusal::rfNotConnected:
        case TRefusal::rfNotRequired:
        case TRefusal::rfChipDiffers:
            return Finish(Outcome::BoardFailure);
    }
}

void BoardJob::Fail(Outcome outcome, const QString& text) {
    Event({text, QStringLiteral("ОШИБКА")});
    Finish(outcome);
}

void BoardJob::Finish(Outcome outcome) {
    if (step_ == Step::Done) return;
    step_ = Step::Done;
    row_.outcome = outcome;
    row_.elapsedNs = clock_.isValid() ? clock_.nsecsElapsed() : 0;
    if (outcome != Outcome::Ok) row_.reason = lastError_;
    // Nothing more goes to this board; its port is free for the next program.
    session_.Tester().Abandon();
    session_.Line().CloseQuietly();
    if (finished_) finished_();
}

void BoardJob::Event(const TSessionEvent& event) {
    const EventRecord record{port_, QDateTime::currentDateTime(), event.Text, event.Tag};
    lastError_ = event.Tag.isEmpty() ? event.Text : event.Tag + QStringLiteral(": ") + event.Text;
    output_.Event(record);
    if (report_) report_(record);
}

void BoardJob::UploadPosition(quint16 position) {
    // The bytes before the position are on their way; 0 is no position (start and end).
    if (position > 0) output_.Progress(port_, position - 1, session_.ConfigImageLength);
}

void BoardJob::ResultValue(const TResultValue& value) {
    ++row_.bytes;
    output_.Value(port_, value);
}

void BoardJob::IrqEvent(int number, const QString& payload) {
    output_.IrqEvent(port_, number, payload);
}

}  // namespace torvel::cli
