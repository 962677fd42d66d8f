// The real zmx7730-cli program against its in-process simulated stack: what each command
// prints, its exit status, and a recording made, listed, exported and replayed.

#include <unistd.h>
#include <QtTest>
#include <csignal>

#include "support/CliRun.h"
#include "support/TestMain.h"
#include "support/XlsxReader.h"

using namespace zmx::test;

namespace {

// Board 1 discharges cell 7 and masks cell 9; every board measures between 3.0 V and 4.2 V.
const QByteArray kFaultStack =
    R"({"boards": {"all": {"cdc": 1, "vuv": 3.0, "vov": 4.2}, "1": {"discharge": [7], "mask": [9]}}})";

// What the chips of the fault stack are set to, per board: each cell's volts and status,
// and the flag registers the chips report.
struct BoardTruth {
    std::array<double, 12> volts;
    std::array<const char*, 12> status;
    std::array<const char*, 3> flags;
};
const std::array<BoardTruth, 3> kFaultTruth = {{
    // Cell 3 over, 5 under, 7 under but discharging, 9 over but masked (no flag).
    {{3.7, 3.7, 4.5, 3.7, 2.5, 3.7, 2.5, 3.7, 4.5, 3.7, 3.7, 3.7},
     {"OK", "OK", "OV", "OK", "UV", "OK", "DC", "OK", "MI", "OK", "OK", "OK"},
     {"20", "11", "00"}},
    // Thermal shutdown: every cell.
    {{3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7},
     {"TS", "TS", "TS", "TS", "TS", "TS", "TS", "TS", "TS", "TS", "TS", "TS"},
     {"00", "00", "00"}},
    {{3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7, 3.7},
     {"OK", "OK", "OK", "OK", "OK", "OK", "OK", "OK", "OK", "OK", "OK", "OK"},
     {"00", "00", "00"}},
}};

// Spreadsheet column letters of a 1-based column number.
QString columnName(int n) {
    QString s;
    for (; n > 0; n = (n - 1) / 26) s.prepend(QChar('A' + (n - 1) % 26));
    return s;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void identifyAndMissingController();
    void missingDeviceExitsOne_data();
    void missingDeviceExitsOne();
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void helpOfEveryCommand();
    void readConfigOfEveryBoard();
    void writeConfigVerifies();
    void malformedConfigSendsNothing();
    void readsAfterAConfiguration();
    void selfTestVerdicts();
    void overAPseudoTerminal();
    void recordTellsFailedReadsPerBoard_data();
    void recordTellsFailedReadsPerBoard();
    void recordListExportReplay();
    void exportedRowsTellWhatTheChipsHold_data();
    void exportedRowsTellWhatTheChipsHold();
    void outputsNeverReplaceTheRecording_data();
    void outputsNeverReplaceTheRecording();
    void replayFollowsARecordingInProgress();

private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(name); }
};

void TestCli::initTestCase() {
    if (qEnvironmentVariableIsEmpty("ZMX_BINARY_DIR")) QSKIP("ZMX_BINARY_DIR is not set (run through CTest)");
    QVERIFY(QFileInfo::exists(program()));
    writeFile(path("cdc1.json"), kCdc1);
    writeFile(path("notes.db"), "notes of the bench, not a recording\n");
}

void TestCli::identifyAndMissingController() {
    Run r = cli({"--simulate", "--json", "identify"});
    QCOMPARE(r.code, 0);
    QVERIFY(json(r)["supported"].toBool());
    QVERIFY(json(r)["reply"].toString().startsWith("ZMX7730"));

    for (const QStringList& args : {QStringList{"--simulate", "--sim-id", "OTHER BOX", "read-cells"},
                                    QStringList{"--simulate", "--sim-id", "OTHER BOX", "identify"}}) {
        r = cli(args);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains("no supported controller answered on link sim"), qPrintable(r.err));
    }
}

// Every link form is taken; a device that is not there ends with one line saying why.
void TestCli::missingDeviceExitsOne_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("mentions");
    const QStringList serialCause{"/nonexistent", "plugged in"};
    QTest::newRow("identify serial") << QStringList{"--link", "serial:/nonexistent", "identify"} << serialCause;
    QTest::newRow("read serial rate") << QStringList{"--link", "serial:/nonexistent@115200", "read-cells"}
                                      << serialCause;
    QTest::newRow("record serial") << QStringList{"--link", "serial:/nonexistent", "record", "--to", "r.sqlite"}
                                   << serialCause;
    QTest::newRow("ftdi ids serial rate")
        << QStringList{"--link", "ftdi:0403:6001:NOSUCH@19200", "identify"} << QStringList{"ftdi:0403:6001:NOSUCH"};
    QTest::newRow("d2xx serial") << QStringList{"--link", "d2xx:NOSUCH", "read-config"} << QStringList{"d2xx"};
}

