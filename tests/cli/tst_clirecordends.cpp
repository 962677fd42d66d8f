// How a recording by the real zmx7730-cli ends: the controller unplugged and plugged back (or
// replaced by another stack) with and without --reconnect, the run's end while it is away, a
// signal, and kill -9. Each waits on real processes for seconds, so they run beside tst_cli.

#include <unistd.h>
#include <QtTest>
#include <csignal>

#include "support/CliRun.h"
#include "support/TestMain.h"

using namespace zmx::test;

class TestCliRecordEnds : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recordWaitsForTheSameController();
    void recordRefusesAnotherStack();
    void recordEndingWhileLostFails_data();
    void recordEndingWhileLostFails();
    void signalEndsRecordingCleanly();
    void killedRecorderLeavesAUsableRecording();

private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(name); }
};

void TestCliRecordEnds::initTestCase() {
    if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
    QVERIFY(QFileInfo::exists(program()));
    writeFile(path("cdc1.json"), kCdc1);
}

// record --reconnect over a pty: the simulator's controller is unplugged (SIGUSR1) and plugged
// in again (SIGUSR2) mid-recording; the recording waits, says so, re-reads the boards and goes
// on. Without --reconnect the same unplug ends it with status 1.
void TestCliRecordEnds::recordWaitsForTheSameController() {
    for (const bool reconnect : {true, false}) {
        QProcess sim;
        sim.start(program("zmx7730-sim"), {"--sim-boards", "2"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(10000));
        const QString link = "serial:" + QString::fromLatin1(sim.readLine()).trimmed();
        const QString db = path(reconnect ? "reconnect.sqlite" : "noreconnect.sqlite");

        QProcess rec;
        QStringList args{"--link",          link,   "--boards", "2",          "--json", "record", "--config",
                         path("cdc1.json"), "--to", db,         "--duration", "7"};
        if (reconnect) args.prepend("--reconnect");
        rec.start(program(), args);
        QVERIFY(rec.waitForStarted());
        QTest::qWait(1200);
        ::kill(static_cast<pid_t>(sim.processId()), SIGUSR1);
        // Plugged back once the loss was seen: at 9600 baud a read's time-out alone can span a
        // short unplug, and the controller is only lost when an identification fails.
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += QString::fromUtf8(rec.readAllStandardError()),
             err.contains("LK200 lost") || err.contains("stopped answering") || rec.state() == QProcess::NotRunning),
            5000);
        ::kill(static_cast<pid_t>(sim.processId()), SIGUSR2);
        if (rec.state() != QProcess::NotRunning) QVERIFY(rec.waitForFinished(15000));
        err += QString::fromUtf8(rec.readAllStandardError());
        const QJsonObject out = QJsonDocument::fromJson(rec.readAllStandardOutput()).object();
        if (reconnect) {
            QCOMPARE(rec.exitCode(), 0);
            QVERIFY2(err.contains("LK200 lost: waiting for it to come back"), qPrintable(err));
            QVERIFY2(err.contains("LK200 back after"), qPrintable(err));
            QVERIFY(!out["controllerLost"].toBool());
            // Recording went on after the gap: reads from after the re-plug are there.
            const Run replay = cli({"--json", "replay", db});
            QCOMPARE(replay.code, 0);
            QVERIFY(out["rowsWritten"].toInt() > 20);
        } else {
            QCOMPARE(rec.exitCode(), 1);
            QVERIFY(out["controllerLost"].toBool());
            QVERIFY2(err.contains("stopped answering"), qPrintable(err));
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
    }
}

