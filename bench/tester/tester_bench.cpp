// The tester through the window against torvel-board: a register read of many steps at its
// delay (the period kept, no step sent over a pending reply), RAM/ROM reads and writes against
// the sum of their delays and their wire time, the GUI thread's longest block, the resident
// memory over a long run, and interrupt events: from the board's write of each event to the
// result field showing it, and whether any was lost. Figures only; it never fails on a slow
// machine.
//   tester_bench [--steps N]      (register steps of the first run; default 10000)
//   tester_bench --events N       (the interrupt run alone, N events; default 10000)

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "bench/support/gui_thread_probe.h"
#include "support/board_process.h"
#include "transport/com_port.h"

namespace {

using torvel::bench::Clock;
using torvel::bench::Millis;
using torvel::bench::Percentile;
using torvel::bench::RunUntil;

// Resident memory of this process in kB.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// What one run measured.
struct Figures {
    bool completed = false;
    double totalMs = 0;
    int requests = 0;
    qint64 wireCharacters = 0;
    // The first and the last request: the run's own memory must not grow with its length.
    Clock::time_point firstWrite{};
    Clock::time_point lastWrite{};
    int sentOverPendingReply = 0;
    double longestGuiGapMs = 0;
    double longestBusyMs = 0;
    long rssAfter1000Kb = -1;
    long rssAtEndKb = -1;
};

struct Run {
    const char* name;
    QStringList boardOptions;
    int addressType;  // 1 register, 2 RAM/ROM
    int address;
    int stepcount;
    int delayMs;         // below the field's 10 ms only in the memory run
    bool write = false;  // a write of `stepcount` values from an input file
};

// Starts the board with the configured flag, connects it and waits for the identification.
bool ConnectBoard(TForm1& form, const torvel::test::BoardProcess& board) {
    if (!board.started()) {
        std::fprintf(stderr, "cannot start the board: %s\n", qPrintable(board.error()));
        return false;
    }
    form.ComPort1->SetPort(board.linkPath());
    form.Button3Click();
    if (!RunUntil([&] { return !form.ReplyExpected(); }, 30000) || !form.DeviceConnected) {
        std::fprintf(stderr, "the board did not identify\n");
        return false;
    }
    return true;
}

// An input file of `count` values, 16 a line.
QString WriteInputFile(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QByteArray::number((i * 7) & 0xFF, 16) + (i % 16 == 15 ? "\r\n" : " ");
    const QString path = QDir::current().filePath(QStringLiteral("input.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return QString();
    return path;
}

Figures Measure(const Run& run) {
    Figures figures;
    torvel::test::BoardProcess board(
        run.boardOptions + QStringList{QStringLiteral("--config-flag"), QStringLiteral("FF")});
    TForm1 form;
    if (!ConnectBoard(form, board)) return figures;
    const char* types[] = {"RadioGroup1Button0", "RadioGroup1Button1", "RadioGroup1Button2"};
    form.findChild<QRadioButton*>(QString::fromLatin1(types[run.addressType]))->click();
    form.findChild<TMultiBaseEdit*>(QStringLiteral("MEdit1"))->SetValue(run.address);
    form.findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(true);
    auto* steps = form.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));
    steps->setMaximum(run.stepcount);
    steps->setValue(run.stepcount);
    auto* delay = form.findChild<QSpinBox*>(QStringLiteral("SpinEdit4"));
    delay->setMinimum(0);
    delay->setValue(run.delayMs);
    if (run.write) {
        form.InputFileName = WriteInputFile(run.stepcount);
        form.findChild<QCheckBox*>(QStringLiteral("CheckBox5"))->setChecked(true);
    }

    int replies = 0;
    torvel::TComLink line;
    line.OnTxBuf = [&](torvel::TCustomComPort&, const QByteArray& bytes) {
        figures.lastWrite = Clock::now();
        if (figures.requests == 0) figures.firstWrite = figures.lastWrite;
        if (figures.requests > replies) ++figures.sentOverPendingReply;
        ++figures.requests;
        figures.wireCharacters += bytes.size();
        if (figures.requests == 1000) figures.rssAfter1000Kb = ResidentKb();
    };
    line.OnRxBuf = [&](torvel::TCustomComPort&, const QByteArray& bytes) {
        figures.wireCharacters += bytes.size();
        replies += static_cast<int>(bytes.count('\n'));
    };
    form.ComPort1->AddListener(&line);

    torvel::bench::GuiThreadProbe probe;
    const Clock::time_point start = Clock::now();
    if (run.write)
        form.Button8Click();
    else
        form.Button7Click();
    figures.completed = RunUntil([&] { return !form.TesterActive(); }, 3'600'000);
    figures.totalMs = Millis(Clock::now() - start);
    figures.rssAtEndKb = ResidentKb();
    figures.longestGuiGapMs = probe.LongestGapMs();
    figures.longestBusyMs = probe.LongestBusyMs();
    form.ComPort1->RemoveListener(&line);
    form.ComPort1->ClosePort();
    return figures;
}

void Print(const Run& run, const Figures& f, unsigned baud) {
    std::printf("%s: %s, %d requests, %.1f ms\n", run.name,
                f.completed ? "completed" : "NOT COMPLETED", f.requests, f.totalMs);
    if (f.requests > 1) {
        const double mean = Millis(f.lastWrite - f.firstWrite) / (f.requests - 1);
        std::printf("  mean period between requests %.3f ms (delay %d ms: %+.2f %%)\n", mean,
                    run.delayMs, run.delayMs ? 100.0 * (mean - run.delayMs) / run.delayMs : 0.0);
    }
    std::printf("  requests sent while a reply was pending: %d\n", f.sentOverPendingReply);
    if (baud) {
        const double wireMs = static_cast<double>(f.wireCharacters) * 10.0 * 1000.0 / baud;
        const double delays = static_cast<double>(f.requests - 1) * run.delayMs;
        std::printf("  wire time %.1f ms, delays %.1f ms; total = delays + wire %+.1f ms\n", wireMs,
                    delays, f.totalMs - delays - wireMs);
    }
    std::printf("  longest GUI-thread gap of a 5 ms timer %.2f ms; longest busy spell %.2f ms\n",
                f.longestGuiGapMs, f.longestBusyMs);
    if (f.rssAfter1000Kb > 0)
        std::printf("  resident memory after 1,000 requests %ld kB, at the end %ld kB (%+ld kB)\n",
                    f.rssAfter1000Kb, f.rssAtEndKb, f.rssAtEndKb - f.rssAfter1000Kb);
}

// Interrupt events at the board's interval: each from the moment the board wrote its last byte
// (noted by the board on the same steady clock) to the moment the result field showed it.
void MeasureEvents(int events, int intervalMs) {
    torvel::test::BoardProcess board({QStringLiteral("--config-flag"), QStringLiteral("FF"),
                                      QStringLiteral("--irq-interval"), QString::number(intervalMs),
                                      QStringLiteral("--event-times"),
                                      QDir::current().filePath(QStringLiteral("event-times"))});
    TForm1 form;
    if (!ConnectBoard(form, board)) return;
    auto* count = form.findChild<QSpinBox*>(QStringLiteral("SpinEdit6"));
    count->setMaximum(events);
    count->setValue(events);
    form.findChild<QCheckBox*>(QStringLiteral("CheckBox3"))->setChecked(true);
    form.findChild<TMultiBaseEdit*>(QStringLiteral("MEdit4"))->SetValue(0x10);
    form.findChild<QSpinBox*>(QStringLiteral("SpinEdit7"))->setValue(2);

    // The field shows the same register value every time: it is emptied after each showing,
    // so that the next one changes its text.
    auto* shown = form.findChild<TMultiBaseEdit*>(QStringLiteral("MEdit2"));
    std::vector<qint64> shownAt;
    shownAt.reserve(static_cast<std::size_t>(events));
    QObject::connect(shown, &QLineEdit::textChanged, [&](const QString& text) {
        if (text.isEmpty() || !form.IrqArmed()) return;
        shownAt.push_back(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
                .count());
        const QSignalBlocker quiet(shown);
        shown->clear();
    });

    torvel::bench::GuiThreadProbe probe;
    const Clock::time_point start = Clock::now();
    form.Button13Click();
    const bool completed =
        RunUntil([&] { return !form.TesterActive(); }, events * intervalMs * 10 + 60000);
    const double totalMs = Millis(Clock::now() - start);
    board.Stop();

    QFile file(QDir::current().filePath(QStringLiteral("event-times")));
    std::vector<qint64> writtenAt;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty()) writtenAt.push_back(line.toLongLong());
    std::vector<double> latencyUs;
    const std::size_t paired = std::min(writtenAt.size(), shownAt.size());
    for (std::size_t i = 0; i < paired; ++i)
        latencyUs.push_back(static_cast<double>(shownAt[i] - writtenAt[i]) / 1000.0);