void TestCli::missingDeviceExitsOne() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, mentions);
    const Run r = cli(args, dir_.path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.count('\n'), 1);
    for (const QString& m : mentions) QVERIFY2(r.err.contains(m), qPrintable(r.err));
    QVERIFY(!QFile::exists(path("r.sqlite")));  // a recording that could not start leaves no file
}

void TestCli::usageErrorsExitTwo_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{"--simulate"} << "no command given";
    QTest::newRow("bad board") << QStringList{"--simulate", "read-cells", "--board", "0"} << "--board takes";
    QTest::newRow("missing config file") << QStringList{"--simulate", "write-config", "nope.json"}
                                         << "cannot read the configuration file nope.json";
    QTest::newRow("unwritable target") << QStringList{"--simulate", "record", "--to", "/no/such/folder/r.sqlite"}
                                       << "the folder /no/such/folder does not exist";
    // Checked before anything reaches the stack: the trace stays empty.
    QTest::newRow("record target not a database")
        << QStringList{"--simulate", "--trace", "t.trace", "record", "--config", "cdc1.json", "--to", "notes.db"}
        << "notes.db: file is not a database";
    QTest::newRow("missing recording") << QStringList{"list", "/no/such/r.sqlite"} << "/no/such/r.sqlite";
    QTest::newRow("link ids not hex") << QStringList{"--link", "ftdi:04g3:6001", "identify"} << "VID:PID";
    QTest::newRow("link without path") << QStringList{"--link", "serial:", "read-cells"} << "needs a device path";
}

void TestCli::usageErrorsExitTwo() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = cli(args, dir_.path());
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(QFileInfo(path("t.trace")).size(), 0);
}

