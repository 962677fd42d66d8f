// Recording cost: what a session's tick pays to hand a read to the store (SQLite file),
// how many rows per second the writer thread commits, and a generated day at ten boards
// (file size and CSV export time). Run "record" for the first two, "recordday" for the day.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchHarness.h"
#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "record/RecordExport.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "session/StackSession.h"

namespace zmx::bench {
namespace {

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
    session.writeConfig();
    Capture cap;
    session.addListener(&cap);
    session.beginContinuous();
    for (int i = 0; i < 30; ++i) session.continuousStep();
    return cap.reads;
}

void record(int runs) {
    const auto pass = onePass();
    QTemporaryDir dir;
    std::string error;
    WriterOptions opt;
    opt.queueBound = std::max<int64_t>(runs, 1) + 10;
    auto writer = RecordWriter::open(dir.filePath("bench.sqlite").toStdString(), {}, &error, opt);
    if (!writer) {
        std::printf("record: %s\n", error.c_str());
        return;
    }
    std::size_t i = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const Figures f = timeRuns(runs, [&] { writer->onRead(pass[i++ % pass.size()]); });
    report("record: onRead into the SQLite queue", runs, f);
    writer->flush(600000);
    const double s = microsecondsSince(t0) / 1e6;
    std::printf("record: %d rows committed in %.2f s: %.0f rows/s\n", runs, s, runs / s);
}

void recordDay(int) {
    // 288,000 board passes: ten boards, one every 300 ms, for 24 h; three reads each.
    constexpr int kPasses = 28800;
    const auto pass = onePass();
    QTemporaryDir dir;
    // ZMX_BENCH_DAY_DIR keeps the day's file and CSV in that folder for a look afterwards.
    const QString keep = qEnvironmentVariable("ZMX_BENCH_DAY_DIR");
    const QDir out(keep.isEmpty() ? dir.path() : keep);
    const std::string file = out.filePath("day.sqlite").toStdString();
    QFile::remove(QString::fromStdString(file));
    std::string error;
    WriterOptions opt;
    opt.queueBound = 2000000;
    opt.batchRows = 20000;
    auto writer = RecordWriter::open(file, {}, &error, opt);
    if (!writer) {
        std::printf("recordday: %s\n", error.c_str());
        return;
    }
    auto t0 = std::chrono::steady_clock::now();
    const int64_t dayStart = 1767225600000;
    for (int p = 0; p < kPasses; ++p)
        for (std::size_t k = 0; k < pass.size(); ++k) {
            BoardRead r = pass[k];
            r.utcMs = dayStart + (int64_t(p) * 30 + int64_t(k)) * 100;
            writer->onRead(r);
        }
    writer->close(3600000);
    std::printf("recordday: %d reads written in %.1f s\n", kPasses * static_cast<int>(pass.size()),
                microsecondsSince(t0) / 1e6);
    std::printf("recordday: SQLite file %.1f MB\n", QFileInfo(QString::fromStdString(file)).size() / 1e6);
    auto reader = RecordReader::open(file, &error);
    if (!reader) {
        std::printf("recordday: %s\n", error.c_str());
        return;
    }
    t0 = std::chrono::steady_clock::now();
    ExportStats stats;
    if (!exportCsv(*reader, *reader->latestId(), out.filePath("day.csv").toStdString(), &error, &stats))
        std::printf("recordday: %s\n", error.c_str());
    std::printf("recordday: CSV export of %lld board rows in %.1f s\n", static_cast<long long>(stats.rows),
                microsecondsSince(t0) / 1e6);
}

Register r1("record", record);
Register r2("recordday", recordDay);

}  // namespace
}  // namespace zmx::bench