// record --reconnect through a name of its own that is switched, while the controller is
// away, to another simulator with the same identification but fewer boards: a pty tells no
// USB serial number (said at the start), the boards tell the stacks apart, and nothing of
// the other stack reaches the recording (the window pace reads no configuration otherwise).
void TestCliRecordEnds::recordRefusesAnotherStack() {
    QProcess first, other;
    for (auto [sim, boards] : {std::pair{&first, "2"}, std::pair{&other, "1"}}) {
        sim->start(program("zmx7730-sim"), {"--sim-boards", boards});
        QVERIFY(sim->waitForStarted());
        QVERIFY(sim->waitForReadyRead(10000));
    }
    const QByteArray firstPty = first.readLine().trimmed(), otherPty = other.readLine().trimmed();
    const QByteArray alias = path("lk200").toLocal8Bit(), next = path("lk200.next").toLocal8Bit();
    const auto pointAt = [&](const QByteArray& pty) {
        return ::symlink(pty.constData(), next.constData()) == 0 && ::rename(next.constData(), alias.constData()) == 0;
    };
    QVERIFY(pointAt(firstPty));
    const QString db = path("stranger.sqlite");
    QProcess rec;
    QString err;
    QObject::connect(&rec, &QProcess::readyReadStandardError,
                     [&] { err += QString::fromUtf8(rec.readAllStandardError()); });
    rec.start(program(), {"--reconnect", "--link", "serial:" + QString::fromLocal8Bit(alias), "--boards", "2", "--json",
                          "record", "--config", path("cdc1.json"), "--to", db, "--duration", "60"});
    QVERIFY(rec.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(err.contains("recording 1 to"), 15000);
    QVERIFY2(err.contains("tells no USB serial number"), qPrintable(err));
    // Unplugged once a read is stored: the first tick only starts a conversion.
    QTRY_VERIFY_WITH_TIMEOUT(storedReads(db) > 0, 15000);
    ::kill(static_cast<pid_t>(first.processId()), SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(err.contains("LK200 lost"), 15000);
    QVERIFY(pointAt(otherPty));
    QTRY_VERIFY_WITH_TIMEOUT(err.contains("another controller answered"), 15000);
    QVERIFY2(err.contains("boards 1 answer, not 1, 2"), qPrintable(err));
    QVERIFY(!err.contains("LK200 back"));
    rec.terminate();
    QVERIFY(rec.waitForFinished(15000));
    QCOMPARE(rec.exitCode(), 1);  // stopped while its own controller was still away
    QVERIFY(QJsonDocument::fromJson(rec.readAllStandardOutput()).object()["controllerLost"].toBool());

    {
        QSqlDatabase store = QSqlDatabase::addDatabase("QSQLITE", "stranger");
        store.setDatabaseName(db);
        QVERIFY(store.open());
        QSqlQuery q(store);
        QVERIFY(q.exec("SELECT count(*), sum(kind = 0) FROM reads"));
        QVERIFY(q.next());
        QVERIFY(q.value(0).toInt() > 0);  // the reads before the loss
        QCOMPARE(q.value(1).toInt(), 0);  // no configuration read: none of the other stack
    }
    QSqlDatabase::removeDatabase("stranger");
    for (QProcess* sim : {&first, &other}) {
        sim->terminate();
        QVERIFY(sim->waitForFinished(10000));
    }
}

// --reconnect waits for the controller; a run that ends (its duration, SIGINT) before it is
// back ends with the controller lost: status 1.
void TestCliRecordEnds::recordEndingWhileLostFails_data() {
    QTest::addColumn<bool>("interrupt");
    QTest::newRow("duration ends") << false;
    QTest::newRow("SIGINT") << true;
}

void TestCliRecordEnds::recordEndingWhileLostFails() {
    QFETCH(bool, interrupt);
    QProcess sim;
    sim.start(program("zmx7730-sim"), {"--sim-boards", "2"});
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(10000));
    const QString link = "serial:" + QString::fromLatin1(sim.readLine()).trimmed();
    QProcess rec;
    QString err;
    QObject::connect(&rec, &QProcess::readyReadStandardError,
                     [&] { err += QString::fromUtf8(rec.readAllStandardError()); });
    QStringList args{"--reconnect", "--link", link,
                     "--boards",    "2",      "--json",
                     "record",      "--to",   path(interrupt ? "lostint.sqlite" : "lostend.sqlite")};
    if (!interrupt)
        args << "--duration"
             << "8";
    rec.start(program(), args);
    QVERIFY(rec.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(err.contains("recording 1 to"), 15000);
    ::kill(static_cast<pid_t>(sim.processId()), SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(err.contains("LK200 lost"), 15000);
    if (interrupt) ::kill(static_cast<pid_t>(rec.processId()), SIGINT);
    QVERIFY(rec.waitForFinished(20000));
    QCOMPARE(rec.exitCode(), 1);
    QVERIFY(QJsonDocument::fromJson(rec.readAllStandardOutput()).object()["controllerLost"].toBool());
    QVERIFY2(err.contains("recording ended with the LK200 still lost") && !err.contains("LK200 back"), qPrintable(err));
    sim.terminate();
    QVERIFY(sim.waitForFinished(10000));
}

// SIGINT and SIGTERM end an open-ended recording with every queued read written.
void TestCliRecordEnds::signalEndsRecordingCleanly() {
    for (const int sig : {SIGINT, SIGTERM}) {
        const QString db = path(sig == SIGINT ? "int.sqlite" : "term.sqlite");
        QProcess p;
        p.start(program(), {"--simulate", "--boards", "2", "--json", "record", "--config", path("cdc1.json"), "--to",
                            db, "--pace", sig == SIGINT ? "window" : "fast"});
        QVERIFY(p.waitForStarted());
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("until interrupted"), 10000);
        QTest::qWait(800);
        ::kill(static_cast<pid_t>(p.processId()), sig);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QJsonObject summary = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QVERIFY(summary["rowsWritten"].toInt() > 0);
        QCOMPARE(summary["rowsDropped"].toInt(), 0);

        const Run r = cli({"--json", "list", db});
        QCOMPARE(json(r)["recordings"].toArray()[0].toObject()["reads"].toInt(), summary["rowsWritten"].toInt());
    }
}

// kill -9 gives the writer no chance to flush: what it committed up to the last second or so
// still lists, exports and replays.
void TestCliRecordEnds::killedRecorderLeavesAUsableRecording() {
    const QString db = path("killed.sqlite");
    QProcess p;
    p.start(program(), {"--simulate", "--boards", "3", "record", "--config", path("cdc1.json"), "--to", db});
    QVERIFY(p.waitForStarted());
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("until interrupted"), 10000);
    QElapsedTimer recorded;
    recorded.start();
    QTest::qWait(2500);
    p.kill();
    QVERIFY(p.waitForFinished(10000));
    const qint64 reads = recorded.elapsed() / 100;  // one read a tick

    Run r = cli({"--json", "list", db});
    QCOMPARE(r.code, 0);
    const qint64 kept = json(r)["recordings"].toArray()[0].toObject()["reads"].toInteger();
    QVERIFY2(kept >= reads - 12 && kept <= reads + 2, qPrintable(QString("%1 of %2").arg(kept).arg(reads)));
    QCOMPARE(json(r)["recordings"].toArray()[0].toObject()["ended"].toString(), QString("interrupted"));
    r = cli({"export", db, "--csv", path("killed.csv")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("(interrupted, 0 rows dropped)"), qPrintable(r.out));
    QVERIFY(cli({"list", db}).out.contains("interrupted"));
    r = cli({"replay", db});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count('\n'), kept);
}

ZMX_TEST_MAIN(tst_clirecordends, TestCliRecordEnds, Core)
#include "tst_clirecordends.moc"
