#pragma once
// The database side shared by the writer and the reader: what a target text names, a
// connection to it, and the schema (its tables, its version, its creation).

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

namespace zmx::store {

// The schema version this program writes and reads. Columns added later (a recording's end
// and dropped count) keep it: programs that do not know them still read and write the
// database, and a writer adds them to a database that lacks them.
inline constexpr int kSchemaVersion = 1;

struct Target {
    bool postgres = false;
    QString path;  // SQLite file
    QString host;  // PostgreSQL host name or Unix socket folder
    int port = -1;
    QString database, user, password;
    QString shown;                   // the target for messages, without the password
    QString options;                 // further libpq parameters of the URL, "key='value' ..."
    bool ownConnectTimeout = false;  // the URL sets connect_timeout itself
};

// A file path, or postgresql://[user[:password]@][host][:port]/database[?param=value&...] with
// the connection parameters libpq takes in a URL (host=/socket/dir, port, sslmode, ...).
bool parseTarget(const std::string& text, Target* target, std::string* error);
// The text with the password of a URL in it masked ("postgresql://u:***@h/db").
std::string hidePassword(const std::string& text);

// A new connection under a name of its own; it belongs to the calling thread. For SQLite a
// writer creates the file, a reader opens it read-only and requires it to exist.
QSqlDatabase openConnection(const Target& t, bool forWriting, int connectTimeoutS, std::string* error);
// Closes and forgets the connection (call on the thread that opened it).
void dropConnection(QSqlDatabase& db);

// Checks the schema version and that every table is there. With create, a database holding
// no tables gets the schema and one lacking the end columns gets them, under a lock so that
// writers starting together on a new database all succeed. False with a message when the
// database is another program's, incomplete, or of a version this program does not read;
// nothing is changed then.
bool checkSchema(QSqlDatabase& db, const Target& t, bool create, int* version, std::string* error);
// Whether recordings has the end_reason and rows_dropped columns.
bool hasEndColumns(const QSqlDatabase& db);

// Held by a recording's writer while it writes and gone with its process, so that a reader
// tells a recording still written from one whose writer was killed. SQLite: a lock on byte
// <id> of the file "<database>-writers" beside it (open file description locks, which also
// tell two connections of one process apart); PostgreSQL: a session advisory lock on key
// -<id> held by the writer's connection.
class WriterLock {
public:
    WriterLock() = default;
    ~WriterLock() { release(); }
    // False with a message when the lock cannot be taken.
    bool take(QSqlDatabase& db, const Target& t, int64_t recordingId, std::string* error);
    void release();  // SQLite: closes the lock file; PostgreSQL: the connection's end releases
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int fd_ = -1;
};
// Whether a live writer holds recording id's lock.
bool writerAlive(QSqlDatabase& db, const Target& t, int64_t recordingId);

// The reads of recording r have ids in (r << kReadIdBits, (r + 1) << kReadIdBits), which
// leaves room for recording ids up to kMaxRecordingId in a 64-bit key.
inline constexpr int kReadIdBits = 32;
inline constexpr int64_t kMaxRecordingId = (int64_t{1} << (63 - kReadIdBits)) - 1;
inline constexpr int64_t readId(int64_t recordingId, int64_t number) { return (recordingId << kReadIdBits) + number; }
// The first id past the reads of recording r (r at most kMaxRecordingId).
inline constexpr int64_t readIdEnd(int64_t recordingId) {
    return recordingId >= kMaxRecordingId ? INT64_MAX : readId(recordingId + 1, 0);
}

// Column names of the reads table after id, in insert order.
const QStringList& readColumns();
const QStringList& writeColumns();

// "INSERT INTO reads (id, ...) VALUES (?, ...)"
QString insertReadSql();
QString insertWriteSql();

// The driver's message for a failed query or connection, on one line.
std::string errorText(const QString& what, const QSqlError& e);

}  // namespace zmx::store
