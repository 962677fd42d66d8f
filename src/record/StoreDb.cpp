#include "record/StoreDb.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "record/RecordTypes.h"
#include "session/ReadEvents.h"

namespace zmx::store {

namespace {

enum class Type { Big, Int, Small, Text, Blob };

struct Column {
    QString name;
    Type type;
};

// A read keeps what the volts and the data bytes are made from, not the results: volts are
// computed from the codes on the way out, and the data bytes are cut from the reply again
// unless they differ from it. The command and request text, the same for every read of a
// command and board, are kept once in requests. val1..val12 hold the values of the read's kind
// (cells: the codes of cells 1..12; flags: FLGR0..2; temperatures: ETMP1, ETMP2, ITMP codes
// and the thermal bit; configuration: CFGR0..5); the read_values view names them.
std::vector<Column> readColumnTable() {
    std::vector<Column> c = {{"recording_id", Type::Big},  {"utc_ms", Type::Big},     {"slot", Type::Small},
                             {"address", Type::Text},      {"kind", Type::Small},     {"request_id", Type::Big},
                             {"reply", Type::Text},        {"data_len", Type::Small}, {"data", Type::Blob},
                             {"rx_pec", Type::Small},      {"calc_pec", Type::Small}, {"pec_ok", Type::Small},
                             {"round_trip_us", Type::Int}, {"lamp", Type::Small},     {"first_cell", Type::Small},
                             {"cell_count", Type::Small}};
    for (int i = 1; i <= 12; ++i) c.push_back({QStringLiteral("val%1").arg(i), Type::Small});
    c.push_back({QStringLiteral("status"), Type::Big});
    c.push_back({QStringLiteral("volts_exact"), Type::Blob});
    return c;
}

std::vector<Column> writeColumnTable() {
    std::vector<Column> c = {{"recording_id", Type::Big},
                             {"utc_ms", Type::Big},
                             {"slot", Type::Small},
                             {"address", Type::Text},
                             {"broadcast", Type::Small}};
    for (int i = 0; i < 6; ++i) c.push_back({QStringLiteral("cfg%1").arg(i), Type::Small});
    c.push_back({QStringLiteral("request"), Type::Text});
    return c;
}

QString typeName(Type t, bool pg) {
    switch (t) {
        case Type::Big: return pg ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
        case Type::Int: return QStringLiteral("INTEGER");
        case Type::Small: return pg ? QStringLiteral("SMALLINT") : QStringLiteral("INTEGER");
        case Type::Text: return QStringLiteral("TEXT");
        case Type::Blob: return pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    }
    return {};
}

QStringList names(const std::vector<Column>& cols) {
    QStringList out;
    for (const Column& c : cols) out << c.name;
    return out;
}

QString columnsDdl(const std::vector<Column>& cols, bool pg) {
    QStringList parts;
    for (const Column& c : cols) parts << c.name + QLatin1Char(' ') + typeName(c.type, pg);
    return parts.join(QStringLiteral(", "));
}

QString insertSql(const QString& table, const QStringList& cols) {
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

// The reads with their values under their own names, volts, cell status codes and request
// text, for dashboards and ad-hoc queries.
QString readValuesView() {
    QStringList cols = {QStringLiteral("r.id")};
    for (const Column& c : readColumnTable())
        if (!c.name.startsWith(QLatin1String("val")) && c.name != QLatin1String("request_id") &&
            c.name != QLatin1String("volts_exact"))
            cols << QStringLiteral("r.") + c.name;
    cols << QStringLiteral("t.command AS command") << QStringLiteral("t.text AS request");
    auto of = [](int kind, int val) {
        return QStringLiteral("CASE WHEN r.kind = %1 THEN r.val%2 END").arg(kind).arg(val);
    };
    const int cells = static_cast<int>(ReadKind::Cells), temps = static_cast<int>(ReadKind::Temps);
    for (int i = 1; i <= 12; ++i) cols << of(cells, i) + QStringLiteral(" AS c%1").arg(i);
    for (int i = 1; i <= 12; ++i) cols << QStringLiteral("(%1 - 512) * 0.0015 AS v%2").arg(of(cells, i)).arg(i);
    for (int i = 0; i < 3; ++i)
        cols << of(static_cast<int>(ReadKind::Flags), i + 1) + QStringLiteral(" AS flg%1").arg(i);
    const char* temp[] = {"etmp1", "etmp2", "itmp"};
    for (int i = 0; i < 3; ++i) cols << of(temps, i + 1) + QStringLiteral(" AS ") + QLatin1String(temp[i]);
    for (int i = 0; i < 3; ++i)
        cols << QStringLiteral("(%1 - 512) * 0.0015 AS %2_v").arg(of(temps, i + 1), QLatin1String(temp[i]));
    cols << of(temps, 4) + QStringLiteral(" AS thermal");
    for (int i = 0; i < 6; ++i)
        cols << of(static_cast<int>(ReadKind::Config), i + 1) + QStringLiteral(" AS cfg%1").arg(i);
    for (int i = 1; i <= 12; ++i) cols << QStringLiteral("(r.status >> %1) & 7 AS s%2").arg(3 * (i - 1)).arg(i);
    return QStringLiteral(
               "CREATE VIEW read_values AS SELECT %1 FROM reads r LEFT JOIN requests t ON t.id = "
               "r.request_id")
        .arg(cols.join(QStringLiteral(", ")));
}

// end_reason holds a RecordingEnd; a recording added by a program that does not set it gets
// Unknown. rows_dropped is the writer's count of rows lost, stored at its close.
QStringList endColumnsDdl(bool pg) {
    return {QStringLiteral("end_reason INTEGER NOT NULL DEFAULT %1").arg(static_cast<int>(RecordingEnd::Unknown)),
            QStringLiteral("rows_dropped %1 NOT NULL DEFAULT 0").arg(typeName(Type::Big, pg))};
}

// The tables every recording database holds.
const QStringList& requiredTables() {
    static const QStringList tables = {
        QStringLiteral("schema_version"), QStringLiteral("recordings"), QStringLiteral("recording_boards"),
        QStringLiteral("requests"),       QStringLiteral("reads"),      QStringLiteral("config_writes")};
    return tables;
}

// The tables of the schema in creation order.
QStringList schemaDdl(bool pg) {
    const QString id = pg ? QStringLiteral("id BIGSERIAL PRIMARY KEY") : QStringLiteral("id INTEGER PRIMARY KEY");
    const QString big = typeName(Type::Big, pg);
    return {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE recordings (%1, start_utc_ms %2 NOT NULL, end_utc_ms %2 NOT NULL DEFAULT 0, "
                       "host TEXT, label TEXT, program_version TEXT, link TEXT, controller_id TEXT, "
                       "board_count INTEGER, read_count %2 NOT NULL DEFAULT 0, write_count %2 NOT NULL DEFAULT 0, %3)")
            .arg(id, big, endColumnsDdl(pg).join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE recording_boards (recording_id %1 NOT NULL, slot INTEGER NOT NULL, "
                       "address TEXT, cfg_written TEXT, cfg_read_back TEXT, vuv_code INTEGER, vov_code INTEGER, "
                       "cdc INTEGER, PRIMARY KEY (recording_id, slot))")
            .arg(big),
        QStringLiteral("CREATE TABLE requests (%1, command TEXT NOT NULL, text TEXT NOT NULL, UNIQUE (command, text))")
            .arg(id),
        // A read's id is its recording's id times 2^32 plus its number in the recording, so
        // the reads of a recording are one range of the primary key and need no index.
        QStringLiteral("CREATE TABLE reads (id %1 PRIMARY KEY, %2)").arg(big, columnsDdl(readColumnTable(), pg)),
        readValuesView(),
        QStringLiteral("CREATE TABLE config_writes (%1, %2)").arg(id, columnsDdl(writeColumnTable(), pg)),
        QStringLiteral("CREATE INDEX config_writes_by_recording ON config_writes (recording_id, id)"),
        QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kSchemaVersion),
    };
}

QString connectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("zmx-record-%1").arg(counter.fetchAndAddRelaxed(1));
}

}  // namespace

const QStringList& readColumns() {
    static const QStringList cols = names(readColumnTable());
    return cols;
}

const QStringList& writeColumns() {
    static const QStringList cols = names(writeColumnTable());
    return cols;
}

QString insertReadSql() {
    return insertSql(QStringLiteral("reads"), QStringList{QStringLiteral("id")} + readColumns());
}
QString insertWriteSql() { return insertSql(QStringLiteral("config_writes"), writeColumns()); }

std::string errorText(const QString& what, const QSqlError& e) {
    QString text = e.text().simplified();
    if (text.isEmpty()) text = QStringLiteral("unknown database error");
    return (what.isEmpty() ? text : what + QStringLiteral(": ") + text).toStdString();
}

std::string hidePassword(const std::string& text) {
    const std::size_t scheme = text.find("://");
    if (scheme == std::string::npos) return text;
    const std::size_t begin = scheme + 3;
    // The user information ends at the last '@' (a malformed password may hold '/' or '?'):
    // masking too much is safe, showing a password is not.
    const std::size_t at = text.rfind('@');
    std::string out = text;
    const std::size_t colon = text.find(':', begin);
    if (at != std::string::npos && at >= begin && colon != std::string::npos && colon < at)
        out = text.substr(0, colon + 1) + "***" + text.substr(at);
    // A password may also come as a query parameter.
    for (std::size_t p = out.find("password="); p != std::string::npos; p = out.find("password=", p + 1)) {
        const std::size_t from = p + 9, to = std::min(out.find('&', from), out.size());
        out.replace(from, to - from, "***");
    }
    return out;
}

namespace {

// Connection parameters libpq takes in a URL's query that are passed on to it as they are
// (host, port, user, dbname and password are taken into the target's own fields).
const QStringList& passedParameters() {
    static const QStringList names = {QStringLiteral("hostaddr"),
                                      QStringLiteral("connect_timeout"),
                                      QStringLiteral("application_name"),
                                      QStringLiteral("options"),
                                      QStringLiteral("sslmode"),
                                      QStringLiteral("sslcert"),
                                      QStringLiteral("sslkey"),
                                      QStringLiteral("sslrootcert"),
                                      QStringLiteral("sslcrl"),
                                      QStringLiteral("gssencmode"),
                                      QStringLiteral("channel_binding"),
                                      QStringLiteral("keepalives"),
                                      QStringLiteral("keepalives_idle"),
                                      QStringLiteral("keepalives_interval"),
                                      QStringLiteral("keepalives_count"),
                                      QStringLiteral("tcp_user_timeout"),
                                      QStringLiteral("target_session_attrs"),
                                      QStringLiteral("passfile"),
                                      QStringLiteral("service")};
    return names;
}

// A value for a libpq "key='value'" pair.
QString quotedValue(QString v) {
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

}  // namespace

bool parseTarget(const std::string& text, Target* t, std::string* error) {
    const QString s = QString::fromStdString(text).trimmed();
    *t = {};
    if (s.isEmpty()) {
        *error = "no recording target given (a file path or a postgresql:// URL)";
        return false;
    }
    if (!s.startsWith(QLatin1String("postgresql://")) && !s.startsWith(QLatin1String("postgres://"))) {
        t->path = s;
        t->shown = s;
        return true;
    }
    const std::string hidden = hidePassword(s.toStdString());
    auto invalid = [&](const QString& why) {
        *error = "not a valid PostgreSQL URL (" + hidden + "): " + why.toStdString();
        return false;
    };
    const QUrl url(s, QUrl::StrictMode);
    if (!url.isValid()) {
        // Qt's message repeats the whole URL, password and all: only its first part is kept.
        QString why = url.errorString();
        const qsizetype source = why.indexOf(QLatin1String("; source was"));
        if (source >= 0) why.truncate(source);
        return invalid(why);
    }
    t->postgres = true;
    t->host = url.host();
    t->port = url.port(-1);
    t->user = url.userName();
    t->password = url.password();
    t->database = url.path().mid(1);
    QStringList options;
    for (const auto& [key, rawValue] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        const QString& value = rawValue;
        if (key == QLatin1String("host")) {
            t->host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            const int port = value.toInt(&ok);
            if (!ok || port < 1 || port > 65535) return invalid(QStringLiteral("port '%1' is not 1..65535").arg(value));
            t->port = port;
        } else if (key == QLatin1String("user")) {
            t->user = value;
        } else if (key == QLatin1String("dbname")) {
            t->database = value;
        } else if (key == QLatin1String("password")) {
            t->password = value;
        } else if (passedParameters().contains(key)) {
            // The Qt driver reads ';' in its options as a separator.
            if (value.contains(QLatin1Char(';')))
                return invalid(QStringLiteral("the value of %1 holds a ';', which cannot be passed on").arg(key));
            options << key + QLatin1Char('=') + quotedValue(value);
            if (key == QLatin1String("connect_timeout")) t->ownConnectTimeout = true;
        } else {
            return invalid(QStringLiteral("unknown parameter '%1' (known: host, port, user, dbname, password, %2)")
                               .arg(key, passedParameters().join(QStringLiteral(", "))));
        }
    }
    t->options = options.join(QLatin1Char(' '));
    if (t->database.isEmpty()) t->database = t->user.isEmpty() ? QStringLiteral("postgres") : t->user;
    QUrl shown = url;
    shown.setPassword(QString());
    QUrlQuery shownQuery(url);
    shownQuery.removeAllQueryItems(QStringLiteral("password"));
    shown.setQuery(shownQuery);
    t->shown = shown.toString();
    return true;
}

QSqlDatabase openConnection(const Target& t, bool forWriting, int connectTimeoutS, std::string* error) {
    const QString driver = t.postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        *error = QStringLiteral("%1: the Qt %2 driver is not installed (Debian package %3)")
                     .arg(t.shown, driver,
                          t.postgres ? QStringLiteral("libqt6sql6-psql") : QStringLiteral("libqt6sql6-sqlite"))
                     .toStdString();
        return {};
    }
    if (!t.postgres) {
        const QFileInfo fi(t.path);
        if (fi.exists() && fi.isDir()) {
            *error = t.path.toStdString() + ": is a folder, not a recording file";
            return {};
        }
        if (!forWriting && !fi.exists()) {
            *error = t.path.toStdString() + ": no such recording file";
            return {};
        }
        if (forWriting && !fi.exists() && !fi.absoluteDir().exists()) {
            *error = t.path.toStdString() + ": cannot create the recording, folder " +
                     QDir::toNativeSeparators(fi.absolutePath()).toStdString() + " does not exist";
            return {};
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName());
    if (t.postgres) {
        if (!t.host.isEmpty()) db.setHostName(t.host);
        if (t.port > 0) db.setPort(t.port);
        db.setDatabaseName(t.database);
        if (!t.user.isEmpty()) db.setUserName(t.user);
        if (!t.password.isEmpty()) db.setPassword(t.password);
        QStringList options;
        if (!t.ownConnectTimeout) options << QStringLiteral("connect_timeout=%1").arg(connectTimeoutS);
        if (!t.options.isEmpty()) options << t.options;
        db.setConnectOptions(options.join(QLatin1Char(' ')));
    } else {
        db.setDatabaseName(t.path);
        // A busy file (another writer, a backup) is waited for a little, then reported.
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(forWriting ? 2000 : 5000);
        if (!forWriting) options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
    }
    if (!db.open()) {
        *error = errorText(t.shown + (forWriting && !t.postgres ? QStringLiteral(": cannot open or create")
                                                                : QStringLiteral(": cannot open")),
                           db.lastError());
        dropConnection(db);
        return {};
    }
    if (!t.postgres) {
        QSqlQuery q(db);
        // A file that is not a database fails here at the latest.
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            *error = errorText(t.shown, q.lastError());
            q = QSqlQuery();
            dropConnection(db);
            return {};
        }
    }
    return db;
}

void dropConnection(QSqlDatabase& db) {
    const QString name = db.connectionName();
    if (db.isOpen()) db.close();
    db = QSqlDatabase();
    if (!name.isEmpty()) QSqlDatabase::removeDatabase(name);
}

bool hasEndColumns(const QSqlDatabase& db) {
    const QSqlRecord r = db.record(QStringLiteral("recordings"));
    return r.contains(QStringLiteral("end_reason")) && r.contains(QStringLiteral("rows_dropped"));
}

namespace {

// What a database holds of the schema.
struct SchemaSeen {
    QStringList tables;
    bool hasVersion = false;
    int version = 0;
    QStringList missing;  // required tables absent (with schema_version present)
    bool endColumns = false;
};

bool inspect(QSqlDatabase& db, const QString& shown, SchemaSeen* seen, std::string* error) {
    *seen = {};
    seen->tables = db.tables();
    seen->hasVersion = seen->tables.contains(QStringLiteral("schema_version"));
    if (!seen->hasVersion) return true;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT max(version) FROM schema_version")) || !q.next()) {
        *error = errorText(shown + QStringLiteral(": cannot read the schema version"), q.lastError());
        return false;
    }
    seen->version = q.value(0).toInt();
    for (const QString& t : requiredTables())
        if (!seen->tables.contains(t)) seen->missing << t;
    seen->endColumns = seen->missing.isEmpty() && hasEndColumns(db);
    return true;
}

// Whether a writer has something to make: the whole schema in an empty database, or the end
// columns in a complete one of this version.
bool needsMaking(const SchemaSeen& s) {
    if (!s.hasVersion) return s.tables.isEmpty();
    return s.version == kSchemaVersion && s.missing.isEmpty() && !s.endColumns;
}

}  // namespace

