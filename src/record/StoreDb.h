#pragma once
// The database side shared by the writer and the reader: what a target text names, a
// connection to it, and the schema (its tables, its version, its creation).

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

namespace zmx::store {

// The schema version this program writes and reads.
inline constexpr int kSchemaVersion = 1;

struct Target {
    bool postgres = false;
    QString path;  // SQLite file
    QString host;  // PostgreSQL host name or Unix socket folder
    int port = -1;
    QString database, user, password;
    QString shown;  // the target for messages, without the password
};

// A file path, or postgresql://[user[:password]@][host][:port]/database[?host=/socket/dir].
bool parseTarget(const std::string& text, Target* target, std::string* error);

// A new connection under a name of its own; it belongs to the calling thread. For SQLite a
// writer creates the file, a reader opens it read-only and requires it to exist.
QSqlDatabase openConnection(const Target& t, bool forWriting, int connectTimeoutS, std::string* error);
// Closes and forgets the connection (call on the thread that opened it).
void dropConnection(QSqlDatabase& db);

// Checks the schema version. With create, a database holding no recording tables gets the
// schema. False with a message when the database is another program's, or of a version
// this program does not read; nothing is changed then.
bool checkSchema(QSqlDatabase& db, const Target& t, bool create, int* version, std::string* error);

// The reads of recording r have ids in (r << kReadIdBits, (r + 1) << kReadIdBits).
inline constexpr int kReadIdBits = 32;
inline constexpr int64_t readId(int64_t recordingId, int64_t number) {
    return (recordingId << kReadIdBits) + number;
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
