#include "cli/driver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <vector>

#include "cli/board_job.h"
#include "cli/interruption.h"
#include "common/datetime.h"
#include "session/journal.h"

namespace torvel::cli {

namespace {

void SayOnStderr(QIODevice& err, const QString& text) {
    err.write((QStringLiteral("torvel-cli: ") + text + u'\n').toUtf8());
}

// The journal of the current folder under the window's one-session lock, or nothing when
// it cannot be had (said on stderr; the run goes on without it).
std::unique_ptr<TJournal> OpenJournal(QIODevice& err) {
    auto journal = std::make_unique<TJournal>();
    const TJournal::TOpening opening = journal->Open();
    if (!opening.failure.isEmpty()) {
        SayOnStderr(err, opening.failure);
        return nullptr;
    }
    if (opening.created)
        journal->Append(NowText(), QStringLiteral("Создан журнал событий TORVEL.LOG"), QString());
    return journal;
}

}  // namespace

ExitCode RunBoards(const CliOptions& options, Output& output, QIODevice& err) {
    std::unique_ptr<TJournal> journal = options.journal ? OpenJournal(err) : nullptr;
    const QStringList ports = options.ports.isEmpty() ? QStringList{QString()} : options.ports;
    // With several boards the journal's entries name their port.
    const bool named = ports.size() > 1;
    const auto report = [&](const EventRecord& event) {
        if (!journal) return;
        const QString text = named ? event.port + QStringLiteral(": ") + event.text : event.text;
        const QString failure = journal->Append(NowText(), text, event.tag);
        if (!failure.isEmpty()) SayOnStderr(err, failure);
    };

    QEventLoop loop;
    std::vector<std::unique_ptr<BoardJob>> jobs;
    int running = static_cast<int>(ports.size());
    const auto finished = [&] {
        if (--running == 0) loop.quit();
    };
    for (const QString& port : ports)
        jobs.push_back(std::make_unique<BoardJob>(options, port, output, report, finished));

    Interruption interruption;
    QObject::connect(&interruption, &Interruption::StopRequested, &loop, [&] {
        for (const auto& job : jobs) job->Interrupt();
    });
    // Started from the loop, so that a board that ends at once is counted there.
    QTimer::singleShot(0, &loop, [&] {
        for (const auto& job : jobs) job->Start();
    });
    loop.exec();

    std::vector<SummaryRow> rows;
    for (const auto& job : jobs) rows.push_back(job->Row());
    output.Summary(rows);
    if (journal) {
        const QString failure = journal->Save();
        if (!failure.isEmpty()) SayOnStderr(err, failure);
    }
    const ExitCode status = RunExitCode(rows);
    return interruption.Requested() ? WorseExitCode(status, kExitInterrupted) : status;
}

}  // namespace torvel::cli
