// What the stack view and recording add to continuous mode: one tick at ten boards of a
// plain window against one of a window with the stack view open (live, repainting on its
// timer) and recording to an SQLite file, ticked alternately in the same run ("tickviews");
// and the resident size after a day of the views' history at ten boards ("viewsday").

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cmath>

#include "BenchHarness.h"
#include "support/TestSupport.h"
#include "views/StackHistory.h"
#include "views/widgets/HealthTable.h"
#include "views/widgets/HeatmapTable.h"
#include "views/widgets/RecordMenu.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/TrendPanel.h"
#include "views/widgets/ViewMenus.h"

namespace zmx::bench {

namespace views_cases {

constexpr int kRunBoards = 10;
constexpr int kTicksPerPass = 3 * kRunBoards;

void startRun(Form1& f) {
    f.show();
    test::startContinuousRun(f, kRunBoards);
    f.Timer1.stop();  // the benchmark ticks
    QCoreApplication::processEvents();
}

// The tick as the program has it: the handler, then whatever events are due (repaints,
// the view's refresh timer, the recording's status timer).
double timedTick(Form1& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f.Timer1_Timer();
    QCoreApplication::processEvents();
    return microsecondsSince(t0);
}

long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void tickViews(int runs) {
    QTemporaryDir dir;
    test::WindowFixture plain({}, false);
    plain.load();
    plain.form->Timer1.stop();
    test::WindowFixture viewed({}, false);
    viewed.load();
    viewed.form->Timer1.stop();
    ViewMenus views(*viewed.form);
    RecordMenu record(*viewed.form, views, QStringLiteral("sim"));
    QString error;
    if (!record.startRecording(dir.filePath(QStringLiteral("bench.sqlite")), &error)) {
        std::printf("tickviews: cannot record: %s\n", qPrintable(error));
        return;
    }
    StackViewWindow* view = views.openStackView();
    startRun(*plain.form);
    startRun(*viewed.form);
    for (int i = 0; i < 2 * kTicksPerPass; ++i) {
        timedTick(*plain.form);
        timedTick(*viewed.form);
    }
    const int passes = std::max(3, runs / kTicksPerPass);
    std::vector<double> plainUs, viewedUs[3];
    // Each tab in turn, as each repaints different widgets.
    for (int tab = 0; tab < 3; ++tab) {
        view->tabs()->setCurrentIndex(tab);
        for (int i = 0; i < passes * kTicksPerPass; ++i) {
            plainUs.push_back(timedTick(*plain.form));
            viewedUs[tab].push_back(timedTick(*viewed.form));
        }
    }
    // The refresh alone after a tick, per tab: what one firing of the view's timer costs
    // (the tab shown is redrawn and painted).
    std::vector<double> refreshUs[3];
    for (int tab = 0; tab < 3; ++tab) {
        view->tabs()->setCurrentIndex(tab);
        for (int i = 0; i < 50; ++i) {
            viewed.form->Timer1_Timer();
            const auto t0 = std::chrono::steady_clock::now();
            view->refresh();
            QCoreApplication::processEvents();
            refreshUs[tab].push_back(microsecondsSince(t0));
        }
    }
    record.updateStatus();
    const int ticks = passes * kTicksPerPass;
    std::printf("tickviews: %d boards, continuous mode, simulated link; the two windows ticked alternately\n",
                kRunBoards);
    report("tick, plain window", 3 * ticks, figuresOf(plainUs));
    static const char* const kTabs[3] = {"trend", "heatmap", "health"};
    for (int tab = 0; tab < 3; ++tab)
        report(std::string("tick, view open (") + kTabs[tab] + ") + recording", ticks, figuresOf(viewedUs[tab]));
    for (int tab = 0; tab < 3; ++tab)
        report(std::string("view refresh alone (") + kTabs[tab] + ")", 50, figuresOf(refreshUs[tab]));
    std::printf("%s\n", qPrintable(record.statusLine()));
}

// A day of continuous mode at ten boards (one tick each 100 ms, three reads a board a pass)
// fed to the views' history, then drawn once in each tab.
void viewsDay(int) {
    const long before = residentKb();
    test::WindowFixture w({}, false, kInstantWire);
    w.load();
    w.form->Timer1.stop();
    ViewMenus views(*w.form);
    StackViewWindow* view = views.openStackView();
    const long withWindow = residentKb();
    StackHistory& h = views.liveHistory();
    const int64_t start = 1'780'000'000'000;
    constexpr int64_t kTickMs = 100;
    constexpr int64_t kDayMs = 24LL * 3600 * 1000;
    const auto t0 = std::chrono::steady_clock::now();
    int64_t reads = 0;
    BoardRead r;
    r.pecMatch = true;
    r.cellCount = 12;
    for (int64_t t = 0, step = 0; t < kDayMs; t += kTickMs, ++step) {
        r.slot = static_cast<int>((step / 3) % kRunBoards);
        r.kind = step % 3 == 0 ? ReadKind::Cells : (step % 3 == 1 ? ReadKind::Temps : ReadKind::Flags);
        r.utcMs = start + t;
        r.roundTripUs = 900 + step % 200;
        for (int c = 0; c < 12; ++c)
            r.cellVolts[c] = 3.7f + 0.2f * std::sin(static_cast<float>(t) / 3.6e6f + static_cast<float>(c));
        h.onRead(r);
        ++reads;
    }
    const double feedMs = microsecondsSince(t0) / 1000.0;
    for (int tab = 0; tab < 3; ++tab) {
        view->tabs()->setCurrentIndex(tab);
        view->refresh(true);
        QCoreApplication::processEvents();
    }
    const auto t1 = std::chrono::steady_clock::now();
    view->trend()->showAll();
    view->refresh(true);
    const double drawMs = microsecondsSince(t1) / 1000.0;
    const long after = residentKb();
    std::printf("viewsday: %lld reads over 24 h at %d boards fed in %.0f ms; trend of the whole day drawn in %.1f ms\n",
                static_cast<long long>(reads), kRunBoards, feedMs, drawMs);
    std::printf(
        "viewsday: resident %ld kB before the window, %ld kB with the view open, %ld kB after the day "
        "(history %lld trend points per cell at most)\n",
        before, withWindow, after, static_cast<long long>(h.board(0).trend[0].capacity()));
}

Register r1("tickviews", tickViews);
Register r2("viewsday", viewsDay);

}  // namespace views_cases
}  // namespace zmx::bench