bool checkSchema(QSqlDatabase& db, const Target& t, bool create, int* version, std::string* error) {
    const QString shown = t.shown;
    auto fail = [&](const QString& why) {
        *error = (shown + QStringLiteral(": ") + why).toStdString();
        return false;
    };
    SchemaSeen seen;
    if (!inspect(db, shown, &seen, error)) return false;
    if (create && needsMaking(seen)) {
        // Writers starting together take turns: SQLite's write lock (BEGIN IMMEDIATE waits out
        // the busy time-out) or a PostgreSQL transaction lock. Under it the database is looked
        // at again, as another writer may have made the schema meanwhile.
        QSqlQuery q(db);
        const QString begin = t.postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
        bool ok = q.exec(begin);
        if (ok && t.postgres) ok = q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(77300001)"));
        if (!ok) return fail(QString::fromStdString(errorText(QStringLiteral("cannot lock it"), q.lastError())));
        QStringList ddl;
        ok = inspect(db, shown, &seen, error);
        if (ok && !seen.hasVersion && seen.tables.isEmpty()) {
            ddl = schemaDdl(t.postgres);
        } else if (ok && needsMaking(seen)) {
            for (const QString& column : endColumnsDdl(t.postgres))
                ddl << QStringLiteral("ALTER TABLE recordings ADD COLUMN ") + column;
        }
        for (const QString& statement : ddl)
            if (ok && !q.exec(statement)) {
                *error = errorText(shown + QStringLiteral(": cannot create the schema"), q.lastError());
                ok = false;
            }
        if (!ok || !q.exec(QStringLiteral("COMMIT"))) {
            if (ok) *error = errorText(shown + QStringLiteral(": cannot create the schema"), q.lastError());
            q.exec(QStringLiteral("ROLLBACK"));
            return false;
        }
        if (!inspect(db, shown, &seen, error)) return false;
    }
    if (!seen.hasVersion) {
        if (!seen.tables.isEmpty())
            return fail(QStringLiteral("holds tables of another program (%1), not a recording; left as it is")
                            .arg(seen.tables.mid(0, 5).join(QStringLiteral(", "))));
        return fail(QStringLiteral("holds no recording"));
    }
    if (seen.version != kSchemaVersion)
        return fail(QStringLiteral("holds recordings of schema version %1; this program reads and writes version %2 "
                                   "only (%3); the file is left as it is")
                        .arg(seen.version)
                        .arg(kSchemaVersion)
                        .arg(seen.version > kSchemaVersion ? QStringLiteral("made by a newer program")
                                                           : QStringLiteral("made by an older program")));
    if (!seen.missing.isEmpty())
        return fail(QStringLiteral("is not a whole recording database, tables missing: %1; left as it is")
                        .arg(seen.missing.join(QStringLiteral(", "))));
    if (version) *version = seen.version;
    return true;
}

