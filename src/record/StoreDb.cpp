#include "record/StoreDb.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <vector>

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
// unless they differ from it. The request text, the same for every read of a command and
// board, is kept once in request_texts. val1..val12 hold the values of the read's kind
// (cells: the codes of cells 1..12; flags: FLGR0..2; temperatures: ETMP1, ETMP2, ITMP codes
// and the thermal bit; configuration: CFGR0..5); the read_values view names them.
std::vector<Column> readColumnTable() {
    std::vector<Column> c = {{"recording_id", Type::Big},  {"utc_ms", Type::Big},        {"slot", Type::Small},
                             {"address", Type::Text},      {"kind", Type::Small},        {"command", Type::Text},
                             {"request_id", Type::Big},    {"reply", Type::Text},        {"data_len", Type::Small},
                             {"data", Type::Blob},         {"rx_pec", Type::Small},      {"calc_pec", Type::Small},
                             {"pec_ok", Type::Small},      {"round_trip_us", Type::Int}, {"lamp", Type::Small},
                             {"first_cell", Type::Small},  {"cell_count", Type::Small}};
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
    cols << QStringLiteral("t.text AS request");
    auto of = [](int kind, int val) { return QStringLiteral("CASE WHEN r.kind = %1 THEN r.val%2 END").arg(kind).arg(val); };
    const int cells = static_cast<int>(ReadKind::Cells), temps = static_cast<int>(ReadKind::Temps);
    for (int i = 1; i <= 12; ++i) cols << of(cells, i) + QStringLiteral(" AS c%1").arg(i);
    for (int i = 1; i <= 12; ++i) cols << QStringLiteral("(%1 - 512) * 0.0015 AS v%2").arg(of(cells, i)).arg(i);
    for (int i = 0; i < 3; ++i) cols << of(static_cast<int>(ReadKind::Flags), i + 1) + QStringLiteral(" AS flg%1").arg(i);
    const char* temp[] = {"etmp1", "etmp2", "itmp"};
    for (int i = 0; i < 3; ++i) cols << of(temps, i + 1) + QStringLiteral(" AS ") + QLatin1String(temp[i]);
    for (int i = 0; i < 3; ++i)
        cols << QStringLiteral("(%1 - 512) * 0.0015 AS %2_v").arg(of(temps, i + 1), QLatin1String(temp[i]));
    cols << of(temps, 4) + QStringLiteral(" AS thermal");
    for (int i = 0; i < 6; ++i) cols << of(static_cast<int>(ReadKind::Config), i + 1) + QStringLiteral(" AS cfg%1").arg(i);
    for (int i = 1; i <= 12; ++i) cols << QStringLiteral("(r.status >> %1) & 7 AS s%2").arg(3 * (i - 1)).arg(i);
    return QStringLiteral("CREATE VIEW read_values AS SELECT %1 FROM reads r LEFT JOIN request_texts t ON t.id = "
                          "r.request_id")
        .arg(cols.join(QStringLiteral(", ")));
}

