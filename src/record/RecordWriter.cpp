#include "record/RecordWriter.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <variant>

#include "record/StoreDb.h"
#include "record/StoreRows.h"

namespace zmx {

namespace {
using Clock = std::chrono::steady_clock;
// How long a writer keeps trying to switch a file that others hold to WAL mode.
constexpr int kWalSwitchWaitMs = 5000;
using Row = std::variant<BoardRead, ConfigWrite>;
}  // namespace

struct RecordWriter::Impl {
    store::Target target;
    RecordingContext context;
    WriterOptions opt;
    std::thread thread;

    mutable std::mutex m;
    std::condition_variable wake;     // rows to write, a flush asked for, or stop
    std::condition_variable written;  // a batch committed or the thread ended
    std::deque<Row> queue;
    std::size_t inflight = 0;  // rows taken from the queue and not committed yet
    int64_t accepted = 0;      // rows taken into the queue so far
    int64_t rowsWritten = 0;
    int64_t dropped = 0;
    // Drops said by takeEvents: those of a full queue (with what it held then) and those of
    // rows offered after the close; the rows lost at the close have their own event line.
    int64_t droppedFull = 0, droppedFullReported = 0;
    std::size_t heldAtDrop = 0;
    int64_t droppedLate = 0, droppedLateReported = 0;
    bool answering = true;
    std::string lastError;
    std::vector<std::string> events;
    bool flushAsked = false;
    bool stop = false;
    bool finished = false;
    Clock::time_point stopDeadline;
    int64_t recordingId = 0;
    std::optional<WriterStatus> closedStatus;
    RecordingEnd endAsked = RecordingEnd::Finished;  // given to close()
    RecordingEnd end = RecordingEnd::Open;
    bool endStored = false;

    // Writer thread only.
    QSqlDatabase db;
    std::optional<QSqlQuery> insertRead, insertWrite, updateRecording, insertText, findText;
    // Ids of the (command, request text) pairs known to be committed in requests, keyed by
    // command and text; those added in the open transaction are in pendingTexts until it commits.
    std::unordered_map<std::string, int64_t> textIds, pendingTexts;
    int64_t readsCommitted = 0;  // numbers 1..readsCommitted of this recording's reads are stored
    store::WriterLock lock;      // tells readers this recording is still written
    bool lockHeld = false;