    std::printf("interrupt events, %d asked, interval %d ms: %s, %.1f ms\n", events, intervalMs,
                completed ? "completed" : "NOT COMPLETED", totalMs);
    std::printf("  events written by the board %zu, shown by the window %zu, lost %lld\n",
                writtenAt.size(), shownAt.size(),
                static_cast<long long>(writtenAt.size()) - static_cast<long long>(shownAt.size()));
    std::printf(
        "  board's write to MEdit2 updated: median %.1f us, 99th percentile %.1f us, "
        "longest %.1f us\n",
        Percentile(latencyUs, 0.5), Percentile(latencyUs, 0.99),
        latencyUs.empty() ? 0.0 : *std::max_element(latencyUs.begin(), latencyUs.end()));
    std::printf("  longest GUI-thread gap of a 5 ms timer %.2f ms; longest busy spell %.2f ms\n",
                probe.LongestGapMs(), probe.LongestBusyMs());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int steps = 10000;
    if (argc > 2 && std::strcmp(argv[1], "--steps") == 0) steps = std::atoi(argv[2]);

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) return 1;
    torvel::DialogSeam::setUnattendedByDefault(true);
    if (argc > 1 && std::strcmp(argv[1], "--events") == 0) {
        MeasureEvents(argc > 2 ? std::atoi(argv[2]) : 10000, 10);
        return 0;
    }

    const QStringList at115200{QStringLiteral("--baud"), QStringLiteral("115200")};
    const Run runs[] = {
        {"register read, 115200 bit/s, delay 10 ms", at115200, 1, 0x10, steps, 10},
        {"RAM/ROM read of 10,000 bytes, chunk 115, 115200 bit/s, delay 10 ms",
         at115200 + QStringList{QStringLiteral("--buffer"), QStringLiteral("255")}, 2, 0, 10000,
         10},
        {"RAM/ROM write of 10,000 bytes from a file, chunk 115, 115200 bit/s, delay 10 ms",
         at115200 + QStringList{QStringLiteral("--buffer"), QStringLiteral("255")}, 2, 0, 10000, 10,
         true},
        {"register read of 100,000 steps, unpaced, no delay (memory)", {}, 1, 0x10, 100000, 0},
    };
    for (const Run& run : runs) Print(run, Measure(run), run.boardOptions.isEmpty() ? 0 : 115200);
    MeasureEvents(10000, 10);
    return 0;
}
