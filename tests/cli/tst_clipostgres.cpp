// zmx7730-cli recording into a PostgreSQL server the test starts itself, then listing,
// exporting and replaying from the same postgresql:// URL, as benches sharing one server do.

#include <QtTest>

#include "support/CliRun.h"
#include "support/PgServer.h"
#include "support/TestMain.h"

using namespace zmx::test;

class TestCliPostgres : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recordListExportReplay();
    void replayFollowOutlastsAServerRestart();

private:
    PgServer server_;
    QTemporaryDir dir_;
};

void TestCliPostgres::initTestCase() {
    if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
    QVERIFY2(server_.setUp(), qPrintable("the throwaway PostgreSQL server did not start: " + server_.error()));
    QFile f(dir_.filePath("cdc1.json"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"({"boards": {"all": {"cdc": 1}}})");
}

void TestCliPostgres::recordListExportReplay() {
    const QString url = server_.url();
    const QString config = dir_.filePath("cdc1.json");
    for (const char* label : {"bench A", "bench B"}) {
        const Run r = cli({"--simulate", "--sim-boards", "3", "--boards", "3", "record", "--config", config, "--to",
                           url, "--duration", "1.5", "--label", label});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // The summary names the database written to.
        QVERIFY(r.out.contains("postgresql://"));
    }

    Run r = cli({"--json", "list", url});
    QCOMPARE(r.code, 0);
    const QJsonArray list = QJsonDocument::fromJson(r.out.toUtf8()).object()["recordings"].toArray();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[1].toObject()["label"].toString(), QString("bench B"));
    const qint64 reads = list[0].toObject()["reads"].toInteger();
    QVERIFY2(reads >= 13 && reads <= 16, qPrintable(QString::number(reads)));  // one a tick for 1.5 s

    const QString csv = dir_.filePath("a.csv");
    r = cli({"export", url, "--csv", csv, "--recording", QString::number(list[0].toObject()["id"].toInteger())});
    QCOMPARE(r.code, 0);
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() - 1 >= 4 && lines.size() - 1 <= 6, qPrintable(QString::number(lines.size())));
    QVERIFY(lines[1].contains(QRegularExpression(R"(,3\.\d{4},)")));

    r = cli({"--json", "replay", url});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.count('\n') >= 13);
}

void TestCliPostgres::replayFollowOutlastsAServerRestart() {
    // A recording under way, followed by replay; the server restarts in the middle of both.
    const QString url = server_.url();
    const QString bin = QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath("zmx7730-cli");
    QProcess record, follow;
    record.start(bin, {"--simulate", "--sim-boards", "2", "--boards", "2", "record", "--config",
                       dir_.filePath("cdc1.json"), "--to", url, "--duration", "10", "--label", "restart"});
    QString recordErr, followOut, followErr;
    QTRY_VERIFY_WITH_TIMEOUT((recordErr += QString::fromUtf8(record.readAllStandardError())).contains("recording "),
                             20000);
    const QString id = QRegularExpression(R"(recording (\d+) to)").match(recordErr).captured(1);
    QVERIFY2(!id.isEmpty(), qPrintable(recordErr));
    follow.start(bin, {"--json", "replay", url, "--recording", id, "--follow"});
    const auto rowsSeen = [&] {
        followOut += QString::fromUtf8(follow.readAllStandardOutput());
        followErr += QString::fromUtf8(follow.readAllStandardError());
        return followOut.count('\n');
    };
    QTRY_VERIFY_WITH_TIMEOUT(rowsSeen() >= 3, 20000);
    QVERIFY2(server_.stop(), qPrintable(server_.error()));
    QTRY_VERIFY_WITH_TIMEOUT((rowsSeen(), followErr.contains("database not answering")), 20000);
    QVERIFY2(followErr.contains("waiting"), qPrintable(followErr));
    QVERIFY2(server_.start(), qPrintable(server_.error()));
    QTRY_VERIFY_WITH_TIMEOUT((rowsSeen(), followErr.contains("database answering again")), 20000);
    QVERIFY(record.waitForFinished(60000));
    QVERIFY2(record.exitCode() == 0, qPrintable(recordErr + record.readAllStandardError()));

    // Every row of the recording printed once, in order, the ones written after the restart too.
    const Run listed = cli({"--json", "list", url});
    qint64 reads = 0;
    for (const QJsonValue r : QJsonDocument::fromJson(listed.out.toUtf8()).object()["recordings"].toArray())
        if (r.toObject()["id"].toInteger() == id.toLongLong()) reads = r.toObject()["reads"].toInteger();
    QVERIFY(reads > 3);
    QTRY_COMPARE_WITH_TIMEOUT(qint64(rowsSeen()), reads, 20000);
    follow.terminate();
    QVERIFY(follow.waitForFinished(10000));
    qint64 last = 0;
    for (const QString& line : followOut.split('\n', Qt::SkipEmptyParts)) {
        const qint64 row = QJsonDocument::fromJson(line.toUtf8()).object()["row"].toInteger();
        QVERIFY2(row > last, qPrintable(line));
        last = row;
    }
}

ZMX_TEST_MAIN(tst_clipostgres, TestCliPostgres, Core)
#include "tst_clipostgres.moc"
