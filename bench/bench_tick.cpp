// Cost of continuous mode: the processing time of one timer tick over full passes of a
// ten-board stack (the handler, and the repaint it leaves to the event loop), and one pass
// alone, so callgrind can count the instructions it takes.

#include <QCoreApplication>
#include <QEvent>
#include <QMap>
#include <QPushButton>

#include "BenchHarness.h"
#include "support/TestSupport.h"

#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define ZMX_BENCH_CALLGRIND 1
#endif
#endif

namespace zmx::bench {

namespace tick_cases {

constexpr int kRunBoards = 10;
constexpr int kTicksPerPass = 3 * kRunBoards;  // three steps per board
constexpr int kWarmUpPasses = 2;

// Shown like the program's window, ten boards, CDC 1 written and read back from every
// board, continuous mode on.
void startTenBoardRun(test::WindowFixture& w) {
    Form1& f = *w.form;
    f.show();
    test::startContinuousRun(f, kRunBoards);
    QCoreApplication::processEvents();
}

// One tick as the running program has it: the handler, then the repaint it asked for.
void tickAndRepaint(Form1& f) {
    f.Timer1_Timer();
    QCoreApplication::processEvents();
}

void tick(int runs) {
    test::WindowFixture w({}, false, kInstantWire);
    w.load();
    startTenBoardRun(w);
    for (int i = 0; i < kWarmUpPasses * kTicksPerPass; ++i) tickAndRepaint(*w.form);

    const int passes = std::max(3, runs / kTicksPerPass);
    std::vector<double> handlerUs, repaintUs, totalUs;
    for (int i = 0; i < passes * kTicksPerPass; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        w.form->Timer1_Timer();
        const double handler = microsecondsSince(t0);
        const auto t1 = std::chrono::steady_clock::now();
        QCoreApplication::processEvents();
        const double repaint = microsecondsSince(t1);
        handlerUs.push_back(handler);
        repaintUs.push_back(repaint);
        totalUs.push_back(handler + repaint);
    }
    const int ticks = passes * kTicksPerPass;
    std::printf("tick: %d passes of %d boards (%d ticks a pass), continuous mode, simulated link\n", passes, kRunBoards,
                kTicksPerPass);
    report("tick handler (Timer1_Timer)", ticks, figuresOf(handlerUs));
    report("tick repaint (events after the handler)", ticks, figuresOf(repaintUs));
    report("tick total", ticks, figuresOf(totalUs));
}

// Counts the paint events each control gets, to see what a pass repaints.
class PaintCounter : public QObject {
public:
    QMap<QString, int> paints;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints[o->objectName().isEmpty() ? QString(o->metaObject()->className()) : o->objectName()];
        return false;
    }
};

void printPaints(const PaintCounter& c) {
    std::vector<std::pair<int, QString>> byCount;
    int total = 0;
    for (auto it = c.paints.begin(); it != c.paints.end(); ++it) {
        byCount.emplace_back(it.value(), it.key());
        total += it.value();
    }
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("tickpass: %d paint events on %zu controls:", total, byCount.size());
    for (const auto& [n, name] : byCount) std::printf(" %s %d", qPrintable(name), n);
    std::printf("\n");
}

}  // namespace tick_cases

// Kept out of line and with a plain name, so callgrind can switch collection on around it.
__attribute__((noinline)) void measuredTickPass(Form1& f) {
#ifdef ZMX_BENCH_CALLGRIND
    CALLGRIND_ZERO_STATS;
    CALLGRIND_START_INSTRUMENTATION;
#endif
    for (int i = 0; i < tick_cases::kTicksPerPass; ++i) tick_cases::tickAndRepaint(f);
#ifdef ZMX_BENCH_CALLGRIND
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT("one continuous pass");
#endif
}

namespace tick_cases {

void tickPass(int) {
    test::WindowFixture w({}, false, kInstantWire);
    w.load();
    startTenBoardRun(w);
    for (int i = 0; i < kWarmUpPasses * kTicksPerPass; ++i) tickAndRepaint(*w.form);
    const auto t0 = std::chrono::steady_clock::now();
    measuredTickPass(*w.form);
    std::printf("tickpass: one pass of %d boards (%d ticks with their repaints) in %.1f us\n", kRunBoards,
                kTicksPerPass, microsecondsSince(t0));
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    for (int i = 0; i < kTicksPerPass; ++i) tickAndRepaint(*w.form);
    qApp->removeEventFilter(&counter);
    printPaints(counter);
#ifdef ZMX_BENCH_CALLGRIND
    std::printf(
        "tickpass: instructions of that pass: valgrind --tool=callgrind --instr-atstart=no "
        "zmx7730-bench tickpass  (then callgrind_annotate on the dump of \"one continuous pass\")\n");
#else
    std::printf(
        "tickpass: instructions of that pass: valgrind --tool=callgrind --collect-atstart=no "
        "--toggle-collect='*measuredTickPass*' zmx7730-bench tickpass\n");
#endif
}

Register r1("tick", tick);
Register r2("tickpass", tickPass);

}  // namespace tick_cases
}  // namespace zmx::bench
