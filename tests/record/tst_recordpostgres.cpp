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
#include "record/RecordWriter.h"
#include "support/PgServer.h"
#include "support/RecordRig.h"
#include "support/TestMain.h"

using namespace zmx;
using namespace zmx::test;

class TestRecordPostgres : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTripAndQuery();
    void serverGoesAwayAndComesBack();
    void refusesOtherSchemaVersion();
    void urlFormsAndRecordingEnds_data();
    void urlFormsAndRecordingEnds();

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
    // The export's packed query gives the same values on this server.
    const auto values = reader->readValues(id, 0, 1000);
    QCOMPARE(values.size(), reads.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const BoardRead& v = values[i].read;
        const BoardRead& want = rig.log.reads[i];
        QCOMPARE(values[i].rowId, reads[i].rowId);
        QCOMPARE(v.kind, want.kind);
        QCOMPARE(v.address, want.address);
        QCOMPARE(v.pecMatch, want.pecMatch);
        QCOMPARE(v.cellStatus, want.cellStatus);
        if (want.kind == ReadKind::Cells) {
            QCOMPARE(v.firstCell, want.firstCell);
            QCOMPARE(v.cellCount, want.cellCount);
            QCOMPARE(v.cellVolts, want.cellVolts);
        }
        if (want.kind == ReadKind::Flags) QCOMPARE(v.flags, want.flags);
        if (want.kind == ReadKind::Temps) QCOMPARE(v.tempVolts, want.tempVolts);
        if (want.kind == ReadKind::Config) QCOMPARE(v.config, want.config);
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

void TestRecordPostgres::urlFormsAndRecordingEnds_data() {
    // form: how the URL names the server's port. how: the end close() is given; Open: a
    // recording left open by a writer that is gone (its row written directly).
    QTest::addColumn<QString>("form");
    QTest::addColumn<int>("how");
    QTest::newRow("port in the authority") << "authority" << int(RecordingEnd::Finished);
    QTest::newRow("port as a parameter") << "parameter" << int(RecordingEnd::ControllerLost);
    QTest::newRow("writer gone") << "authority" << int(RecordingEnd::Open);
}

void TestRecordPostgres::urlFormsAndRecordingEnds() {
    QFETCH(QString, form);
    QFETCH(int, how);
    const QUrl server(url());
    const QString target =
        form == QLatin1String("authority")
            ? url()
            : QStringLiteral("postgresql://%1@/postgres?host=%2&port=%3&sslmode=disable&application_name=bench")
                  .arg(server.userName(), QUrlQuery(server).queryItemValue(QStringLiteral("host")))
                  .arg(server.port());
    std::string error;
    auto writer = RecordWriter::open(target.toStdString(), {}, &error);
    QVERIFY2(writer, error.c_str());
    int64_t id = writer->recordingId();
    writer->onRead(syntheticRead(42));
    QVERIFY(writer->flush(10000));
    auto reader = RecordReader::open(target.toStdString(), &error);
    QVERIFY2(reader, error.c_str());
    QCOMPARE(reader->info(id)->end, RecordingEnd::Open);  // its writer holds the lock
    const RecordingEnd want = static_cast<RecordingEnd>(how);
    if (want == RecordingEnd::Open) {
        // A recording whose writer died holds no lock: it reads as interrupted.
        id = scalar(QStringLiteral("INSERT INTO recordings (start_utc_ms, end_reason) VALUES (1, 0) RETURNING id"))
                 .toLongLong();
        QVERIFY(id > 0);
        QCOMPARE(reader->info(id)->end, RecordingEnd::Interrupted);
        QCOMPARE(reader->info(writer->recordingId())->end, RecordingEnd::Open);
        return;
    }
    const WriterStatus st = writer->close(10000, want);
    QVERIFY(st.endStored);
    QCOMPARE(reader->info(id)->end, want);
    QCOMPARE(reader->info(id)->rowsDropped, int64_t(0));
}

ZMX_TEST_MAIN(tst_recordpostgres, TestRecordPostgres, Core)
#include "tst_recordpostgres.moc"