// The tables of the schema in creation order.
QStringList schemaDdl(bool pg) {
    const QString id = pg ? QStringLiteral("id BIGSERIAL PRIMARY KEY") : QStringLiteral("id INTEGER PRIMARY KEY");
    const QString big = typeName(Type::Big, pg);
    return {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE recordings (%1, start_utc_ms %2 NOT NULL, end_utc_ms %2 NOT NULL DEFAULT 0, "
                       "host TEXT, label TEXT, program_version TEXT, link TEXT, controller_id TEXT, "
                       "board_count INTEGER, read_count %2 NOT NULL DEFAULT 0, write_count %2 NOT NULL DEFAULT 0)")
            .arg(id, big),
        QStringLiteral("CREATE TABLE recording_boards (recording_id %1 NOT NULL, slot INTEGER NOT NULL, "
                       "address TEXT, cfg_written TEXT, cfg_read_back TEXT, vuv_code INTEGER, vov_code INTEGER, "
                       "cdc INTEGER, PRIMARY KEY (recording_id, slot))")
            .arg(big),
        QStringLiteral("CREATE TABLE request_texts (%1, text TEXT NOT NULL UNIQUE)").arg(id),
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

QString insertReadSql() { return insertSql(QStringLiteral("reads"), QStringList{QStringLiteral("id")} + readColumns()); }
QString insertWriteSql() { return insertSql(QStringLiteral("config_writes"), writeColumns()); }

std::string errorText(const QString& what, const QSqlError& e) {
    QString text = e.text().simplified();
    if (text.isEmpty()) text = QStringLiteral("unknown database error");
    return (what.isEmpty() ? text : what + QStringLiteral(": ") + text).toStdString();
}

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
    const QUrl url(s, QUrl::StrictMode);
    if (!url.isValid()) {
        *error = "not a valid PostgreSQL URL: " + url.errorString().toStdString();
        return false;
    }
    t->postgres = true;
    t->host = url.host();
    t->port = url.port(-1);
    t->user = url.userName();
    t->password = url.password();
    t->database = url.path().mid(1);
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        t->host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (t->database.isEmpty()) t->database = t->user.isEmpty() ? QStringLiteral("postgres") : t->user;
    QUrl shown = url;
    shown.setPassword(QString());
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
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(connectTimeoutS));
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

bool checkSchema(QSqlDatabase& db, const Target& t, bool create, int* version, std::string* error) {
    const QString shown = t.shown;
    auto fail = [&](const QString& why) {
        *error = (shown + QStringLiteral(": ") + why).toStdString();
        return false;
    };
    QSqlQuery q(db);
    auto readVersion = [&](bool* hasTable, int* v) -> bool {
        const QStringList tables = db.tables();
        *hasTable = tables.contains(QStringLiteral("schema_version"));
        if (!*hasTable) return true;
        if (!q.exec(QStringLiteral("SELECT max(version) FROM schema_version")) || !q.next()) {
            *error = errorText(shown + QStringLiteral(": cannot read the schema version"), q.lastError());
            return false;
        }
        *v = q.value(0).toInt();
        return true;
    };
    bool hasTable = false;
    int v = 0;
    if (!readVersion(&hasTable, &v)) return false;
    if (!hasTable) {
        const QStringList tables = db.tables();
        if (!tables.isEmpty())
            return fail(QStringLiteral("holds tables of another program (%1), not a recording; left as it is")
                            .arg(tables.mid(0, 5).join(QStringLiteral(", "))));
        if (!create) return fail(QStringLiteral("holds no recording"));
        // One transaction, so a second bench starting at the same moment either sees the
        // whole schema or none of it; PostgreSQL serialises the creators with a lock.
        if (!db.transaction()) return fail(QString::fromStdString(errorText({}, db.lastError())));
        bool ok = true;
        if (t.postgres) ok = q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(77300001)"));
        // Another creator may have finished while this one waited for the lock.
        const bool raced = ok && t.postgres && db.tables().contains(QStringLiteral("schema_version"));
        if (!raced)
            for (const QString& ddl : schemaDdl(t.postgres))
                if (ok && !q.exec(ddl)) ok = false;
        if (!ok) {
            const std::string why = errorText(shown + QStringLiteral(": cannot create the schema"), q.lastError());
            db.rollback();
            *error = why;
            return false;
        }
        if (!db.commit()) {
            *error = errorText(shown + QStringLiteral(": cannot create the schema"), db.lastError());
            return false;
        }
        if (!readVersion(&hasTable, &v)) return false;
    }
    if (v != kSchemaVersion)
        return fail(QStringLiteral("holds recordings of schema version %1; this program reads and writes version %2 "
                                   "only (%3); the file is left as it is")
                        .arg(v)
                        .arg(kSchemaVersion)
                        .arg(v > kSchemaVersion ? QStringLiteral("made by a newer program")
                                                : QStringLiteral("made by an older program")));
    if (version) *version = v;
    return true;
}

}  // namespace zmx::store