    void run(std::promise<std::string> opened);
    bool connect(std::string* error, bool first = false);
    void disconnect();
    bool createRecording(std::string* error);
    bool writeBatch(std::deque<Row>& batch, std::string* error);
    bool batchCommitted(const std::deque<Row>& batch, bool* committed, std::string* error);
    int64_t requestId(const BoardRead& read, QSqlError* error);
    void holdLock();
    bool storeEnd(RecordingEnd how, std::string* error);
    void noteFailure(const std::string& error);
    void push(Row row);
    QString shown() const { return target.shown; }
};

bool RecordWriter::Impl::connect(std::string* error, bool first) {
    db = store::openConnection(target, true, opt.connectTimeoutS, error);
    if (!db.isValid()) return false;
    // The schema is checked (and made in a new database) once, before anything is written or
    // the journal mode changes: a file this program does not own is left byte for byte.
    if (first && !store::checkSchema(db, target, true, nullptr, error)) {
        disconnect();
        return false;
    }
    QSqlQuery q(db);
    if (!target.postgres) {
        // WAL: readers (replay --follow, export) never block the writer; a killed writer
        // loses at most its open transaction. NORMAL sync is safe against process death.
        // The switch needs the file to itself and SQLite does not wait for it: writers
        // starting together on a new file each try again for a while.
        const auto switchToWal = [&q] {
            return q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next() &&
                   q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
        };
        const auto walDeadline = Clock::now() + std::chrono::milliseconds(kWalSwitchWaitMs);
        bool wal = switchToWal();
        while (!wal && Clock::now() < walDeadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            wal = switchToWal();
        }
        if (!wal) {
            *error = store::errorText(shown() + QStringLiteral(": cannot switch to WAL mode"), q.lastError());
            q = QSqlQuery();
            disconnect();
            return false;
        }
        q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    insertRead.emplace(db);
    insertWrite.emplace(db);
    updateRecording.emplace(db);
    insertText.emplace(db);
    findText.emplace(db);
    // Another bench may add the same text at the same moment: the unique key keeps one row.
    if (!insertText->prepare(QStringLiteral(
            "INSERT INTO requests (command, text) VALUES (?, ?) ON CONFLICT (command, text) DO NOTHING")) ||
        !findText->prepare(QStringLiteral("SELECT id FROM requests WHERE command = ? AND text = ?")) ||
        !insertRead->prepare(store::insertReadSql()) || !insertWrite->prepare(store::insertWriteSql()) ||
        !updateRecording->prepare(
            QStringLiteral("UPDATE recordings SET end_utc_ms = CASE WHEN end_utc_ms > ? THEN end_utc_ms ELSE ? END, "
                           "read_count = read_count + ?, write_count = write_count + ? WHERE id = ?"))) {
        QSqlError e = insertRead->lastError();
        if (!e.isValid()) e = insertWrite->lastError();
        if (!e.isValid()) e = updateRecording->lastError();
        if (!e.isValid()) e = insertText->lastError();
        if (!e.isValid()) e = findText->lastError();
        *error = store::errorText(shown() + QStringLiteral(": cannot prepare the inserts"), e);
        disconnect();
        return false;
    }
    if (recordingId > 0) holdLock();
    return true;
}

// PostgreSQL's lock goes with the connection: taken again on each new one. A lock that
// cannot be taken costs nothing but a reader's verdict, so it is said once and retried.
void RecordWriter::Impl::holdLock() {
    if (lockHeld) return;
    std::string why;
    lockHeld = lock.take(db, target, recordingId, &why);
    if (!lockHeld) {
        std::lock_guard lk(m);
        events.push_back("recording: cannot hold the writer lock (" + why +
                         "); until it is held a reader shows this recording as interrupted");
    }
}

void RecordWriter::Impl::disconnect() {
    insertRead.reset();
    insertWrite.reset();
    updateRecording.reset();
    insertText.reset();
    findText.reset();
    pendingTexts.clear();
    if (target.postgres) lockHeld = false;  // released with the connection
    if (db.isValid()) store::dropConnection(db);
}

bool RecordWriter::Impl::createRecording(std::string* error) {
    const RecordingContext& c = context;
    QSqlQuery q(db);
    auto failed = [&](const QString& what, const QSqlError& e) {
        *error = store::errorText(shown() + QStringLiteral(": ") + what, e);
        db.rollback();
        return false;
    };
    recordingId = 0;
    if (!db.transaction()) return failed(QStringLiteral("cannot start a transaction"), db.lastError());
    QString sql = QStringLiteral(
        "INSERT INTO recordings (start_utc_ms, host, label, program_version, link, controller_id, board_count, "
        "end_reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (target.postgres) sql += QStringLiteral(" RETURNING id");
    q.prepare(sql);
    q.addBindValue(QVariant::fromValue<qint64>(c.startUtcMs));
    q.addBindValue(QString::fromStdString(c.host));
    q.addBindValue(QString::fromStdString(c.label));
    q.addBindValue(QString::fromStdString(c.programVersion));
    q.addBindValue(QString::fromStdString(c.link));
    q.addBindValue(QString::fromStdString(c.controllerId));
    q.addBindValue(c.boardCount);
    q.addBindValue(static_cast<int>(RecordingEnd::Open));
    if (!q.exec()) return failed(QStringLiteral("cannot add the recording"), q.lastError());
    int64_t id = 0;
    if (target.postgres) id = q.next() ? q.value(0).toLongLong() : 0;
    else id = q.lastInsertId().toLongLong();
    if (id <= 0) return failed(QStringLiteral("no id for the new recording"), q.lastError());
    // Beyond it the ids of the recording's reads would overflow into other recordings' ones.
    if (id > store::kMaxRecordingId) {
        db.rollback();
        *error = shown().toStdString() + ": recording id " + std::to_string(id) +
                 " is beyond the largest this database can hold (" + std::to_string(store::kMaxRecordingId) +
                 "); no recording added";
        return false;
    }
    // Held before the recording is visible, so no reader sees it open without its writer.
    recordingId = id;
    holdLock();
    q.prepare(
        QStringLiteral("INSERT INTO recording_boards (recording_id, slot, address, cfg_written, cfg_read_back, "
                       "vuv_code, vov_code, cdc) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const BoardContext& b : c.boards) {
        q.addBindValue(QVariant::fromValue<qint64>(id));
        q.addBindValue(b.slot);
        q.addBindValue(QString::fromStdString(b.address));
        q.addBindValue(QString::fromStdString(store::bytesText(b.configWritten.data(), 6)));
        q.addBindValue(QString::fromStdString(store::bytesText(b.configReadBack.data(), 6)));
        q.addBindValue(b.vuvCode);
        q.addBindValue(b.vovCode);
        q.addBindValue(b.cdc);
        if (!q.exec()) return failed(QStringLiteral("cannot add the recording's boards"), q.lastError());
    }
    if (!db.commit()) return failed(QStringLiteral("cannot add the recording"), db.lastError());
    return true;
}

int64_t RecordWriter::Impl::requestId(const BoardRead& read, QSqlError* error) {
    std::string key = read.command;
    key += '\n';
    key += read.request;
    if (const auto it = textIds.find(key); it != textIds.end()) return it->second;
    if (const auto it = pendingTexts.find(key); it != pendingTexts.end()) return it->second;
    const QString command = QString::fromStdString(read.command), text = QString::fromStdString(read.request);
    insertText->bindValue(0, command);
    insertText->bindValue(1, text);
    if (!insertText->exec()) {
        *error = insertText->lastError();
        return 0;
    }
    findText->bindValue(0, command);
    findText->bindValue(1, text);
    if (!findText->exec() || !findText->next()) {
        *error = findText->lastError();
        return 0;
    }
    const int64_t id = findText->value(0).toLongLong();
    findText->finish();
    pendingTexts.emplace(std::move(key), id);
    return id;
}

bool RecordWriter::Impl::writeBatch(std::deque<Row>& batch, std::string* error) {
    auto failed = [&](const QSqlError& e) {
        *error = store::errorText(shown(), e);
        db.rollback();
        pendingTexts.clear();  // rolled back with the batch
        return false;
    };
    if (!db.transaction()) return failed(db.lastError());
    int64_t reads = 0, writes = 0, lastMs = 0;
    int64_t number = readsCommitted;
    for (const Row& row : batch) {
        if (const BoardRead* r = std::get_if<BoardRead>(&row)) {
            QSqlError e;
            const int64_t request = requestId(*r, &e);
            if (request <= 0) return failed(e);
            store::bindRead(*insertRead, store::readId(recordingId, ++number), recordingId, request, *r);
            if (!insertRead->exec()) return failed(insertRead->lastError());
            ++reads;
            lastMs = std::max(lastMs, r->utcMs);
        } else {
            const ConfigWrite& w = std::get<ConfigWrite>(row);
            store::bindWrite(*insertWrite, recordingId, w);
            if (!insertWrite->exec()) return failed(insertWrite->lastError());
            ++writes;
            lastMs = std::max(lastMs, w.utcMs);
        }
    }
    QSqlQuery& u = *updateRecording;
    u.bindValue(0, QVariant::fromValue<qint64>(lastMs));
    u.bindValue(1, QVariant::fromValue<qint64>(lastMs));
    u.bindValue(2, QVariant::fromValue<qint64>(reads));
    u.bindValue(3, QVariant::fromValue<qint64>(writes));
    u.bindValue(4, QVariant::fromValue<qint64>(recordingId));
    if (!u.exec()) return failed(u.lastError());
    if (!db.commit()) return failed(db.lastError());
    textIds.merge(pendingTexts);
    pendingTexts.clear();
    readsCommitted = number;
    return true;
}

// After a lost connection, whether the batch's transaction committed all the same (its
// commit was sent but the answer never came): its reads are then in the database, and
// writing it again would store them twice.
bool RecordWriter::Impl::batchCommitted(const std::deque<Row>& batch, bool* committed, std::string* error) {
    *committed = false;
    if (std::none_of(batch.begin(), batch.end(), [](const Row& r) { return std::holds_alternative<BoardRead>(r); }))
        return true;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT max(id) FROM reads WHERE id > ? AND id < ?"));
    q.addBindValue(QVariant::fromValue<qint64>(store::readId(recordingId, readsCommitted)));
    q.addBindValue(QVariant::fromValue<qint64>(store::readIdEnd(recordingId)));
    if (!q.exec() || !q.next()) {
        *error = store::errorText(shown(), q.lastError());
        return false;
    }
    if (q.value(0).isNull()) return true;
    // A transaction stores all of its rows or none: one of them there means all are.
    readsCommitted = q.value(0).toLongLong() - store::readId(recordingId, 0);
    *committed = true;
    return true;
}

// Stores how the recording ended and the rows dropped, trying again while the database is
// away until the close's deadline (once when it has passed).
bool RecordWriter::Impl::storeEnd(RecordingEnd how, std::string* error) {
    for (;;) {
        if (db.isValid() || connect(error)) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE recordings SET end_reason = ?, rows_dropped = ? WHERE id = ?"));
            int64_t lost = 0;
            {
                std::lock_guard lk(m);
                lost = dropped;
            }
            q.addBindValue(static_cast<int>(how));
            q.addBindValue(QVariant::fromValue<qint64>(lost));
            q.addBindValue(QVariant::fromValue<qint64>(recordingId));
            if (q.exec()) return true;
            *error = store::errorText(shown(), q.lastError());
            q = QSqlQuery();
            disconnect();
        }
        std::unique_lock lk(m);
        if (Clock::now() >= stopDeadline) return false;
        wake.wait_until(lk, std::min(Clock::now() + std::chrono::milliseconds(opt.retryMs), stopDeadline));
    }
}

void RecordWriter::Impl::noteFailure(const std::string& error) {
    std::lock_guard lk(m);
    lastError = error;
    if (answering) {
        answering = false;
        events.push_back("recording: database not answering (" + error + "); keeping up to " +
                         std::to_string(opt.queueBound) + " rows queued and retrying every " +
                         std::to_string(opt.retryMs) + " ms");
    }
}

void RecordWriter::Impl::run(std::promise<std::string> opened) {
    std::string error;
    if (!connect(&error, true) || !createRecording(&error)) {
        disconnect();
        lock.release();
        opened.set_value(error.empty() ? shown().toStdString() + ": cannot open" : error);
        return;
    }
    opened.set_value({});

    // pending: rows taken from the queue, not yet in a batch. The session waits on the lock,
    // so the queue is only ever taken whole, by a swap; batches are cut from it outside.
    std::deque<Row> batch, pending;
    Clock::time_point failedAt{};
    bool lostAtClose = false;
    for (;;) {
        if (batch.empty()) {
            if (pending.empty()) {
                std::unique_lock lk(m);
                wake.wait_for(lk, std::chrono::milliseconds(opt.batchMs), [&] {
                    return stop || flushAsked || queue.size() >= static_cast<std::size_t>(opt.batchRows);
                });
                flushAsked = false;
                if (queue.empty()) {
                    if (stop) break;
                    continue;
                }
                pending.swap(queue);
                inflight = pending.size();
            }
            const std::size_t n = std::min(pending.size(), static_cast<std::size_t>(opt.batchRows));
            if (n == pending.size()) {
                batch.swap(pending);
            } else {
                batch.assign(std::make_move_iterator(pending.begin()), std::make_move_iterator(pending.begin() + n));
                pending.erase(pending.begin(), pending.begin() + n);
            }
        }
        bool ok = true, committed = false;
        if (!db.isValid()) ok = connect(&error) && batchCommitted(batch, &committed, &error);
        if (ok && !committed) ok = writeBatch(batch, &error);
        if (ok) {
            const auto n = static_cast<int64_t>(batch.size());
            batch.clear();  // freed outside the lock the session takes
            std::lock_guard lk(m);
            rowsWritten += n;
            inflight -= static_cast<std::size_t>(n);
            if (!answering) {
                answering = true;
                const auto pause = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - failedAt);
                events.push_back("recording: database answering again after " +
                                 std::to_string(pause.count() / 1000.0).substr(0, 5) + " s; " +
                                 std::to_string(rowsWritten) + " rows written, " +
                                 std::to_string(queue.size() + inflight) + " still queued");
            }
            written.notify_all();
            continue;
        }
        // The connection may be broken (server restarted, file locked): start afresh next time.
        disconnect();
        {
            std::lock_guard lk(m);
            if (answering) failedAt = Clock::now();
        }
        noteFailure(error);
        std::unique_lock lk(m);
        const auto until = Clock::now() + std::chrono::milliseconds(opt.retryMs);
        wake.wait_until(lk, stop ? std::min(until, stopDeadline) : until,
                        [&] { return stop && Clock::now() >= stopDeadline; });
        if (stop && Clock::now() >= stopDeadline) {
            const int64_t lost = static_cast<int64_t>(queue.size() + pending.size() + batch.size());
            dropped += lost;
            events.push_back("recording: closed while the database was not answering; " + std::to_string(lost) +
                             " queued rows not written (dropped)");
            queue.clear();
            pending.clear();
            batch.clear();
            inflight = 0;
            lostAtClose = true;
            break;
        }
    }
    RecordingEnd how = lostAtClose ? RecordingEnd::DatabaseLost : RecordingEnd::Finished;
    {
        std::lock_guard lk(m);
        if (!lostAtClose) how = endAsked;
    }
    const bool stored = storeEnd(how, &error);
    disconnect();
    // Released only once the end is stored: a reader never sees this recording open and unheld.
    lock.release();
    lockHeld = false;
    std::lock_guard lk(m);
    end = how;
    endStored = stored;
    if (!stored)
        events.push_back(std::string("recording: its end (") + recordingEndText(how) + ") could not be stored (" +
                         error + "); readers show it as interrupted");
    finished = true;
    written.notify_all();
}

void RecordWriter::Impl::push(Row row) {
    std::lock_guard lk(m);
    if (stop || queue.size() + inflight >= static_cast<std::size_t>(opt.queueBound)) {
        ++dropped;
        if (stop) {
            ++droppedLate;
        } else {
            ++droppedFull;
            heldAtDrop = queue.size() + inflight;
        }
        return;
    }
    queue.push_back(std::move(row));
    ++accepted;
}

std::unique_ptr<RecordWriter> RecordWriter::open(const std::string& target, const RecordingContext& context,
                                                 std::string* error, const WriterOptions& options) {
    auto d = std::make_unique<Impl>();
    std::string why;
    if (!store::parseTarget(target, &d->target, &why)) {
        if (error) *error = why;
        return nullptr;
    }
    d->context = context;
    if (d->context.programVersion.empty()) d->context.programVersion = ZMX_VERSION;
    if (d->context.host.empty()) d->context.host = QSysInfo::machineHostName().toStdString();
    if (d->context.startUtcMs == 0) d->context.startUtcMs = QDateTime::currentMSecsSinceEpoch();
    d->opt = options;
    if (d->opt.queueBound < 1) d->opt.queueBound = 1;
    if (d->opt.batchRows < 1) d->opt.batchRows = 1;
    std::promise<std::string> opened;
    std::future<std::string> result = opened.get_future();
    Impl* impl = d.get();
    d->thread = std::thread([impl, p = std::move(opened)]() mutable { impl->run(std::move(p)); });
    why = result.get();
    if (!why.empty()) {
        d->thread.join();
        if (error) *error = why;
        return nullptr;
    }
    return std::unique_ptr<RecordWriter>(new RecordWriter(std::move(d)));
}

RecordWriter::RecordWriter(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}

RecordWriter::~RecordWriter() { close(); }

void RecordWriter::onRead(const BoardRead& read) { d_->push(read); }
void RecordWriter::onConfigWrite(const ConfigWrite& write) { d_->push(write); }

WriterStatus RecordWriter::status() const {
    std::lock_guard lk(d_->m);
    if (d_->closedStatus) return *d_->closedStatus;
    WriterStatus s;
    s.target = d_->target.shown.toStdString();
    s.recordingId = d_->recordingId;
    s.rowsWritten = d_->rowsWritten;
    s.rowsQueued = static_cast<int64_t>(d_->queue.size() + d_->inflight);
    s.rowsDropped = d_->dropped;
    s.answering = d_->answering;
    s.lastError = d_->lastError;
    return s;
}

int64_t RecordWriter::recordingId() const { return d_->recordingId; }

std::vector<std::string> RecordWriter::takeEvents() {
    std::lock_guard lk(d_->m);
    if (d_->droppedFull > d_->droppedFullReported) {
        d_->events.push_back("recording: queue full (" + std::to_string(d_->heldAtDrop) +
                             " rows held): " + std::to_string(d_->droppedFull - d_->droppedFullReported) +
                             " rows dropped, " + std::to_string(d_->dropped) + " in all");
        d_->droppedFullReported = d_->droppedFull;
    }
    if (d_->droppedLate > d_->droppedLateReported) {
        d_->events.push_back("recording: " + std::to_string(d_->droppedLate - d_->droppedLateReported) +
                             " rows came after the close (dropped), " + std::to_string(d_->dropped) + " in all");
        d_->droppedLateReported = d_->droppedLate;
    }
    return std::exchange(d_->events, {});
}

bool RecordWriter::flush(int timeoutMs) {
    std::unique_lock lk(d_->m);
    const int64_t target = d_->accepted;
    d_->flushAsked = true;
    d_->wake.notify_all();
    return d_->written.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] {
        return d_->finished || d_->rowsWritten >= target;
    }) && d_->rowsWritten >= target;
}

WriterStatus RecordWriter::close(int timeoutMs, RecordingEnd end) {
    {
        std::lock_guard lk(d_->m);
        if (d_->closedStatus) return *d_->closedStatus;
        if (!d_->stop) {
            d_->endAsked = end;
            d_->stop = true;
            d_->stopDeadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        }
        d_->wake.notify_all();
    }
    if (d_->thread.joinable()) d_->thread.join();
    WriterStatus s = status();
    std::lock_guard lk(d_->m);
    s.end = d_->end;
    s.endStored = d_->endStored;
    d_->closedStatus = s;
    return s;
}

}  // namespace zmx
