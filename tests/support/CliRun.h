#pragma once
// Runs the built zmx7730-cli (or another of the programs) as a user would, keeps what it
// printed and its exit status, and looks at the files it leaves.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTest>

namespace zmx::test {

struct Run {
    int code = -1;  // -1 when the program crashed or did not end
    QString out, err;
};

inline QString program(const char* name = "zmx7730-cli") {
    return QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath(name);
}

inline Run cli(const QStringList& args, const QString& dir = {}) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program(), args);
    if (!p.waitForFinished(60000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// What the program printed on standard output, as JSON (--json).
inline QJsonObject json(const Run& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

inline void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Reads a recording database holds so far (0 while it cannot be read).
inline int storedReads(const QString& db) {
    int n = 0;
    {
        QSqlDatabase store = QSqlDatabase::addDatabase("QSQLITE", "count");
        store.setDatabaseName(db);
        store.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (store.open()) {
            QSqlQuery q(store);
            if (q.exec("SELECT count(*) FROM reads") && q.next()) n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase("count");
    return n;
}

// Every board converting in CDC 1, with thresholds every simulated cell stays between.
const QByteArray kCdc1 = R"({"boards": {"all": {"cdc": 1, "vuv": 3.0, "vov": 4.2}}})";

}  // namespace zmx::test
