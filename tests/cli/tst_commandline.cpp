// Command-line options and their refusals.

#include <QtTest>

#include "cli/CommandLine.h"
#include "protocol/Identification.h"
#include "support/TestMain.h"

using namespace zmx;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void options() {
        CommandLine cl = parseCommandLine({"--simulate", "--trace", "t.log", "--sim-boards", "3", "--sim-id",
                                           "ZMX7730-2 X", "--dump-window", "d.json"});
        QVERIFY(cl.error.empty());
        QCOMPARE(cl.link, std::string("sim"));
        QCOMPARE(cl.tracePath, std::string("t.log"));
        QCOMPARE(cl.simBoards, 3);
        QCOMPARE(cl.simId, std::string("ZMX7730-2 X"));
        QCOMPARE(cl.dumpPath, std::string("d.json"));
        QCOMPARE(parseCommandLine({"--link", "serial:/dev/ttyUSB0"}).link, std::string("serial:/dev/ttyUSB0"));
        QVERIFY(!cl.stackView);
        QVERIFY(cl.recordTarget.empty());
        cl = parseCommandLine({"--simulate", "--record", "postgresql://u@h/db", "--stack-view"});
        QVERIFY(cl.error.empty());
        QVERIFY(cl.stackView);
        QCOMPARE(cl.recordTarget, std::string("postgresql://u@h/db"));
        QVERIFY(!parseCommandLine({}).reconnect);
        QVERIFY(parseCommandLine({"--link", "ftdi:A1B2C3@19200", "--reconnect"}).reconnect);
        QVERIFY(parseCommandLine({"--link", "d2xx:0403:6015:LK01"}).error.empty());
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--bogus"};
        QTest::newRow("missing value") << QStringList{"--trace"};
        QTest::newRow("bad link") << QStringList{"--link", "usb"};
        QTest::newRow("empty serial path") << QStringList{"--link", "serial:"};
        QTest::newRow("rate not a number") << QStringList{"--link", "ftdi@fast"};
        QTest::newRow("boards not a number") << QStringList{"--sim-boards", "3x"};
        QTest::newRow("too many boards") << QStringList{"--sim-boards", "17"};
        QTest::newRow("record without target") << QStringList{"--record"};
        QTest::newRow("record empty target") << QStringList{"--record", ""};
    }
    void refusals() {
        QFETCH(QStringList, args);
        std::vector<std::string> v;
        for (const QString& a : args) v.push_back(a.toStdString());
        QVERIFY(!parseCommandLine(v).error.empty());
    }

    // --trace and --dump-window must not be the --record file: the window would truncate it.
    void outputsThatAreTheRecording_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("trace is the recording")
            << QStringList{"--trace", "r.sqlite", "--record", "r.sqlite"} << "--trace";
        QTest::newRow("dump by another spelling")
            << QStringList{"--dump-window", "./r.sqlite-wal", "--record", "r.sqlite"} << "--dump-window";
        QTest::newRow("other files") << QStringList{"--trace", "t.log",    "--dump-window",
                                                    "d.json",  "--record", "r.sqlite"}
                                     << "";
        QTest::newRow("a database server")
            << QStringList{"--trace", "postgresql://u@h/db", "--record", "postgresql://u@h/db"} << "";
    }
    void outputsThatAreTheRecording() {
        QFETCH(QStringList, args);
        QFETCH(QString, refusal);
        std::vector<std::string> v;
        for (const QString& a : args) v.push_back(a.toStdString());
        const QString why = QString::fromStdString(outputsOverlapRecording(parseCommandLine(v)));
        QVERIFY2(refusal.isEmpty() ? why.isEmpty() : why.startsWith(refusal), qPrintable(why));
    }

    void identification_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("verdict");
        QTest::newRow("-2") << "ZMX7730-2" << -1;
        QTest::newRow("-4 and more") << "ZMX7730-4 LK200 rev B      " << -1;
        QTest::newRow("lower case") << "zmx7730-4" << 0;
        QTest::newRow("other variant") << "ZMX7730-3" << 0;
        QTest::newRow("short") << "ZMX7730-" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("leading blank") << " ZMX7730-4" << 0;
    }
    void identification() {
        QFETCH(QString, reply);
        QFETCH(int, verdict);
        QCOMPARE(identificationVerdict(reply.toStdString()), verdict);
        QCOMPARE(QString::fromStdString(identificationCaption(reply.toStdString())), reply.left(9));
    }
};

ZMX_TEST_MAIN(tst_commandline, TestCommandLine, None)
#include "tst_commandline.moc"
