// Recording cost: what a session's tick pays to hand a read to the store, how many rows per
// second the writer thread commits ("record": a SQLite file, "recordpg": a PostgreSQL
// server), and a generated day at ten boards ("recordday": file size and CSV export time).

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

#include "BenchHarness.h"
#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "record/RecordExport.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "session/StackSession.h"
#include "support/PgServer.h"

namespace zmx::bench {
namespace record_cases {

struct Capture : SessionListener {
    std::vector<BoardRead> reads;
    void onRead(const BoardRead& r) override { reads.push_back(r); }
};

// One continuous pass of ten simulated boards: cells, temperatures and flags of each.
std::vector<BoardRead> onePass() {
    sim::SimOptions o;
    o.boards = 10;
    ControllerLink link(std::make_unique<SimLink>(std::make_shared<sim::SimStack>(o)));
    StackSession session(link);
    session.startUp();
    StackState& st = session.state();
    st.lastBoardIndex = 9;
    for (int s = 0; s < 10; ++s) st.cfgImage[s] = {"E1", "00", "00", "00", "7F", "C7"};
    session.writeConfig(0, true);
    Capture cap;
    session.addListener(&cap);
    session.beginContinuous();
    for (int i = 0; i < 30; ++i) session.continuousStep();
    return cap.reads;
}

// What onRead costs the tick with the writer thread committing to target at the same time,
// and how many rows per second the thread commits.
void recordCost(const char* name, const std::string& target, int runs) {
    const auto pass = onePass();
    std::string error;
    WriterOptions opt;
    opt.queueBound = std::max<int64_t>(runs, 1) + 10;
    auto writer = RecordWriter::open(target, {}, &error, opt);
    if (!writer) {
        std::printf("%s: %s\n", name, error.c_str());
        return;
    }
    std::size_t i = 0;
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(runs));
    for (int k = 0; k < runs; ++k) {
        const auto t = std::chrono::steady_clock::now();
        writer->onRead(pass[i++ % pass.size()]);
        us.push_back(microsecondsSince(t));
    }
    std::vector<double> sorted = us;
    std::sort(sorted.begin(), sorted.end());
    auto at = [&](double q) {
        return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(q * sorted.size()))];
    };
    report(std::string(name) + ": onRead while the writer commits", runs, figuresOf(std::move(us)));
    std::printf("%s: 99th percentile %.2f us, 99.9th %.2f us, calls over 1 ms: %lld\n", name, at(0.99), at(0.999),
                static_cast<long long>(std::count_if(sorted.begin(), sorted.end(), [](double v) { return v > 1000; })));
    writer->flush(600000);
    const double s = microsecondsSince(t0) / 1e6;
    std::printf("%s: %d rows committed in %.2f s: %.0f rows/s\n", name, runs, s, runs / s);
    const WriterStatus st = writer->close();
    if (st.rowsDropped) std::printf("%s: %lld rows dropped\n", name, static_cast<long long>(st.rowsDropped));
}

void record(int runs) {
    QTemporaryDir dir;
    recordCost("record (SQLite)", dir.filePath("bench.sqlite").toStdString(), runs);
}

// The same against PostgreSQL: the server named by ZMX_BENCH_PG_URL, else a throwaway one
// started here from the installed server package (as the tests start theirs).
void recordPostgres(int runs) {
    std::string url = qEnvironmentVariable("ZMX_BENCH_PG_URL").toStdString();
    std::unique_ptr<test::PgServer> server;
    if (url.empty()) {
        server = std::make_unique<test::PgServer>();
        if (!server->setUp()) {
            std::printf("recordpg: skipped, no PostgreSQL server (set ZMX_BENCH_PG_URL, or install postgresql): %s\n",
                        qPrintable(server->error().left(300)));
            return;
        }
        url = server->url().toStdString();
    }
    recordCost("recordpg (PostgreSQL)", url, runs);
}

void recordDay(int runs) {
    // 288,000 board passes: ten boards, one every 300 ms, for 24 h; three reads each.
    constexpr int kPasses = 28800;
    QTemporaryDir dir;
    // ZMX_BENCH_DAY_DIR keeps the day's file and CSV in that folder for a look afterwards;
    // with ZMX_BENCH_DAY_REUSE=1 a day already there is exported again without rewriting it.
    const QString keep = qEnvironmentVariable("ZMX_BENCH_DAY_DIR");
    const QDir out(keep.isEmpty() ? dir.path() : keep);
    const std::string file = out.filePath("day.sqlite").toStdString();
    std::string error;
    if (qEnvironmentVariable("ZMX_BENCH_DAY_REUSE") != QLatin1String("1") ||
        !QFileInfo::exists(QString::fromStdString(file))) {
        QFile::remove(QString::fromStdString(file));
        const auto pass = onePass();
        WriterOptions opt;
        opt.queueBound = 2000000;
        opt.batchRows = 20000;
        auto writer = RecordWriter::open(file, {}, &error, opt);
        if (!writer) {
            std::printf("recordday: %s\n", error.c_str());
            return;
        }
        const auto t0 = std::chrono::steady_clock::now();
        const int64_t dayStart = 1767225600000;
        for (int p = 0; p < kPasses; ++p)
            for (std::size_t k = 0; k < pass.size(); ++k) {
                BoardRead r = pass[k];
                r.utcMs = dayStart + (int64_t(p) * 30 + int64_t(k)) * 100;
                r.cellStatus.fill(1);  // every cell OK, as a healthy stack reports them
                writer->onRead(r);
            }
        writer->close(3600000);
        std::printf("recordday: %d reads written in %.1f s\n", kPasses * static_cast<int>(pass.size()),
                    microsecondsSince(t0) / 1e6);
    }
    std::printf("recordday: SQLite file %.1f MB\n", QFileInfo(QString::fromStdString(file)).size() / 1e6);
    auto reader = RecordReader::open(file, &error);
    if (!reader) {
        std::printf("recordday: %s\n", error.c_str());
        return;
    }
    // The export is timed a few times (the --runs given, at most 5, at least 3).
    ExportStats stats;
    const Figures f = timeRuns(std::clamp(runs, 3, 5), [&] {
        if (!exportCsv(*reader, *reader->latestId(), out.filePath("day.csv").toStdString(), &error, &stats))
            std::printf("recordday: %s\n", error.c_str());
    });
    std::printf("recordday: CSV export of %lld board rows: median %.2f s, best %.2f s, worst %.2f s\n",
                static_cast<long long>(stats.rows), f.medianUs / 1e6, f.bestUs / 1e6, f.worstUs / 1e6);
}

Register r1("record", record);
Register r3("recordpg", recordPostgres);
Register r2("recordday", recordDay);

}  // namespace record_cases
}  // namespace zmx::bench
