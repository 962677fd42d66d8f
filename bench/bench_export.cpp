// Export of a long recording ("exportbig"): 1,000,000 fast-pace passes of two boards (three
// reads a board and pass), written straight through the recording writer, then exported
// as CSV and as a workbook by zmx7730-cli, each export a child process of its own so its
// peak memory (the high-water resident size of that child) is its own.

#include <spawn.h>
#include <sys/wait.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <thread>

#include "BenchHarness.h"
#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "record/RecordWriter.h"
#include "session/StackSession.h"

extern char** environ;

namespace zmx::bench {
namespace export_cases {

constexpr int kBoards = 2;
constexpr int64_t kPasses = 1000000;
constexpr int64_t kFlushEvery = 200000;  // reads queued before the writer is waited for
constexpr int64_t kPassMs = 30;          // a fast-pace pass of two boards
constexpr int kPeekMs = 20;              // how often a child's memory is looked at

struct Capture : SessionListener {
    std::vector<BoardRead> reads;
    void onRead(const BoardRead& r) override { reads.push_back(r); }
};

// One continuous pass of the simulated boards: cells, temperatures and flags of each.
std::vector<BoardRead> onePass() {
    sim::SimOptions o;
    o.boards = kBoards;
    ControllerLink link(std::make_unique<SimLink>(std::make_shared<sim::SimStack>(o)));
    StackSession session(link);
    session.startUp();
    StackState& st = session.state();
    st.lastBoardIndex = kBoards - 1;
    for (int s = 0; s < kBoards; ++s) st.cfgImage[s] = {"E1", "00", "00", "00", "7F", "C7"};
    session.writeConfig(0, true);
    Capture cap;
    session.addListener(&cap);
    session.beginContinuous();
    for (int i = 0; i < 3 * kBoards; ++i) session.continuousStep();
    return cap.reads;
}

bool writeRecording(const std::string& file) {
    const auto pass = onePass();
    std::string error;
    WriterOptions opt;
    opt.queueBound = 2 * kFlushEvery;
    opt.batchRows = 20000;
    auto writer = RecordWriter::open(file, {}, &error, opt);
    if (!writer) {
        std::printf("exportbig: %s\n", error.c_str());
        return false;
    }
    const auto t0 = std::chrono::steady_clock::now();
    const int64_t start = 1767225600000;
    int64_t queued = 0;
    for (int64_t p = 0; p < kPasses; ++p) {
        for (std::size_t k = 0; k < pass.size(); ++k) {
            BoardRead r = pass[k];
            r.utcMs = start + p * kPassMs + static_cast<int64_t>(k);
            r.cellStatus.fill(1);
            writer->onRead(r);
        }
        queued += static_cast<int64_t>(pass.size());
        if (queued >= kFlushEvery) {
            writer->flush(600000);
            queued = 0;
        }
    }
    const WriterStatus st = writer->close(3600000);
    std::printf("exportbig: %lld reads written in %.1f s (%lld dropped)\n",
                static_cast<long long>(kPasses * static_cast<int64_t>(pass.size())), microsecondsSince(t0) / 1e6,
                static_cast<long long>(st.rowsDropped));
    return st.rowsDropped == 0;
}

struct ChildRun {
    bool ok = false;
    double seconds = 0;
    double peakMb = 0;
};

// The child's high-water resident size in MB from /proc (0 once it is gone). Taken there,
// not from wait4: a spawned child starts in the parent's memory and the kernel would
// report the parent's peak when it is the larger.
double peakOf(pid_t pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Runs the program to its end; its wall time and the largest resident size it reached,
// looked at every few milliseconds (the high-water mark misses at most the last look's gap).
ChildRun runChild(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return {};
    ChildRun r;
    int status = 0;
    for (;;) {
        r.peakMb = std::max(r.peakMb, peakOf(pid));
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(kPeekMs));
    }
    r.seconds = microsecondsSince(t0) / 1e6;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

void exportBig(int runs) {
    QTemporaryDir tmp;
    // ZMX_BENCH_BIG_DIR keeps the recording there; with ZMX_BENCH_BIG_REUSE=1 one already
    // there is exported again without being written anew.
    const QString keep = qEnvironmentVariable("ZMX_BENCH_BIG_DIR");
    const QDir out(keep.isEmpty() ? tmp.path() : keep);
    const std::string file = out.filePath("big.sqlite").toStdString();
    if (qEnvironmentVariable("ZMX_BENCH_BIG_REUSE") != QLatin1String("1") ||
        !QFileInfo::exists(QString::fromStdString(file))) {
        QFile::remove(QString::fromStdString(file));
        if (!writeRecording(file)) return;
    }
    std::printf("exportbig: SQLite file %.1f MB\n", QFileInfo(QString::fromStdString(file)).size() / 1e6);
    const QString dir = qEnvironmentVariable("ZMX_BINARY_DIR", QCoreApplication::applicationDirPath() + "/..");
    const std::string cli = QDir(dir).filePath("zmx7730-cli").toStdString();
    // Each export a few times (the --runs given, at most 5, at least 3).
    for (const char* kind : {"--csv", "--xlsx"}) {
        const std::string target = out.filePath(kind[2] == 'c' ? "big.csv" : "big.xlsx").toStdString();
        std::vector<double> seconds, peaks;
        for (int i = 0; i < std::clamp(runs, 3, 5); ++i) {
            const ChildRun r = runChild({cli, "export", file, kind, target});
            if (!r.ok) {
                std::printf("exportbig: %s export failed (%s)\n", kind + 2, cli.c_str());
                return;
            }
            seconds.push_back(r.seconds * 1e6);
            peaks.push_back(r.peakMb);
        }
        const Figures t = figuresOf(seconds), m = figuresOf(peaks);
        std::printf(
            "exportbig: %s export of %lld passes, %d boards: median %.1f s (best %.1f, worst %.1f), "
            "peak memory median %.0f MB (best %.0f, worst %.0f), file %.1f MB\n",
            kind + 2, static_cast<long long>(kPasses), kBoards, t.medianUs / 1e6, t.bestUs / 1e6, t.worstUs / 1e6,
            m.medianUs, m.bestUs, m.worstUs, QFileInfo(QString::fromStdString(target)).size() / 1e6);
    }
}

Register r1("exportbig", exportBig);

}  // namespace export_cases
}  // namespace zmx::bench