void TestCli::helpOfEveryCommand() {
    for (const char* c : {"identify", "read-config", "write-config", "read-cells", "read-flags", "read-temps",
                          "selftest", "record", "export", "replay", "list"}) {
        const Run r = cli({c, "--help"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.startsWith(QString("Usage: zmx7730-cli")) && r.out.contains(c), c);
    }
}

void TestCli::readConfigOfEveryBoard() {
    const Run r = cli({"--simulate", "--boards", "3", "--json", "read-config", "--all"});
    QCOMPARE(r.code, 0);
    const QJsonArray boards = json(r)["boards"].toArray();
    QCOMPARE(boards.size(), 3);
    QCOMPARE(boards[2].toObject()["address"].toString(), QString("82"));
    QCOMPARE(boards[2].toObject()["cfgr"].toString(), QString("E0 00 00 00 00 00"));
    QCOMPARE(boards[2].toObject()["cdc"].toInt(), 0);
}

void TestCli::writeConfigVerifies() {
    Run r = cli({"--simulate", "--boards", "3", "--json", "write-config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    QVERIFY(json(r)["verified"].toBool());
    QCOMPARE(json(r)["boards"].toArray()[1].toObject()["readBack"].toString(), QString("E1 00 00 00 9C CF"));

    // Board 3 is not in the simulated stack: its read-back cannot match.
    r = cli({"--simulate", "--sim-boards", "2", "--boards", "3", "write-config", path("cdc1.json")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.contains("DIFFERS"));
    QVERIFY2(r.err.contains("board 3: the configuration read back differs"), qPrintable(r.err));

    // Every reply corrupted: the read-back fails its PEC check.
    r = cli({"--simulate", "--sim-corrupt-one-in", "1", "write-config", path("cdc1.json")});
    QCOMPARE(r.code, 1);
}

void TestCli::malformedConfigSendsNothing() {
    writeFile(path("bad.json"), "{\"boards\": {\n  \"all\": {\"cdc\": 1},\n  \"2\": {\"vov\": 9.5}\n}}\n");
    const QString trace = path("bad.trace");
    const Run r = cli({"--simulate", "--boards", "2", "--trace", trace, "write-config", path("bad.json")});
    QCOMPARE(r.code, 2);
    QVERIFY2(
        r.err.contains("bad.json line 3: field \"vov\" of board 2: Only Enter Values Between  -0.768V and 5.352V."),
        qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(trace) || QFileInfo(trace).size() == 0);
}

void TestCli::readsAfterAConfiguration() {
    // Without a configuration the boards stand by: the values are the cleared registers.
    Run r = cli({"--simulate", "--boards", "2", "read-cells", "--all"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("boards 1, 2 are in standby (CDC 0)"), qPrintable(r.err));

    r = cli({"--simulate", "--boards", "2", "--json", "read-cells", "--all", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QJsonArray boards = json(r)["boards"].toArray();
    QCOMPARE(boards.size(), 2);
    for (const QJsonValue& b : boards) {
        QVERIFY(b.toObject()["pecMatch"].toBool());
        for (const QJsonValue& v : b.toObject()["volts"].toArray()) QVERIFY(qAbs(v.toDouble() - 3.7) < 0.1);
        QCOMPARE(b.toObject()["status"].toArray()[0].toInt(), 1);
    }

    r = cli({"--simulate", "--boards", "3", "--sim-cell", "2:5:2.5", "--sim-cell", "2:9:4.5", "--json", "read-flags",
             "--board", "3", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    const QJsonObject flags = json(r)["boards"].toArray()[0].toObject();
    QCOMPARE(flags["board"].toInt(), 3);
    QCOMPARE(flags["underVoltage"].toArray(), QJsonArray{5});
    QCOMPARE(flags["overVoltage"].toArray(), QJsonArray{9});

    // Board 2 alone holds ten cells: each board's read is as long as its configuration says.
    writeFile(path("ten2.json"), R"({"boards": {"all": {"cdc": 1}, "2": {"tenCells": true}}})");
    r = cli({"--simulate", "--boards", "3", "--json", "read-cells", "--all", "--config", path("ten2.json")});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    for (const QJsonValue& b : json(r)["boards"].toArray()) QVERIFY(b.toObject()["pecMatch"].toBool());

    r = cli({"--simulate", "--sim-thermal", "0", "read-temps", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QRegularExpression(R"(\n1\s+80\s+match\s+1\.\d+\s+1\.\d+\s+\d\.\d+\s+yes)")),
             qPrintable(r.out));
}

void TestCli::selfTestVerdicts() {
    Run r = cli({"--simulate", "--boards", "2", "selftest", "--all", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count("pass"), 2);

    r = cli({"--simulate", "--boards", "2", "--sim-self-test-fault", "1:7:123", "--json", "selftest", "--all",
             "--config", path("cdc1.json")});
    QCOMPARE(r.code, 1);
    const QJsonArray boards = json(r)["boards"].toArray();
    QVERIFY(boards[0].toObject()["passed"].toBool());
    QVERIFY(!boards[1].toObject()["passed"].toBool());
    QVERIFY(!boards[1].toObject()["cells"].toObject()["E"].toBool());
    QVERIFY(boards[1].toObject()["temps"].toObject()["E"].toBool());

    // A board in standby cannot be tested.
    r = cli({"--simulate", "selftest"});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.contains("FAIL (standby, CDC 0)"));
}

// The same commands through the serial link to zmx7730-sim, as to a controller on a port.
void TestCli::overAPseudoTerminal() {
    QProcess sim;
    sim.start(program("zmx7730-sim"), {"--sim-boards", "2", "--self-test-fault", "1:3:123"});
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(10000));
    const QString link = "serial:" + QString::fromLatin1(sim.readLine()).trimmed();

    Run r = cli({"--link", link, "identify"});
    QCOMPARE(r.code, 0);
    r = cli({"--link", link, "--boards", "2", "--json", "read-cells", "--all", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 0);
    const QJsonArray boards = json(r)["boards"].toArray();
    QCOMPARE(boards.size(), 2);
    QVERIFY(qAbs(boards[1].toObject()["volts"].toArray()[11].toDouble() - 3.7) < 0.1);
    r = cli({"--link", link, "--boards", "2", "selftest", "--all", "--config", path("cdc1.json")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.contains(QRegularExpression(R"(\n2\s+81\s+555:FAIL)")));

    // Ten cells written by one run: the next run reads each board's configuration back and
    // asks for ten cells.
    writeFile(path("ten.json"), R"({"boards": {"all": {"cdc": 1, "tenCells": true}}})");
    QCOMPARE(cli({"--link", link, "--boards", "2", "write-config", path("ten.json")}).code, 0);
    r = cli({"--link", link, "--boards", "2", "--json", "read-cells", "--all"});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    for (const QJsonValue& b : json(r)["boards"].toArray()) QVERIFY(b.toObject()["pecMatch"].toBool());

    sim.terminate();
    QVERIFY(sim.waitForFinished(10000));
}

// Failed reads end a recording with status 1 and a line per board; a board that does not
// answer is named before the recording begins.
void TestCli::recordTellsFailedReadsPerBoard_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("boards");
    QTest::addColumn<QList<int>>("silent");   // boards named at the start
    QTest::addColumn<QList<int>>("failing");  // boards with failed reads at the end
    const QStringList fiveOfTwo{"--sim-boards", "2", "--boards", "5", "record", "--duration", "1"};
    QTest::newRow("clean") << QStringList{"--sim-boards", "2", "--boards", "2", "record", "--duration", "1"} << 2
                           << QList<int>{} << QList<int>{};
    QTest::newRow("5 of 2, window pace") << fiveOfTwo << 5 << QList<int>{3, 4, 5} << QList<int>{3, 4, 5};
    QTest::newRow("5 of 2, fast pace") << fiveOfTwo + QStringList{"--pace", "fast"} << 5 << QList<int>{3, 4, 5}
                                       << QList<int>{3, 4, 5};
    QTest::newRow("every reply corrupted")
        << QStringList{"--sim-corrupt-one-in", "1", "--boards", "2", "record", "--duration", "1"} << 2
        << QList<int>{1, 2} << QList<int>{1, 2};
}

void TestCli::recordTellsFailedReadsPerBoard() {
    QFETCH(QStringList, args);
    QFETCH(int, boards);
    QFETCH(QList<int>, silent);
    QFETCH(QList<int>, failing);
    const QString db = path("tally.sqlite");
    QFile::remove(db);
    const Run r = cli(QStringList{"--simulate", "--json"} + args + QStringList{"--to", db});
    QCOMPARE(r.code, failing.isEmpty() ? 0 : 1);
    const qsizetype begins = r.err.indexOf("recording 1 to");
    QVERIFY2(begins > 0, qPrintable(r.err));
    const QJsonObject summary = json(r);
    QCOMPARE(summary["readsFailed"].toBool(), !failing.isEmpty());
    const QJsonArray perBoard = summary["boards"].toArray();
    QCOMPARE(perBoard.size(), boards);
    for (int b = 1; b <= boards; ++b) {
        const QString name = QString("board %1 (0x%2)").arg(b).arg(0x7f + b, 0, 16);
        const qsizetype named = r.err.indexOf(name + " does not answer");
        QVERIFY2(silent.contains(b) ? named >= 0 && named < begins : named < 0, qPrintable(r.err));
        const QJsonObject figures = perBoard[b - 1].toObject();
        QVERIFY(figures["reads"].toInt() > 0);
        QCOMPARE(figures["failed"].toInt() > 0, failing.contains(b));
        QCOMPARE(figures["answered"].toBool(), !silent.contains(b));
        const QRegularExpression line(QRegularExpression::escape(name) + R"(: \d+ reads?, (\d+) failed .*, )" +
                                      (silent.contains(b) ? "never answered" : "last good read \\d{4}-"));
        const QRegularExpressionMatch m = line.match(r.err, begins);
        QVERIFY2(m.hasMatch(), qPrintable(r.err));
        QCOMPARE(m.captured(1).toInt(), figures["failed"].toInt());
    }
}

void TestCli::recordListExportReplay() {
    const QString db = path("r.sqlite");
    Run r = cli({"--simulate", "--sim-boards", "3", "--boards", "3", "--json", "record", "--config", path("cdc1.json"),
                 "--to", db, "--duration", "2", "--label", "bench 7"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("recording 1 to"), qPrintable(r.err));
    const int ticks = json(r)["ticks"].toInt();
    QVERIFY2(ticks >= 18 && ticks <= 21, qPrintable(r.out));  // one every 100 ms for 2 s

    // A second, fast one into the same database.
    r = cli({"--simulate", "--sim-boards", "3", "--boards", "3", "record", "--config", path("cdc1.json"), "--to", db,
             "--duration", "0.5", "--pace", "fast"});
    QCOMPARE(r.code, 0);

    r = cli({"--json", "list", db});
    QCOMPARE(r.code, 0);
    const QJsonArray list = json(r)["recordings"].toArray();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].toObject()["label"].toString(), QString("bench 7"));
    QCOMPARE(list[0].toObject()["boards"].toInt(), 3);
    QCOMPARE(list[0].toObject()["ended"].toString(), QString("finished"));
    QCOMPARE(list[0].toObject()["rowsDropped"].toInt(), 0);

    // The window pace reads one board every 300 ms: about 6 board rows in 2 s.
    const QString csv = path("r.csv");
    r = cli({"export", db, "--csv", csv, "--recording", "1"});
    QCOMPARE(r.code, 0);
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() - 1 >= 5 && lines.size() - 1 <= 8, qPrintable(QString::number(lines.size())));
    QVERIFY(lines[0].contains("CV12"));

    // The latest recording is the fast one; a workbook of it.
    r = cli({"export", db, "--xlsx", path("r.xlsx")});
    QCOMPARE(r.code, 0);
    QVERIFY(QFileInfo(path("r.xlsx")).size() > 0);

    r = cli({"replay", db, "--recording", "1"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QRegularExpression(R"(Z  board 2  RDCV\s+match\s+3\.\d{4})")));
    r = cli({"replay", db, "--recording", "9"});
    QCOMPARE(r.code, 2);
}

void TestCli::exportedRowsTellWhatTheChipsHold_data() {
    QTest::addColumn<QString>("pace");
    QTest::addColumn<QString>("duration");
    // The window pace reads one board every 300 ms: four passes of three boards take 3.6 s.
    QTest::newRow("window") << "window"
                            << "4";
    QTest::newRow("fast") << "fast"
                          << "1";
}

// A recording of a stack with faults at either pace, exported: every row after a board's first
// shows the volts, flags and status codes the chips were set to, in the CSV and the workbook.
void TestCli::exportedRowsTellWhatTheChipsHold() {
    QFETCH(QString, pace);
    QFETCH(QString, duration);
    writeFile(path("faults.json"), kFaultStack);
    const QString db = path(qPrintable("faults-" + pace + ".sqlite"));
    Run r = cli({"--simulate", "--sim-boards",      "3",       "--boards",   "3",          "--sim-cell",
                 "0:3:4.5",    "--sim-cell",        "0:5:2.5", "--sim-cell", "0:7:2.5",    "--sim-cell",
                 "0:9:4.5",    "--sim-thermal",     "1",       "record",     "--pace",     pace,
                 "--config",   path("faults.json"), "--to",    db,           "--duration", duration});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QString csv = path(qPrintable("faults-" + pace + ".csv"));
    const QString xlsx = path(qPrintable("faults-" + pace + ".xlsx"));
    QCOMPARE(cli({"export", db, "--csv", csv}).code, 0);
    QCOMPARE(cli({"export", db, "--xlsx", xlsx}).code, 0);

    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    const QStringList header = lines.value(0).split(',');
    const auto column = [&](const QString& name) { return static_cast<int>(header.indexOf(name)); };
    QVERIFY(column("STATUS12") > 0 && column("FLGR2") > 0 && column("PEC") > 0);
    const zmx::test::SheetContents sheet = zmx::test::readFirstSheet(xlsx);
    QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));

    std::array<int, 3> rows{};
    for (int l = 1; l < lines.size(); ++l) {
        const QStringList v = lines[l].split(',');
        QCOMPARE(v.size(), header.size());
        const int slot = v[column("board")].toInt() - 1;
        QVERIFY(slot >= 0 && slot < 3);
        // The first pass of a board meets its faults before it has read all of them.
        if (rows[static_cast<std::size_t>(slot)]++ == 0) continue;
        const BoardTruth& t = kFaultTruth[static_cast<std::size_t>(slot)];
        const QString where = QString("board %1 row %2: ").arg(slot + 1).arg(rows[static_cast<std::size_t>(slot)]);
        QCOMPARE(v[column("PEC")], QString("MATCH"));
        QStringList statuses;
        for (int i = 0; i < 12; ++i) {
            const QString n = QString::number(i + 1);
            QVERIFY2(v[column("STATUS" + n)] == t.status[i], qPrintable(where + lines[l]));
            // The simulated cells left alone spread around 3.7 V; the ones set read as set.
            const double tolerance = t.volts[i] == 3.7 ? 0.1 : 0.005;
            QVERIFY2(qAbs(v[column("CV" + n)].toDouble() - t.volts[i]) < tolerance, qPrintable(where + lines[l]));
            statuses << t.status[i];
        }
        for (int k = 0; k < 3; ++k)
            QVERIFY2(v[column("FLGR" + QString::number(k))] == t.flags[k], qPrintable(where + lines[l]));
        // The same row in the board's block of the workbook (samples from row 12, 21 columns a block).
        const QString sample = QString::number(11 + rows[static_cast<std::size_t>(slot)]);
        const int block = 21 * slot;
        QCOMPARE(sheet.text.value(columnName(block + 19) + sample), statuses.join(' '));
        QCOMPARE(sheet.text.value(columnName(block + 4) + sample),
                 QString("%1 %2 %3").arg(t.flags[0], t.flags[1], t.flags[2]));
        const double cv3 = sheet.text.value(columnName(block + 9) + sample).toDouble();
        QVERIFY(qAbs(cv3 - t.volts[2]) < (t.volts[2] == 3.7 ? 0.1 : 0.005));
    }
    for (int n : rows) QVERIFY2(n >= 3, qPrintable(QString::number(n)));
}

// An export or trace that is the recording itself, under any name, is refused before
// anything is written: exit 2, and the recording stays as it was.
void TestCli::outputsNeverReplaceTheRecording_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString rec = "keep.sqlite";
    QTest::newRow("csv onto the recording") << QStringList{"export", rec, "--csv", rec} << "is the recording";
    QTest::newRow("xlsx onto the recording") << QStringList{"export", rec, "--xlsx", rec} << "is the recording";
    QTest::newRow("csv by another spelling")
        << QStringList{"export", rec, "--csv", "sub/../keep.sqlite"} << "is the recording";
    QTest::newRow("csv through a symlink") << QStringList{"export", rec, "--csv", "link.sqlite"} << "is the recording";
    QTest::newRow("csv through a hard link")
        << QStringList{"export", rec, "--csv", "hard.sqlite"} << "is the recording";
    QTest::newRow("csv onto its journal") << QStringList{"export", rec, "--csv", "keep.sqlite-wal"} << "journal";
    QTest::newRow("trace onto the recording")
        << QStringList{"--simulate", "--trace", rec, "record", "--to", rec, "--duration", "0.2"} << "--trace";
    QTest::newRow("trace through a symlink")
        << QStringList{"--simulate", "--trace", "link.sqlite", "record", "--to", rec, "--duration", "0.2"}
        << "is the recording";
}

void TestCli::outputsNeverReplaceTheRecording() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString rec = path("keep.sqlite");
    if (!QFile::exists(rec)) {
        QVERIFY(QDir().mkpath(path("sub")));
        const Run made = cli({"--simulate", "--sim-boards", "2", "--boards", "2", "record", "--to", rec, "--duration",
                              "0.3", "--pace", "fast"});
        QCOMPARE(made.code, 0);
        QVERIFY(QFile::link(rec, path("link.sqlite")));
        QCOMPARE(::link(QFile::encodeName(rec).constData(), QFile::encodeName(path("hard.sqlite")).constData()), 0);
    }
    QFile f(rec);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const Run r = cli(args, dir_.path());
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll() == before);
    QCOMPARE(cli({"list", rec}).code, 0);
}

void TestCli::replayFollowsARecordingInProgress() {
    const QString db = path("follow.sqlite");
    QProcess recorder;
    recorder.start(program(), {"--simulate", "--json", "record", "--config", path("cdc1.json"), "--to", db});
    QVERIFY(recorder.waitForStarted());
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += recorder.readAllStandardError()).contains("until interrupted"), 10000);

    QProcess replay;
    replay.start(program(), {"replay", db, "--follow"});
    QVERIFY(replay.waitForStarted());
    QByteArray rows;
    QTRY_VERIFY_WITH_TIMEOUT((rows += replay.readAllStandardOutput()).count('\n') >= 5, 10000);
    const qsizetype early = rows.count('\n');
    QTRY_VERIFY_WITH_TIMEOUT((rows += replay.readAllStandardOutput()).count('\n') >= early + 5, 10000);

    ::kill(static_cast<pid_t>(recorder.processId()), SIGINT);
    QVERIFY(recorder.waitForFinished(10000));
    const int written = QJsonDocument::fromJson(recorder.readAllStandardOutput()).object()["rowsWritten"].toInt();
    // Every row of the finished recording reaches the follower, then SIGINT ends it.
    QTRY_COMPARE_WITH_TIMEOUT((rows += replay.readAllStandardOutput()).count('\n'), qsizetype(written), 10000);
    ::kill(static_cast<pid_t>(replay.processId()), SIGINT);
    QVERIFY(replay.waitForFinished(10000));
    QCOMPARE(replay.exitCode(), 0);
}

ZMX_TEST_MAIN(tst_cli, TestCli, Core)
#include "tst_cli.moc"
