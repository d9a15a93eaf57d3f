// The tester's repeated reads through the window against torvel-board: a register read of
// many steps at its delay (the period kept, no step sent over a pending reply), a RAM/ROM run
// against the sum of its delays and its wire time, the GUI thread's longest block, and the
// resident memory over a long run. Figures only; it never fails on a slow machine.
//   tester_bench [--steps N]      (register steps of the first run; default 10000)

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QRadioButton>
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

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "bench/support/gui_thread_probe.h"
#include "support/board_process.h"
#include "transport/com_port.h"

namespace {

using torvel::bench::Clock;
using torvel::bench::Millis;
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
    int delayMs;  // below the field's 10 ms only in the memory run
};

Figures Measure(const Run& run) {
    Figures figures;
    torvel::test::BoardProcess board(
        run.boardOptions + QStringList{QStringLiteral("--config-flag"), QStringLiteral("FF")});
    if (!board.started()) {
        std::fprintf(stderr, "cannot start the board: %s\n", qPrintable(board.error()));
        return figures;
    }
    TForm1 form;
    form.ComPort1->SetPort(board.linkPath());
    form.Button3Click();
    if (!RunUntil([&] { return !form.ReplyExpected(); }, 30000) || !form.DeviceConnected) {
        std::fprintf(stderr, "the board did not identify\n");
        return figures;
    }
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
    form.Button7Click();
    figures.completed = RunUntil([&] { return !form.TesterActive; }, 3'600'000);
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
    std::printf("  longest GUI-thread gap of a 1 ms timer %.2f ms; longest busy spell %.2f ms\n",
                f.longestGuiGapMs, f.longestBusyMs);
    if (f.rssAfter1000Kb > 0)
        std::printf("  resident memory after 1,000 requests %ld kB, at the end %ld kB (%+ld kB)\n",
                    f.rssAfter1000Kb, f.rssAtEndKb, f.rssAtEndKb - f.rssAfter1000Kb);
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

    const QStringList at115200{QStringLiteral("--baud"), QStringLiteral("115200")};
    const Run runs[] = {
        {"register read, 115200 bit/s, delay 10 ms", at115200, 1, 0x10, steps, 10},
        {"RAM/ROM read of 10,000 bytes, chunk 115, 115200 bit/s, delay 10 ms",
         at115200 + QStringList{QStringLiteral("--buffer"), QStringLiteral("255")}, 2, 0, 10000,
         10},
        {"register read of 100,000 steps, unpaced, no delay (memory)", {}, 1, 0x10, 100000, 0},
    };
    for (const Run& run : runs) Print(run, Measure(run), run.boardOptions.isEmpty() ? 0 : 115200);
    return 0;
}
