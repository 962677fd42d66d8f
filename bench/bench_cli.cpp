// The command line's recording paces on ten boards in CDC 1: one full pass of the fast pace
// (two broadcast conversions waited for as on hardware, then thirty reads) on the in-process
// simulated stack and over a pseudo-terminal to zmx7730-sim, beside the window pace, which
// needs thirty 100 ms ticks for the same pass.

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <thread>

#include "BenchHarness.h"
#include "cli/StackCommands.h"
#include "link/ControllerLink.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"

namespace zmx::bench {
namespace cli_cases {

constexpr int kBoards = 10;
constexpr int kMaxPasses = 200;  // each pass sleeps at least 26 ms
constexpr double kWindowPassMs = 3.0 * kBoards * 100.0;
// A USB link with the FTDI latency timer at 1 ms: a write-only transfer costs about one
// USB frame, a read about two (the write, then the latency timer flushing the reply).
constexpr double kUsbWriteMs = 1.0;
constexpr double kUsbReadMs = 2.0;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Starts a session on the link with every board in CDC 1, as record --config would.
bool prepare(StackSession& session) {
    if (!session.startUp()) return false;
    setStackSize(session, kBoards);
    ConfigBytes cdc1{0xE1, 0, 0, 0, 0, 0};
    return writeAndVerify(session, std::vector<std::optional<ConfigBytes>>(kBoards, cdc1)).ok();
}

void reportPass(const char* what, int runs, const Figures& f) {
    report(what, runs, f);
    std::printf("  %.1f passes/s (median), window pace %.0f ms a pass: %.0fx\n", 1e6 / f.medianUs, kWindowPassMs,
                kWindowPassMs * 1000.0 / f.medianUs);
}

void timePasses(const char* what, StackSession& session, int runs) {
    runs = std::min(runs, kMaxPasses);
    fastPass(session, sleepMs);  // warm-up
    const Figures f = timeRuns(runs, [&] { fastPass(session, sleepMs); });
    reportPass(what, runs, f);
}

void fastPassSim(int runs) {
    ControllerLink link(std::make_unique<SimLink>(std::make_shared<sim::SimStack>(), kInstantWire));
    StackSession session(link);
    if (!prepare(session)) {
        std::printf("fastpass: the simulated stack did not take CDC 1\n");
        return;
    }
    timePasses("fast-pace pass, 10 boards, in-process sim", session, runs);
    const int measure = stackMeasureMs(session.state());
    const int reads = 3 * kBoards;
    const double usbMs = 2.0 * measure + reads * kUsbReadMs + 2 * kUsbWriteMs;
    std::printf("  estimate for a USB link at 1 ms latency timer: %.0f ms a pass, %.1f passes/s\n", usbMs,
                1000.0 / usbMs);
}

void fastPassPty(int runs) {
    if (!SerialLink::available()) {
        std::printf("fastpass_pty: this build has no serial port support\n");
        return;
    }
    const QString dir = qEnvironmentVariable("ZMX_BINARY_DIR", QCoreApplication::applicationDirPath() + "/..");
    QProcess sim;
    sim.start(QDir(dir).filePath("zmx7730-sim"), {"--sim-boards", "10", "--wire", "instant"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::printf("fastpass_pty: cannot start zmx7730-sim in %s\n", qPrintable(dir));
        return;
    }
    const std::string pty = QString::fromLatin1(sim.readLine()).trimmed().toStdString();
    ControllerLink link(std::make_unique<SerialLink>(pty));
    StackSession session(link);
    if (prepare(session)) timePasses("fast-pace pass, 10 boards, zmx7730-sim on a pty", session, runs);
    else std::printf("fastpass_pty: no simulated controller on %s\n", pty.c_str());
    sim.terminate();
    sim.waitForFinished(5000);
}

Register r1("fastpass", fastPassSim);
Register r2("fastpass_pty", fastPassPty);

}  // namespace cli_cases
}  // namespace zmx::bench
