// The recording store against a real PostgreSQL server the test starts itself: a session's
// reads round trip and can be queried by any client; a server that stops mid-recording
// holds the rows in the queue (counting exactly what goes beyond its bound) and gets them
// once it is back; a database of another schema version is refused untouched.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "record/RecordExport.h"
#include "record/RecordReader.h"
#include "record/RecordRig.h"
#include "record/RecordWriter.h"
#include "support/PgServer.h"

using namespace zmx;
using namespace zmx::test;

class TestRecordPostgres : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTripAndQuery();
    void serverGoesAwayAndComesBack();
    void refusesOtherSchemaVersion();

private:
    // One value of a query on the server, through a connection of the test's own.
    QVariant scalar(const QString& sql, const QString& database = QStringLiteral("postgres"));
    QString url(const QString& database = QStringLiteral("postgres")) const {
        QString u = server_.url();
        return u.replace(QStringLiteral("/postgres?"), QStringLiteral("/%1?").arg(database));
    }
    PgServer server_;
    QTemporaryDir tmp_;
};

void TestRecordPostgres::initTestCase() {
    QVERIFY2(QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")),
             "the Qt PostgreSQL driver is missing: scripts/deps installs libqt6sql6-psql");
    QVERIFY2(server_.setUp(),
             qPrintable(QStringLiteral("the throwaway PostgreSQL server did not start: ") + server_.error()));
}

QVariant TestRecordPostgres::scalar(const QString& sql, const QString& database) {
    QVariant out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("probe"));
        const QUrl u(url(database));
        db.setHostName(QUrlQuery(u).queryItemValue(QStringLiteral("host")));
        db.setPort(u.port());
        db.setUserName(u.userName());
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery q(db);
            if (!q.exec(sql)) qWarning() << sql << q.lastError().text();
            else if (q.next()) out = q.value(0);
        } else {
            qWarning() << db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return out;
}

void TestRecordPostgres::roundTripAndQuery() {
    StackRig rig(3);
    QVERIFY(rig.ok);
    std::string error;
    auto writer = RecordWriter::open(url().toStdString(), rig.context("line 2"), &error);
    QVERIFY2(writer, error.c_str());
    QVERIFY(writer->status().target.find("postgresql://") == 0);
    rig.session->addListener(writer.get());
    rig.passes(2);
    rig.session->removeListener(writer.get());
    const WriterStatus st = writer->close();
    QCOMPARE(st.rowsDropped, 0);
    const int64_t id = st.recordingId;

    // Any client (a dashboard) sees the rows.
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM reads WHERE recording_id = %1").arg(id)).toLongLong(),
             int64_t(rig.log.reads.size()));
    QCOMPARE(scalar(QStringLiteral("SELECT label FROM recordings WHERE id = %1").arg(id)).toString(),
             QStringLiteral("line 2"));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM read_values WHERE command = 'RDCV' AND v1 BETWEEN 3.5 AND 3.9 "
                                   "AND recording_id = %1")
                        .arg(id))
                 .toInt(),
             6);

    auto reader = RecordReader::open(url().toStdString(), &error);
    QVERIFY2(reader, error.c_str());
    QCOMPARE(*reader->latestId(), id);
    const auto reads = reader->reads(id, 0, 1000);
    QCOMPARE(reads.size(), rig.log.reads.size());
    for (std::size_t i = 0; i < reads.size(); ++i) {
        compareStored(reads[i].read, rig.log.reads[i]);
        if (QTest::currentTestFailed()) QFAIL(qPrintable(QStringLiteral("read %1 differs").arg(i)));
    }
    QCOMPARE(reader->context(id)->boards.size(), std::size_t{3});
    ExportStats stats;
    QVERIFY2(exportCsv(*reader, id, tmp_.filePath(QStringLiteral("pg.csv")).toStdString(), &error, &stats),
             error.c_str());
    QCOMPARE(stats.rows, 6);
}

