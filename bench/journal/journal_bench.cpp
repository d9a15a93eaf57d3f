// Journal figures: load and save of a million entries, the viewer opening on them, and the
// window shown over a journal of 100,000 entries. Prints times; never fails.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/dialog_seam.h"
#include "app/fo_log.h"
#include "app/form1.h"
#include "session/log_file.h"

namespace {

constexpr int kLargeJournal = 1'000'000;
constexpr int kStartupJournal = 100'000;

torvel::TLogFile MakeJournal(int entries) {
    const QString titles[] = {
        QStringLiteral("Начало сеанса"), QStringLiteral("Ошибка обмена с устройством"),
        QStringLiteral("Конфигурация ПЛИС загружена"), QStringLiteral("Конец сеанса")};
    const QString tags[] = {QString(), QStringLiteral("ТАЙМАУТ"), QString(), QString()};
    torvel::TLogFile log;
    for (int i = 0; i < entries; ++i)
        log.AppendEntry(QStringLiteral("05.12.2026 9:07:%1").arg(i % 60, 2, 10, QLatin1Char('0')),
                        titles[i % 4], tags[i % 4]);
    return log;
}

QTemporaryDir& Scratch() {
    static QTemporaryDir dir;
    return dir;
}

QString LargeJournalFile() {
    static const QString name = [] {
        const QString path = Scratch().filePath(QStringLiteral("large.log"));
        MakeJournal(kLargeJournal).SaveJournal(path);
        return path;
    }();
    return name;
}

void BM_LoadJournal(benchmark::State& state) {
    const QString file = LargeJournalFile();
    for (auto _ : state) {
        torvel::TLogFile log;
        benchmark::DoNotOptimize(log.LoadJournal(file));
        if (log.Count() != kLargeJournal) state.SkipWithError("wrong entry count");
    }
    state.counters["entries"] = kLargeJournal;
}
BENCHMARK(BM_LoadJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveJournal(benchmark::State& state) {
    const torvel::TLogFile log = MakeJournal(kLargeJournal);
    const QString file = Scratch().filePath(QStringLiteral("saved.log"));
    for (auto _ : state) benchmark::DoNotOptimize(log.SaveJournal(file));
    state.counters["entries"] = kLargeJournal;
}
BENCHMARK(BM_SaveJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenViewer(benchmark::State& state) {
    const torvel::TLogFile log = MakeJournal(kLargeJournal);
    torvel::DialogSeam dialogs(nullptr);
    for (auto _ : state) {
        auto viewer = std::make_unique<torvel::TfoLog>(log.Entries(), dialogs);
        viewer->show();
        if (!QTest::qWaitForWindowExposed(viewer.get())) state.SkipWithError("viewer not shown");
        QApplication::processEvents();
        state.PauseTiming();
        viewer.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = kLargeJournal;
}
BENCHMARK(BM_OpenViewer)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StartupToShown(benchmark::State& state) {
    const QString previous = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    torvel::DialogSeam::setUnattendedByDefault(true);
    const torvel::TLogFile journal = MakeJournal(kStartupJournal);
    for (auto _ : state) {
        state.PauseTiming();
        journal.SaveJournal(QStringLiteral("TORVEL.LOG"));
        state.ResumeTiming();
        auto form = std::make_unique<TForm1>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) state.SkipWithError("window not shown");
        if (form->Log1.Count() <= kStartupJournal) state.SkipWithError("journal not loaded");
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    QDir::setCurrent(previous);
    state.counters["entries"] = kStartupJournal;
}
BENCHMARK(BM_StartupToShown)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
