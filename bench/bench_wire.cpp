// What a user sees on the real wire: the simulated controller behind the strict wire model
// (line rate, latency timer, transmit FIFO), timed on the simulator's clock, which the wire's
// waits move on without sleeping. Figures are wire time plus the program's own time:
//   wire_tick   every tick of the window's continuous mode over ten boards, and the pass
//               that the 100 ms timer makes of them (a tick that takes longer delays the next)
//   wire_fast   passes per second of record --pace fast over ten boards in CDC 1 (the
//               conversions waited for with real sleeps, on the same clock)
// each at uart:9600 with the latency timer at 16 ms and at 1 ms, and on a FIFO-type chip.

#include <QCoreApplication>
#include <thread>

#include "BenchHarness.h"
#include "cli/StackCommands.h"
#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "protocol/ChipCommands.h"
#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "support/TestSupport.h"

namespace zmx::bench {
namespace wire_cases {

constexpr int kBoards = 10;
constexpr int kTicksPerPass = 3 * kBoards;
constexpr double kTickMs = 100.0;

struct Wire {
    const char* name;
    sim::WireOptions options;
};

std::vector<Wire> wires() {
    auto make = [](sim::WireOptions::Kind kind, double latency) {
        sim::WireOptions o;
        o.kind = kind;
        o.latencyMs = latency;
        return o;
    };
    using K = sim::WireOptions::Kind;
    return {{"uart:9600, latency 16 ms", make(K::Uart, 16)},
            {"uart:9600, latency 1 ms", make(K::Uart, 1)},
            {"fifo, latency 16 ms", make(K::Fifo, 16)},
            {"fifo, latency 1 ms", make(K::Fifo, 1)}};
}

void reportMs(const std::string& what, int runs, std::vector<double> ms) {
    std::vector<double> us;
    for (double m : ms) us.push_back(m * 1000.0);
    const Figures f = figuresOf(us);
    std::printf("%-52s runs %5d  median %8.1f ms  best %8.1f ms  worst %8.1f ms\n", what.c_str(), runs,
                f.medianUs / 1000, f.bestUs / 1000, f.worstUs / 1000);
}

void wireTick(int runs) {
    const int passes = std::max(3, runs / kTicksPerPass);
    for (const Wire& w : wires()) {
        test::WindowFixture f({}, false, w.options);
        f.load();
        f.form->show();
        test::startContinuousRun(*f.form, kBoards);
        for (int i = 0; i < kTicksPerPass; ++i) f.form->Timer1_Timer();  // warm-up pass
        std::vector<double> tickMs, passMs;
        for (int p = 0; p < passes; ++p) {
            double pass = 0;
            for (int i = 0; i < kTicksPerPass; ++i) {
                const double t0 = f.sim->nowMs();
                f.form->Timer1_Timer();
                QCoreApplication::processEvents();
                const double took = f.sim->nowMs() - t0;
                tickMs.push_back(took);
                pass += std::max(kTickMs, took);  // the timer fires again once the tick is over
            }
            passMs.push_back(pass);
        }
        reportMs(std::string("window tick, ") + w.name, static_cast<int>(tickMs.size()), tickMs);
        reportMs(std::string("window pass of 10 boards, ") + w.name, passes, passMs);
    }
}

void wireFast(int runs) {
    const int passes = std::clamp(runs, 3, 50);
    for (const Wire& w : wires()) {
        auto stack = std::make_shared<sim::SimStack>();
        ControllerLink link(std::make_unique<SimLink>(stack, w.options));
        StackSession session(link);
        if (!session.startUp()) {
            std::printf("wire_fast: no start-up on %s\n", w.name);
            continue;
        }
        setStackSize(session, kBoards);
        const ConfigBytes cdc1{0xE1, 0, 0, 0, 0, 0};
        if (!writeAndVerify(session, std::vector<std::optional<ConfigBytes>>(kBoards, cdc1)).ok()) {
            std::printf("wire_fast: CDC 1 not taken on %s\n", w.name);
            continue;
        }
        // The conversion waits sleep for real; the stack's clock follows the steady clock, so
        // they count as on hardware.
        auto sleepMs = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
        std::vector<double> passMs;
        std::size_t transfers = link.transferCount();
        for (int p = 0; p < passes; ++p) {
            const double t0 = stack->nowMs();
            fastPass(session, sleepMs);
            passMs.push_back(stack->nowMs() - t0);
        }
        transfers = (link.transferCount() - transfers) / static_cast<std::size_t>(passes);
        reportMs(std::string("fast pass of 10 boards, ") + w.name, passes, passMs);
        std::sort(passMs.begin(), passMs.end());
        std::printf("  %.2f passes/s (median), %zu transfers a pass\n", 1000.0 / passMs[passMs.size() / 2], transfers);
    }
}

// What several frames in one write would give: the fast pace's reads of one kind written as
// one text (the replies come back to back, read with one count), beside the same reads one
// transfer each. The conversions are started and waited for as in the fast pace. This is
// what record --pace fast --batch-frames does through the link, on the model alone.
double readPassMs(const sim::WireOptions& wire, bool batched) {
    auto stack = std::make_shared<sim::SimStack>();
    stack->useManualClock(true);
    ControllerLink link(std::make_unique<SimLink>(stack, wire));
    StackSession session(link);
    session.startUp();
    setStackSize(session, kBoards);
    writeAndVerify(session, std::vector<std::optional<ConfigBytes>>(kBoards, ConfigBytes{0xE1, 0, 0, 0, 0, 0}));
    const double t0 = stack->nowMs();
    for (const auto& [start, read] : {std::pair{ChipCommandId::STCVAD, ChipCommandId::RDCV},
                                      std::pair{ChipCommandId::STTMPAD, ChipCommandId::RDTMP},
                                      std::pair{ChipCommandId::STCVAD, ChipCommandId::RDFLG}}) {
        if (read != ChipCommandId::RDFLG) {
            link.SendOnly(buildStartFrame("", commandCodeText(chipCommand(start)), true));
            stack->advanceMs(13);  // the CDC 1 measure time
        }
        const ChipCommand& cmd = chipCommand(read);
        std::string text;
        for (int b = 0; b < kBoards; ++b) {
            const std::string frame = readFrameOf(cmd, byteText(static_cast<uint8_t>(0x80 + b)));
            if (batched) text += frame;
            else link.SendAndReceive(frame, readReplyChars(cmd));
        }
        if (batched) link.SendAndReceive(text, kBoards * readReplyChars(cmd));
    }
    return stack->nowMs() - t0;
}

void wireBatch(int) {
    for (const Wire& w : wires())
        std::printf("%-30s reads one frame a write %7.1f ms a pass, all boards' frames in one write %7.1f ms\n", w.name,
                    readPassMs(w.options, false), readPassMs(w.options, true));
}

Register r1("wire_tick", wireTick);
Register r3("wire_batch", wireBatch);
Register r2("wire_fast", wireFast);

}  // namespace wire_cases
}  // namespace zmx::bench
