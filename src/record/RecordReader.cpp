#include "record/RecordReader.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "record/StoreDb.h"
#include "record/StoreRows.h"

namespace zmx {

struct RecordReader::Impl {
    store::Target target;
    QSqlDatabase db;
    int version = 0;
    bool endColumns = false;  // recordings has end_reason and rows_dropped
    std::string lastError;

    ~Impl() {
        if (db.isValid()) store::dropConnection(db);
    }
    bool connect(std::string* why) {
        if (db.isValid()) store::dropConnection(db);
        db = store::openConnection(target, false, 5, why);
        if (!db.isValid()) return false;
        if (!store::checkSchema(db, target, false, &version, why)) {
            store::dropConnection(db);
            return false;
        }
        endColumns = store::hasEndColumns(db);
        return true;
    }
    // The recording's columns a list shows; recordings of a database made before ends were
    // stored show an unknown end.
    QString infoSql() const {
        return QStringLiteral(
                   "SELECT id, start_utc_ms, end_utc_ms, host, label, board_count, read_count, %1 FROM "
                   "recordings")
            .arg(endColumns ? QStringLiteral("end_reason, rows_dropped") : QStringLiteral("NULL, NULL"));
    }
    RecordingInfo infoOfRow(const QSqlQuery& q);
    bool exec(QSqlQuery& q, const QString& what) {
        q.setForwardOnly(true);
        if (q.exec()) {
            lastError.clear();
            return true;
        }
        lastError = store::errorText(target.shown + QStringLiteral(": ") + what, q.lastError());
        return false;
    }
};

std::unique_ptr<RecordReader> RecordReader::open(const std::string& target, std::string* error) {
    auto d = std::make_unique<Impl>();
    std::string why;
    if (!store::parseTarget(target, &d->target, &why)) {
        if (error) *error = why;
        return nullptr;
    }
    if (!d->connect(&why)) {
        if (error) *error = why;
        return nullptr;
    }
    return std::unique_ptr<RecordReader>(new RecordReader(std::move(d)));
}

RecordReader::RecordReader(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}
RecordReader::~RecordReader() = default;

bool RecordReader::reconnect(std::string* error) {
    std::string why;
    if (d_->connect(&why)) return true;
    if (error) *error = why;
    return false;
}

int RecordReader::schemaVersion() const { return d_->version; }
const std::string& RecordReader::lastError() const { return d_->lastError; }

namespace {

// The reads of the recording after afterRow: one range of the primary key. A recording id
// past the largest a read id holds has no reads (none can be written under it).
bool bindReadRange(QSqlQuery& q, int64_t id, int64_t afterRow, int limit) {
    if (id < 0 || id > store::kMaxRecordingId) return false;
    q.addBindValue(QVariant::fromValue<qint64>(std::max(afterRow, store::readId(id, 0))));
    q.addBindValue(QVariant::fromValue<qint64>(store::readIdEnd(id)));
    q.addBindValue(limit);
    return true;
}

RecordingEnd endOfValue(const QVariant& v) {
    if (v.isNull()) return RecordingEnd::Unknown;
    const int e = v.toInt();
    return e >= static_cast<int>(RecordingEnd::Open) && e <= static_cast<int>(RecordingEnd::Unknown)
               ? static_cast<RecordingEnd>(e)
               : RecordingEnd::Unknown;
}

}  // namespace

RecordingInfo RecordReader::Impl::infoOfRow(const QSqlQuery& q) {
    RecordingInfo i;
    i.id = q.value(0).toLongLong();
    i.startUtcMs = q.value(1).toLongLong();
    i.endUtcMs = q.value(2).toLongLong();
    i.host = q.value(3).toString().toStdString();
    i.label = q.value(4).toString().toStdString();
    i.boards = q.value(5).toInt();
    i.rows = q.value(6).toLongLong();
    i.end = endOfValue(q.value(7));
    i.rowsDropped = q.value(8).toLongLong();
    // Open with no writer holding its lock: the writer was killed (or lost its power).
    if (i.end == RecordingEnd::Open && !store::writerAlive(db, target, i.id)) i.end = RecordingEnd::Interrupted;
    return i;
}

std::vector<RecordingInfo> RecordReader::list() {
    std::vector<RecordingInfo> out;
    QSqlQuery q(d_->db);
    q.prepare(d_->infoSql() + QStringLiteral(" ORDER BY id"));
    if (!d_->exec(q, QStringLiteral("cannot list the recordings"))) return out;
    while (q.next()) out.push_back(d_->infoOfRow(q));
    return out;
}

std::optional<int64_t> RecordReader::latestId() {
    QSqlQuery q(d_->db);
    q.prepare(QStringLiteral("SELECT max(id) FROM recordings"));
    if (!d_->exec(q, QStringLiteral("cannot find the latest recording")) || !q.next() || q.value(0).isNull())
        return std::nullopt;
    return q.value(0).toLongLong();
}

std::optional<RecordingInfo> RecordReader::info(int64_t id) {
    QSqlQuery q(d_->db);
    q.prepare(d_->infoSql() + QStringLiteral(" WHERE id = ?"));
    q.addBindValue(QVariant::fromValue<qint64>(id));
    if (!d_->exec(q, QStringLiteral("cannot read recording %1").arg(id))) return std::nullopt;
    if (!q.next()) {
        d_->lastError = d_->target.shown.toStdString() + ": no recording " + std::to_string(id);
        return std::nullopt;
    }
    return d_->infoOfRow(q);
}

std::optional<RecordingContext> RecordReader::context(int64_t id) {
    QSqlQuery q(d_->db);
    q.prepare(
        QStringLiteral("SELECT start_utc_ms, host, label, program_version, link, controller_id, board_count "
                       "FROM recordings WHERE id = ?"));
    q.addBindValue(QVariant::fromValue<qint64>(id));
    if (!d_->exec(q, QStringLiteral("cannot read recording %1").arg(id))) return std::nullopt;
    if (!q.next()) {
        d_->lastError = d_->target.shown.toStdString() + ": no recording " + std::to_string(id);
        return std::nullopt;
    }
    RecordingContext c;
    c.startUtcMs = q.value(0).toLongLong();
    c.host = q.value(1).toString().toStdString();
    c.label = q.value(2).toString().toStdString();
    c.programVersion = q.value(3).toString().toStdString();
    c.link = q.value(4).toString().toStdString();
    c.controllerId = q.value(5).toString().toStdString();
    c.boardCount = q.value(6).toInt();
    QSqlQuery b(d_->db);
    b.prepare(
        QStringLiteral("SELECT slot, address, cfg_written, cfg_read_back, vuv_code, vov_code, cdc "
                       "FROM recording_boards WHERE recording_id = ? ORDER BY slot"));
    b.addBindValue(QVariant::fromValue<qint64>(id));
    if (!d_->exec(b, QStringLiteral("cannot read the boards of recording %1").arg(id))) return std::nullopt;
    while (b.next()) {
        BoardContext bc;
        bc.slot = b.value(0).toInt();
        bc.address = b.value(1).toString().toStdString();
        const auto written = store::bytesOfText(b.value(2).toString().toStdString());
        const auto readBack = store::bytesOfText(b.value(3).toString().toStdString());
        for (std::size_t k = 0; k < 6; ++k) {
            bc.configWritten[k] = k < written.size() ? written[k] : 0;
            bc.configReadBack[k] = k < readBack.size() ? readBack[k] : 0;
        }
        bc.vuvCode = b.value(4).toInt();
        bc.vovCode = b.value(5).toInt();
        bc.cdc = b.value(6).toInt();
        c.boards.push_back(bc);
    }
    return c;
}

std::vector<StoredRead> RecordReader::reads(int64_t id, int64_t afterRow, int limit) {
    std::vector<StoredRead> out;
    QSqlQuery q(d_->db);
    q.prepare(store::selectReadsSql() + QStringLiteral(" WHERE r.id > ? AND r.id < ? ORDER BY r.id LIMIT ?"));
    if (!bindReadRange(q, id, afterRow, limit)) return out;
    if (!d_->exec(q, QStringLiteral("cannot read the reads of recording %1").arg(id))) return out;
    out.reserve(static_cast<std::size_t>(std::max(0, std::min(limit, 100000))));
    while (q.next()) {
        StoredRead s;
        s.read = store::readOfRow(q, &s.rowId);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<StoredRead> RecordReader::readValues(int64_t id, int64_t afterRow, int limit) {
    std::vector<StoredRead> out;
    QSqlQuery q(d_->db);
    q.prepare(store::selectValuesSql() + QStringLiteral(" WHERE r.id > ? AND r.id < ? ORDER BY r.id LIMIT ?"));
    if (!bindReadRange(q, id, afterRow, limit)) return out;
    if (!d_->exec(q, QStringLiteral("cannot read the reads of recording %1").arg(id))) return out;
    out.reserve(static_cast<std::size_t>(std::max(0, std::min(limit, 100000))));
    while (q.next()) {
        StoredRead s;
        s.read = store::valuesOfRow(q, &s.rowId);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<StoredConfigWrite> RecordReader::configWrites(int64_t id) {
    std::vector<StoredConfigWrite> out;
    QSqlQuery q(d_->db);
    q.prepare(store::selectWritesSql() + QStringLiteral(" WHERE recording_id = ? ORDER BY id"));
    q.addBindValue(QVariant::fromValue<qint64>(id));
    if (!d_->exec(q, QStringLiteral("cannot read the configuration writes of recording %1").arg(id))) return out;
    while (q.next()) {
        StoredConfigWrite s;
        s.write = store::writeOfRow(q, &s.rowId);
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace zmx
