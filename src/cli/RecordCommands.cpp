#include "cli/RecordCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

#include "cli/CliOutput.h"
#include "cli/StackCommands.h"
#include "link/ControllerLink.h"
#include "record/OutputFile.h"
#include "record/RecordExport.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "record/StoreDb.h"
#include "rules/CellStatus.h"
#include "session/ControllerReturn.h"
#include "session/LinkFailureLine.h"
#include "session/ReadTally.h"
#include "session/ReconnectWatch.h"
#include "session/StackSession.h"

namespace zmx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTick = std::chrono::milliseconds(100);  // the window's timer
constexpr int kReplayBatch = 1000;
constexpr auto kFollowPoll = std::chrono::milliseconds(250);
constexpr auto kFollowRetry = std::chrono::milliseconds(1000);  // reconnect attempts of replay --follow
// The longest a stop request waits for the sleep in progress.
constexpr auto kSleepSlice = std::chrono::milliseconds(20);
// The longest the close waits for a database that stopped answering.
constexpr int kCloseTimeoutMs = 10000;

bool isDatabaseUrl(const std::string& target) {
    return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

void sleepUntil(Clock::time_point t, volatile std::sig_atomic_t& stop) {
    while (!stop && Clock::now() < t)
        std::this_thread::sleep_for(std::min<Clock::duration>(kSleepSlice, t - Clock::now()));
}

void passOn(RecordWriter& writer, const Say& complain) {
    for (const std::string& line : writer.takeEvents()) complain(line);
}

// The per-board figures of a run for the JSON summary, boards numbered 1..10.
QJsonArray tallyJson(const ReadTally& tally, const StackState& st) {
    QJsonArray boards;
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        const BoardTally t = tally.board(s);
        QJsonObject b{{"board", s + 1},
                      {"address", QString::fromStdString(st.boardAddressHex[s])},
                      {"reads", static_cast<qint64>(t.reads)},
                      {"failed", static_cast<qint64>(t.failed)},
                      {"answered", t.answered()}};
        if (t.answered()) b["lastGoodUtcMs"] = static_cast<qint64>(t.lastGoodMs);
        boards.append(b);
    }
    return boards;
}

}  // namespace

bool checkOutputPath(const std::string& target, std::string* why) {
    if (isDatabaseUrl(target)) return true;
    const QFileInfo info(QString::fromStdString(target));
    if (target.empty()) {
        *why = "no output path given";
        return false;
    }
    if (info.exists()) {
        if (info.isDir() || !info.isWritable()) {
            *why = "cannot write " + target + (info.isDir() ? ": it is a folder" : ": permission denied");
            return false;
        }
        return true;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) {
        *why = "cannot write " + target + ": the folder " + folder.filePath().toStdString() + " does not exist";
        return false;
    }
    if (!folder.isWritable()) {
        *why = "cannot write " + target + ": the folder " + folder.filePath().toStdString() + " is not writable";
        return false;
    }
    return true;
}

bool checkRecordTarget(const std::string& target, std::string* why) {
    if (!checkOutputPath(target, why)) return false;
    store::Target t;
    if (!store::parseTarget(target, &t, why)) return false;
    // A new file is made by the writer in the folder just checked.
    if (!t.postgres && !QFileInfo::exists(t.path)) return true;
    // Read-only for a file, so a file of another program is left byte for byte.
    QSqlDatabase db = store::openConnection(t, t.postgres, WriterOptions{}.connectTimeoutS, why);
    if (!db.isValid()) return false;
    const bool ok = db.tables().isEmpty() || store::checkSchema(db, t, false, nullptr, why);
    store::dropConnection(db);
    return ok;
}

// --reconnect: after a failed identification, identifies once a tick until the same
// controller answers again (or the run is stopped), saying on standard error what happens.
// True when it came back: every board's configuration has then been read again.
bool waitForController(ControllerReturn& back, Clock::time_point end, volatile std::sig_atomic_t& stop,
                       const Say& complain) {
    const auto msNow = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    };
    complain("LK200 lost: waiting for it to come back");
    std::string strangerSeen;
    while (!stop && Clock::now() < end) {
        sleepUntil(std::min(Clock::now() + kTick, end), stop);
        const ControllerReturn::Outcome r = back.lookForLost(msNow());
        switch (r.event) {
            case ReconnectWatch::Event::Back:
                complain("LK200 back after " + gapText(back.watch().lastGapMs()) +
                         (r.movedTo.empty() ? "" : " on " + r.movedTo) + "; every board's configuration read again");
                return true;
            case ReconnectWatch::Event::Stranger:
                // Said once for each different refusal, not every tick.
                if (strangerSeen != back.watch().mismatchText()) {
                    strangerSeen = back.watch().mismatchText();
                    complain("another controller answered on " + r.device + " and is not taken (" + strangerSeen +
                             "); nothing of it is recorded");
                }
                break;
            default: break;
        }
    }
    return false;
}