bool WriterLock::take(QSqlDatabase& db, const Target& t, int64_t recordingId, std::string* error) {
    if (t.postgres) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT pg_try_advisory_lock(?)"));
        q.addBindValue(QVariant::fromValue<qint64>(-recordingId));
        if (!q.exec() || !q.next()) {
            *error = errorText(t.shown + QStringLiteral(": cannot take the recording's writer lock"), q.lastError());
            return false;
        }
        if (!q.value(0).toBool()) {
            *error = t.shown.toStdString() + ": the recording's writer lock is held by another connection";
            return false;
        }
        return true;
    }
    if (fd_ < 0) {
        const QByteArray file = QFile::encodeName(t.path + QStringLiteral("-writers"));
        fd_ = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            *error = file.toStdString() + ": " + std::strerror(errno);
            return false;
        }
    }
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(recordingId);
    lock.l_len = 1;
    if (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
        *error = t.path.toStdString() + "-writers: " + std::strerror(errno);
        return false;
    }
    return true;
}

void WriterLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool writerAlive(QSqlDatabase& db, const Target& t, int64_t recordingId) {
    if (t.postgres) {
        // Looked up rather than tried, so the writer is never kept from its own lock. A bigint
        // key shows as its high half in classid and its low half in objid.
        const auto key = static_cast<uint64_t>(-recordingId);
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND granted AND objsubid = 1 "
                           "AND database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
                           "AND classid::bigint = ? AND objid::bigint = ?"));
        q.addBindValue(QVariant::fromValue<qint64>(static_cast<qint64>(key >> 32)));
        q.addBindValue(QVariant::fromValue<qint64>(static_cast<qint64>(key & 0xFFFFFFFFu)));
        return q.exec() && q.next() && q.value(0).toLongLong() > 0;
    }
    const QByteArray file = QFile::encodeName(t.path + QStringLiteral("-writers"));
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;  // no writer ever held a lock here
    // A read lock asked for conflicts with the writer's write lock: the answer names it.
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(recordingId);
    lock.l_len = 1;
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace zmx::store