void TestRecordPostgres::serverGoesAwayAndComesBack() {
    std::string error;
    WriterOptions opt;
    opt.queueBound = 40;
    opt.retryMs = 100;
    opt.batchMs = 20;
    RecordingContext ctx;
    ctx.label = "outage";
    auto writer = RecordWriter::open(url().toStdString(), ctx, &error, opt);
    QVERIFY2(writer, error.c_str());
    int64_t t = 1;
    for (int i = 0; i < 10; ++i) writer->onRead(syntheticRead(t++));
    QVERIFY(writer->flush(10000));

    QVERIFY2(server_.stop(), qPrintable(server_.error()));
    // The session goes on handing rows; none of this waits for the database.
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 25; ++i) writer->onRead(syntheticRead(t++));
    QVERIFY(timer.elapsed() < 1000);
    QTRY_VERIFY_WITH_TIMEOUT(!writer->status().answering, 15000);
    for (int i = 0; i < 25; ++i) writer->onRead(syntheticRead(t++));
    WriterStatus st = writer->status();
    QCOMPARE(st.rowsWritten, 10);
    QCOMPARE(st.rowsQueued, 40);
    QCOMPARE(st.rowsDropped, 10);  // 50 offered while away, 40 kept
    QVERIFY(!st.lastError.empty());
    auto events = writer->takeEvents();
    QVERIFY(std::any_of(events.begin(), events.end(),
                        [](const std::string& e) { return e.find("not answering") != std::string::npos; }));
    QVERIFY(std::any_of(events.begin(), events.end(),
                        [](const std::string& e) { return e.find("10 rows dropped") != std::string::npos; }));

    QVERIFY2(server_.start(), qPrintable(server_.error()));
    QVERIFY(writer->flush(30000));
    st = writer->close();
    QVERIFY(st.answering);
    QCOMPARE(st.rowsWritten, 50);
    QCOMPARE(st.rowsDropped, 10);
    events = writer->takeEvents();
    QVERIFY(std::any_of(events.begin(), events.end(),
                        [](const std::string& e) { return e.find("answering again") != std::string::npos; }));
    // Exactly the first 50 rows, in order, once each.
    QCOMPARE(
        scalar(QStringLiteral("SELECT count(*) FROM reads WHERE recording_id = %1").arg(st.recordingId)).toLongLong(),
        50);
    QCOMPARE(scalar(QStringLiteral("SELECT count(DISTINCT utc_ms) FROM reads WHERE recording_id = %1 AND utc_ms "
                                   "BETWEEN 1 AND 50")
                        .arg(st.recordingId))
                 .toLongLong(),
             50);
    QCOMPARE(scalar(QStringLiteral("SELECT read_count FROM recordings WHERE id = %1").arg(st.recordingId)).toLongLong(),
             50);
}

void TestRecordPostgres::refusesOtherSchemaVersion() {
    QVERIFY(scalar(QStringLiteral("SELECT 1")).isValid());
    scalar(QStringLiteral("CREATE DATABASE later"));
    scalar(QStringLiteral("CREATE TABLE schema_version (version INTEGER)"), QStringLiteral("later"));
    scalar(QStringLiteral("INSERT INTO schema_version VALUES (3)"), QStringLiteral("later"));
    std::string error;
    QVERIFY(!RecordWriter::open(url(QStringLiteral("later")).toStdString(), {}, &error));
    QVERIFY2(error.find("version 3") != std::string::npos, error.c_str());
    QVERIFY(!RecordReader::open(url(QStringLiteral("later")).toStdString(), &error));
    QVERIFY2(error.find("version 3") != std::string::npos, error.c_str());
    QCOMPARE(
        scalar(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), QStringLiteral("later"))
            .toInt(),
        1);
    QCOMPARE(scalar(QStringLiteral("SELECT max(version) FROM schema_version"), QStringLiteral("later")).toInt(), 3);
}

QTEST_GUILESS_MAIN(TestRecordPostgres)
#include "tst_recordpostgres.moc"