int runRecord(StackSession& session, const CliOptions& o, const std::string& linkText, volatile std::sig_atomic_t& stop,
              const Say& complain, const Say& print) {
    StackState& st = session.state();
    // Listens from the first read on, so it knows which boards answer.
    std::optional<ControllerReturn> back;
    if (o.reconnect && !back.emplace(session).start())
        complain(unprovenSamenessWarning(session.link().backend().name()));
    // Every read of the run, for the per-board lines at the end and the exit status.
    ReadTally tally;
    session.addListener(&tally);
    struct StopTallying {
        StackSession& session;
        ReadTally& tally;
        ~StopTallying() { session.removeListener(&tally); }
    } stopTallying{session, tally};
    // What every board holds now: the context of the recording and the standby notice. A
    // board that does not answer is said now, before the recording begins.
    for (const BoardRead& r : session.readConfigAll())
        if (!r.pecMatch) complain(silentBoardLine(r));
    for (int s = 0; s <= st.lastBoardIndex; ++s) evaluateCellStatus(st, s);
    const std::vector<int> standby = standbySlots(st);
    if (!standby.empty()) complain(standbyNotice(standby));

    std::string error;
    auto writer = RecordWriter::open(o.to, contextFromState(st, linkText, session.lastIdentReply(), o.label), &error);
    if (!writer) {
        complain(error);
        return kExitUsage;
    }
    const bool fast = o.pace == "fast";
    char until[64] = " until interrupted";
    if (o.durationS > 0) std::snprintf(until, sizeof until, " for %g s", o.durationS);
    complain("recording " + std::to_string(writer->recordingId()) + " to " + writer->status().target + " at the " +
             o.pace + " pace" + until);
    session.addListener(writer.get());

    const auto start = Clock::now();
    const auto end =
        o.durationS > 0
            ? start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.durationS))
            : Clock::time_point::max();
    int64_t steps = 0;
    bool lost = false;
    const auto msNow = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    };
    // A lost controller ends the recording unless --reconnect waits for it; true: carry on.
    // The reads that failed since it last answered are the loss's, not the boards'.
    const auto recover = [&] {
        tally.discardUnconfirmed();
        if (!back) return false;
        back->markLost(msNow());
        return waitForController(*back, end, stop, complain);
    };
    if (fast) {
        const auto wait = [&](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
        while (!stop && Clock::now() < end) {
            // A pass without one good reply may mean the controller went away.
            if (fastPass(session, wait, o.batchFrames) == 0 && !session.identify()) {
                if (recover()) continue;
                lost = true;  // also when the run ended while --reconnect waited
                break;
            }
            ++steps;
            passOn(*writer, complain);
        }
    } else {
        session.beginContinuous();
        auto next = start;
        while (!stop && Clock::now() < end) {
            if (!windowTick(session)) {
                if (recover()) {
                    next = Clock::now();
                    continue;
                }
                lost = true;
                break;
            }
            ++steps;
            passOn(*writer, complain);
            next += kTick;
            // A tick that overran its 100 ms is not made up for with a burst.
            if (next < Clock::now()) next = Clock::now();
            sleepUntil(std::min(next, end), stop);
        }
        session.endContinuous();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    session.removeListener(writer.get());
    const WriterStatus status =
        writer->close(kCloseTimeoutMs, lost ? RecordingEnd::ControllerLost : RecordingEnd::Finished);
    passOn(*writer, complain);
    // Under --reconnect the last identification may be another controller's, refused: the
    // line then says what the run waited for rather than what answered.
    if (lost)
        complain(back ? std::string("recording ended with the LK200 still lost (--reconnect waited for it)")
                      : "recording ended: " + linkFailureLine(LinkFailure::StoppedAnswering, session));
    if (status.rowsDropped > 0)
        complain(std::to_string(status.rowsDropped) + " reads were dropped: the database did not take them in time");
    const int boardCount = st.lastBoardIndex + 1;
    for (int s = 0; s < boardCount; ++s) complain(boardTallyLine(s, st.boardAddressHex[s], tally.board(s)));
    const bool readsFailed = tally.anyFailure(boardCount);

    if (o.json) {
        QJsonObject j{{"command", "record"},
                      {"recording", static_cast<qint64>(status.recordingId)},
                      {"target", QString::fromStdString(status.target)},
                      {"pace", QString::fromStdString(o.pace)},
                      {fast ? "passes" : "ticks", static_cast<qint64>(steps)},
                      {"seconds", std::round(seconds * 1000.0) / 1000.0},
                      {"rowsWritten", static_cast<qint64>(status.rowsWritten)},
                      {"rowsDropped", static_cast<qint64>(status.rowsDropped)},
                      {"controllerLost", lost},
                      {"readsFailed", readsFailed},
                      {"boards", tallyJson(tally, st)}};
        print(QJsonDocument(j).toJson(QJsonDocument::Indented).toStdString());
    } else {
        char secs[32];
        std::snprintf(secs, sizeof secs, "%.1f", seconds);
        print("recording  " + std::to_string(status.recordingId) + "\ntarget     " + status.target + "\npace       " +
              o.pace + "\n" + (fast ? "passes     " : "ticks      ") + std::to_string(steps) + "\nseconds    " + secs +
              "\nrows       " + std::to_string(status.rowsWritten) + " written, " + std::to_string(status.rowsDropped) +
              " dropped\n");
    }
    return lost || status.rowsDropped > 0 || readsFailed ? kExitFailure : kExitDone;
}

int runStoreCommand(const CliOptions& o, volatile std::sig_atomic_t& stop, const Say& complain, const Say& print) {
    std::string error;
    const std::string out = o.csvOut.empty() ? o.xlsxOut : o.csvOut;
    if (o.command == "export") {
        // Checked before the recording is opened: nothing is read, made or written yet.
        error = outputIsRecording(out, o.operand);
        if (!error.empty() || !checkOutputPath(out, &error)) {
            complain(error);
            return kExitUsage;
        }
    }
    auto reader = RecordReader::open(o.operand, &error);
    if (!reader) {
        complain(error);
        return kExitUsage;
    }
    if (o.command == "list") {
        print(formatRecordingList(reader->list(), o.json));
        return kExitDone;
    }

    int64_t id = o.recordingId;
    if (id == 0) {
        const auto latest = reader->latestId();
        if (!latest) {
            complain(o.operand + " holds no recording");
            return kExitUsage;
        }
        id = *latest;
    } else if (!reader->info(id)) {
        complain(o.operand + " holds no recording " + std::to_string(id) + " (see list)");
        return kExitUsage;
    }

    if (o.command == "export") {
        ExportStats stats;
        const bool ok = o.csvOut.empty() ? exportXlsx(*reader, id, out, &error, &stats)
                                         : exportCsv(*reader, id, out, &error, &stats);
        if (!ok) {
            complain(error);
            return kExitFailure;
        }
        // How the recording ended, so an export of a cut-short recording says so.
        const RecordingInfo ended = reader->info(id).value_or(RecordingInfo{});
        if (o.json)
            print(QJsonDocument(QJsonObject{{"command", "export"},
                                            {"recording", static_cast<qint64>(id)},
                                            {"output", QString::fromStdString(out)},
                                            {"reads", static_cast<qint64>(stats.reads)},
                                            {"rows", static_cast<qint64>(stats.rows)},
                                            {"ended", recordingEndText(ended.end)},
                                            {"rowsDropped", static_cast<qint64>(ended.rowsDropped)}})
                      .toJson(QJsonDocument::Indented)
                      .toStdString());
        else
            print("recording " + std::to_string(id) + " (" + recordingEndText(ended.end) + ", " +
                  std::to_string(ended.rowsDropped) + " rows dropped): " + std::to_string(stats.rows) +
                  " rows written to " + out + "\n");
        return kExitDone;
    }

    // replay. --follow outlasts a database that stops answering (a server restart): it says
    // so, reconnects every kFollowRetry and carries on after the last row it printed.
    int64_t after = 0;
    bool waiting = false;  // said once per outage
    while (!stop) {
        const std::vector<StoredRead> batch = reader->reads(id, after, kReplayBatch);
        if (o.follow && !reader->lastError().empty()) {
            if (!waiting) complain("database not answering: " + reader->lastError() + "; waiting");
            waiting = true;
            sleepUntil(Clock::now() + kFollowRetry, stop);
            std::string why;
            if (!stop && reader->reconnect(&why)) {
                waiting = false;
                complain("database answering again; replay carries on after row " + std::to_string(after));
            }
            continue;
        }
        std::string text;
        for (const StoredRead& r : batch) {
            text += formatReplayRow(r.rowId, r.read, o.json);
            after = r.rowId;
        }
        if (!text.empty()) print(text);
        if (static_cast<int>(batch.size()) == kReplayBatch) continue;
        if (!o.follow) break;
        sleepUntil(Clock::now() + kFollowPoll, stop);
    }
    if (!o.follow && !reader->lastError().empty()) {
        complain(reader->lastError());
        return kExitFailure;
    }
    return kExitDone;
}

}  // namespace zmx
