// The command line's logic without the program: configuration files into images, the
// argument rules, and the device sequences on a simulated stack (texts sent, waits, verdicts).

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConfigFile.h"
#include "cli/StackCommands.h"
#include "link/SimLink.h"
#include "protocol/ChipCommands.h"
#include "protocol/Frames.h"
#include "record/RecordWriter.h"
#include "rules/Thresholds.h"
#include "session/ReadTally.h"
#include "support/GoldenTrace.h"
#include "support/SessionRig.h"
#include "support/TestMain.h"

using namespace zmx;
using namespace zmx::test;

namespace {

ConfigBytes bytes(const char* text) {
    ConfigFile f = parseConfigFile(std::string("{\"boards\":{\"1\":{\"cfgr\":\"") + text + "\"}}}", 1, "t");
    return f.images.at(0).value();
}

QString imageText(const std::optional<ConfigBytes>& image) {
    return image ? QString::fromStdString(configBytesText(*image)) : QStringLiteral("-");
}

// The same image for every board of the rig's stack.
std::vector<std::optional<ConfigBytes>> every(SessionRig& rig, const char* cfgr) {
    return std::vector<std::optional<ConfigBytes>>(static_cast<std::size_t>(rig.st().lastBoardIndex + 1), bytes(cfgr));
}

}  // namespace

class TestCliLogic : public QObject {
    Q_OBJECT

private slots:
    void configFileImages_data();
    void configFileImages();
    void configFileErrorsNameLineAndField_data();
    void configFileErrorsNameLineAndField();
    void namedFieldsUseTheRegisterBits();
    void argumentRules_data();
    void argumentRules();
    void writeVerifiesEveryNamedBoard();
    void readsConvertPollWaitAndRead();
    void selfTestVerdictPerBoard();
    void recordingPaces();
    void sequencesMatchGolden();
    void lostControllerIsNamed();
    void readTallyBlamesBoardsNotALostController();
    void closeLineSaysWhatWasDropped();
    void recordingListKeepsOneLineEach_data();
    void recordingListKeepsOneLineEach();
};

void TestCliLogic::configFileImages_data() {
    QTest::addColumn<QString>("json");
    QTest::addColumn<int>("boards");
    QTest::addColumn<QStringList>("images");
    QTest::newRow("bytes") << R"({"boards": {"1": {"cfgr": "E1 00 00 00 00 00"}}})" << 2
                           << QStringList{"E1 00 00 00 00 00", "-"};
    // VUV 3.0 V: 3.0/0.024 + 31 = 156 (9C); VOV 4.2 V: 4.2/0.024 + 32 = 207 (CF).
    QTest::newRow("named for all") << R"({"boards": {"all": {"cdc": 1, "vuv": 3.0, "vov": 4.2}}})" << 2
                                   << QStringList{"E1 00 00 00 9C CF", "E1 00 00 00 9C CF"};
    QTest::newRow("own named fields over all")
        << R"({"boards": {"all": {"cdc": 1, "vuv": 3.0, "vov": 4.2}, "2": {"cdc": 5, "discharge": [1]}}})" << 2
        << QStringList{"E1 00 00 00 9C CF", "E5 01 00 00 9C CF"};
    QTest::newRow("own bytes replace all")
        << R"({"boards": {"all": {"cdc": 2}, "2": {"cfgr": "E0,00,00,00,00,00"}}})" << 3
        << QStringList{"E2 00 00 00 00 00", "E0 00 00 00 00 00", "E2 00 00 00 00 00"};
    QTest::newRow("named over all bytes") << R"({"boards": {"all": {"cfgr": "e1 0 0 0 7f c7", "tenCells": true}}})" << 1
                                          << QStringList{"E9 00 00 00 7F C7"};
}

void TestCliLogic::configFileImages() {
    QFETCH(QString, json);
    QFETCH(int, boards);
    QFETCH(QStringList, images);
    const ConfigFile f = parseConfigFile(json.toStdString(), boards, "f.json");
    QVERIFY2(f.error.empty(), f.error.c_str());
    QStringList got;
    for (const auto& image : f.images) got << imageText(image);
    QCOMPARE(got, images);
}

void TestCliLogic::configFileErrorsNameLineAndField_data() {
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("expected");
    QTest::newRow("syntax") << "{\"boards\": {\n  \"1\": {\"cdc\": 1,}\n}}"
                            << "f.json line 2: not valid JSON";
    QTest::newRow("unknown field") << "{\"boards\": {\n\"1\": {\n  \"cdc\": 1,\n  \"cdcc\": 2}}}"
                                   << "f.json line 4: field \"cdcc\" of board 1: is not a configuration field";
    QTest::newRow("cdc range") << "{\"boards\": {\"all\": {\n\"cdc\": 8}}}"
                               << "f.json line 2: field \"cdc\" of \"all\": CDC takes a whole number from 0 to 7";
    QTest::newRow("vuv range") << "{\"boards\": {\"1\": {\"vuv\": 6}}}"
                               << QString("f.json line 1: field \"vuv\" of board 1: ") + kVuvRangeMessage;
    QTest::newRow("vov range") << "{\"boards\": {\"1\": {\"vov\": -1}}}"
                               << QString("field \"vov\" of board 1: ") + kVovRangeMessage;
    QTest::newRow("order across all and own") << "{\"boards\": {\"all\": {\"vov\": 3.0},\n \"2\": {\"vuv\": 3.5}}}"
                                              << QString("f.json line 2: board 2: ") + kOrderMessage;
    QTest::newRow("board 11") << "{\"boards\": {\"11\": {}}}"
                              << "board \"11\" is not a board number 1..10";
    QTest::newRow("board above the stack") << "{\"boards\": {\"3\": {\"cdc\": 1}}}"
                                           << "board 3 is not in the stack of 2 board(s)";
    QTest::newRow("bad bytes") << "{\"boards\": {\"1\": {\"cfgr\": \"E1 00 00\"}}}"
                               << "takes six bytes in hex";
    QTest::newRow("cell 13") << "{\"boards\": {\"1\": {\"mask\": [13]}}}"
                             << "cell numbers from 1 to 12";
    QTest::newRow("no boards") << "{\"board\": {}}"
                               << "must be an object with \"boards\"";
}

void TestCliLogic::configFileErrorsNameLineAndField() {
    QFETCH(QString, json);
    QFETCH(QString, expected);
    const ConfigFile f = parseConfigFile(json.toStdString(), 2, "f.json");
    QVERIFY2(QString::fromStdString(f.error).contains(expected), f.error.c_str());
    QVERIFY(f.images.empty());  // nothing may be written from a refused file
}

// The named fields land on the bits the window's bit boxes and cell status use, and the
// bytes decode back into the same fields.
void TestCliLogic::namedFieldsUseTheRegisterBits() {
    const ConfigFile f = parseConfigFile(
        R"({"boards": {"1": {"cdc": 3, "lvlpl": 1, "gpio": [0, 1], "discharge": [1, 9, 12], "mask": [1, 5, 12]}}})", 1,
        "f.json");
    QVERIFY2(f.error.empty(), f.error.c_str());
    // CFGR0: WDT as at power-on, GPIO1 out low, GPIO2 Hi-Z, LVLPL, CDC 3 = 0xD3; DCC1 -> CFGR1 bit 0; DCC9/12 -> CFGR2 bits 0/3;
    // mask 1 -> CFGR2 bit 4; mask 5/12 -> CFGR3 bits 0/7.
    QCOMPARE(imageText(f.images[0]), QString("D3 01 19 81 00 00"));
    const ConfigFields back = decodeConfig(*f.images[0]);
    QCOMPARE(back.cdc, 3);
    QVERIFY(back.discharge[8] && back.discharge[11] && !back.discharge[1]);
    QVERIFY(back.mask[0] && back.mask[4] && back.mask[11]);
    QCOMPARE(encodeConfig(back), *f.images[0]);
    QCOMPARE(flaggedCells({0x10, 0x00, 0x80}, false), std::vector<int>{3});
    QCOMPARE(flaggedCells({0x10, 0x00, 0x80}, true), std::vector<int>{12});
}

void TestCliLogic::argumentRules_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("fine") << QStringList{"--simulate", "read-cells", "--all", "--boards", "3", "--json"} << "";
    QTest::newRow("options after command")
        << QStringList{"record", "--to", "r.sqlite", "--simulate", "--pace", "fast"} << "";
    QTest::newRow("no command") << QStringList{"--simulate"} << "no command given";
    QTest::newRow("unknown command") << QStringList{"read-everything"} << "unknown command read-everything";
    QTest::newRow("foreign option") << QStringList{"identify", "--board", "1"}
                                    << "--board is not an option of identify";
    QTest::newRow("board and all") << QStringList{"read-cells", "--board", "1", "--all"} << "exclude each other";
    QTest::newRow("board beyond stack") << QStringList{"read-cells", "--board", "4", "--boards", "3"}
                                        << "--board 4 is not in the stack of 3";
    QTest::newRow("boards 11") << QStringList{"identify", "--boards", "11"} << "--boards takes a number from 1 to 10";
    QTest::newRow("write-config without file") << QStringList{"write-config"} << "write-config needs a FILE";
    QTest::newRow("record without target") << QStringList{"record"} << "record needs --to";
    QTest::newRow("pace") << QStringList{"record", "--to", "x", "--pace", "slow"} << "--pace takes window or fast";
    QTest::newRow("batched frames at the window pace")
        << QStringList{"record", "--to", "x", "--batch-frames"} << "--batch-frames needs --pace fast";
    QTest::newRow("duration") << QStringList{"record", "--to", "x", "--duration", "-1"} << "--duration takes";
    QTest::newRow("export both") << QStringList{"export", "r", "--csv", "a", "--xlsx", "b"} << "one of --csv";
    QTest::newRow("sim fault needs sim") << QStringList{"selftest", "--sim-absent", "1"} << "need the simulated stack";
    QTest::newRow("sim fault syntax") << QStringList{"--simulate", "selftest", "--sim-self-test-fault", "1:13:123"}
                                      << "--sim-self-test-fault takes SLOT:CELL:CODE";
    QTest::newRow("link") << QStringList{"--link", "usb", "identify"}
                          << "link usb: not known; --link takes sim, serial:PATH[@RATE]";
    QTest::newRow("sim faults with a rate") << QStringList{"--link", "sim@9600", "--sim-absent", "1", "identify"} << "";
    QTest::newRow("sim faults need sim, not ftdi")
        << QStringList{"--link", "ftdi:0403:6001", "--sim-thermal", "1", "identify"} << "need the simulated stack";
    QTest::newRow("extra operand") << QStringList{"identify", "extra"} << "unexpected argument extra";
}

void TestCliLogic::argumentRules() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    std::vector<std::string> v;
    for (const QString& a : args) v.push_back(a.toStdString());
    const CliOptions o = parseCliArgs(v);
    if (error.isEmpty()) QVERIFY2(o.error.empty(), o.error.c_str());
    else QVERIFY2(QString::fromStdString(o.error).contains(error), o.error.c_str());
}

void TestCliLogic::writeVerifiesEveryNamedBoard() {
    {  // The same image everywhere: one broadcast write, every board read back.
        SessionRig rig(3);
        const ConfigVerification v = writeAndVerify(*rig.session, every(rig, "E1 00 00 00 00 00"));
        QVERIFY(v.ok());
        QCOMPARE(v.writes.size(), std::size_t{1});
        QVERIFY(v.writes[0].broadcast);
        QCOMPARE(rig.sent().size(), 4);
        for (int s = 0; s < 3; ++s) QCOMPARE(rig.sim->config(s)[0], uint8_t{0xE1});
    }
    {  // Different images: addressed writes to the named boards only.
        SessionRig rig(3);
        std::vector<std::optional<ConfigBytes>> images(3);
        images[0] = bytes("E1 00 00 00 00 00");
        images[2] = bytes("E5 00 00 00 00 00");
        const ConfigVerification v = writeAndVerify(*rig.session, images);
        QVERIFY(v.ok());
        QCOMPARE(v.writes.size(), std::size_t{2});
        QVERIFY(!v.writes[0].broadcast);
        QCOMPARE(v.readbacks.size(), std::size_t{2});
        QCOMPARE(rig.sim->config(1)[0], uint8_t{0xE0});
        QCOMPARE(rig.sim->config(2)[0], uint8_t{0xE5});
        QCOMPARE(rig.st().bcastWRCFG[0], int16_t{1});  // the window's write form is kept
    }
    {  // A board missing from the stack reads back nothing it was sent.
        SessionRig rig(3, {.simBoards = 2});
        const ConfigVerification v = writeAndVerify(*rig.session, every(rig, "E1 00 00 00 00 00"));
        QCOMPARE(v.mismatched, std::vector<int>{2});
    }
}

void TestCliLogic::readsConvertPollWaitAndRead() {
    SessionRig rig(2);
    std::vector<int> waits;
    const WaitMs wait = [&](int ms) { waits.push_back(ms); };

    // Standby: nothing to wait for, and the result says so.
    auto r = convertAndRead(*rig.session, ReadWhat::Cells, {0, 1}, wait);
    QVERIFY(r[0].standby && r[1].standby);
    QVERIFY(waits.empty());

    // Board 2 in CDC 5 (21 ms), board 1 in CDC 1 (13 ms): one broadcast start for both.
    std::vector<std::optional<ConfigBytes>> images{bytes("E1 00 00 00 00 00"), bytes("E5 00 00 00 00 00")};
    QVERIFY(writeAndVerify(*rig.session, images).ok());
    rig.sent();
    r = convertAndRead(*rig.session, ReadWhat::Cells, {0, 1}, wait);
    QCOMPARE(waits, std::vector<int>{21});
    const QStringList sent = rig.sent();
    QCOMPARE(sent.size(), 2 + 3 + 2);  // two config reads, start, poll, close, two reads
    QCOMPARE(sent[2], QString("MSxS10SB0X"));
    QCOMPARE(sent[4], QString(std::string(kCloseFrameText).c_str()));
    for (const BoardResult& b : r) {
        QVERIFY(!b.standby);
        QVERIFY(b.read.pecMatch);
        QVERIFY(qAbs(b.read.cellVolts[0] - 3.7f) < 0.1f);
        QCOMPARE(b.read.cellStatus[0], int16_t{1});  // good read in measure mode
    }

    // One board: the start is addressed to it; flags and temperatures come back decoded.
    waits.clear();
    rig.sim->setCellVolts(1, 4, 1.0);
    std::vector<std::optional<ConfigBytes>> thresholds{std::nullopt, bytes("E1 00 00 00 7F C7")};
    QVERIFY(writeAndVerify(*rig.session, thresholds).ok());
    r = convertAndRead(*rig.session, ReadWhat::Flags, {1}, wait);
    QCOMPARE(waits, std::vector<int>{13});
    QCOMPARE(flaggedCells(r[0].read.flags, false), std::vector<int>{4});
    QCOMPARE(r[0].read.cellStatus[3], int16_t{3});  // under-voltage code
    rig.sim->setThermalShutdown(1, true);
    r = convertAndRead(*rig.session, ReadWhat::Temps, {1}, wait);
    QCOMPARE(r[0].read.thermalBit, 1);
    QCOMPARE(r[0].read.cellStatus[0], int16_t{7});
}

void TestCliLogic::selfTestVerdictPerBoard() {
    SessionRig rig(3);
    std::vector<std::optional<ConfigBytes>> images{bytes("E1 00 00 00 00 00"), bytes("E1 00 00 00 00 00"),
                                                   std::nullopt};
    QVERIFY(writeAndVerify(*rig.session, images).ok());
    rig.sim->setSelfTestTempFault(1, 2, 0x456);
    const auto verdicts = runSelfTest(*rig.session, {0, 1, 2}, {});
    QCOMPARE(verdicts.size(), std::size_t{3});
    QVERIFY(verdicts[0].passed());
    QVERIFY(!verdicts[1].passed());
    QCOMPARE(verdicts[1].cellsPassed, (std::vector<bool>{true, true, true}));
    QVERIFY(!verdicts[1].tempsPassed[0]);
    QVERIFY(verdicts[2].standby);  // board 3 still in standby: no test possible
    QVERIFY(!verdicts[2].passed());
    const QString table = QString::fromStdString(formatSelfTest(verdicts, false));
    QVERIFY(table.contains("FAIL (standby, CDC 0)"));
    QVERIFY(table.contains("555:FAIL"));
}

void TestCliLogic::recordingPaces() {
    SessionRig rig(3);
    QVERIFY(writeAndVerify(*rig.session, every(rig, "E1 00 00 00 00 00")).ok());
    rig.sent();
    // Fast pace: two broadcast starts with their waits, then cells, temperatures, flags.
    std::vector<int> waits;
    QCOMPARE(fastPass(*rig.session, [&](int ms) { waits.push_back(ms); }), 9);
    QCOMPARE(waits, (std::vector<int>{13, 13}));
    const QStringList fast = rig.sent();
    QCOMPARE(fast.size(), 11);
    QCOMPARE(fast[0], QString("MSxS10SB0X"));
    QCOMPARE(fast[4], QString("MSxS30S50X"));
    QVERIFY(fast[8].contains(QString::fromStdString(readFrameOf(chipCommand(ChipCommandId::RDFLG), "80"))));

    // Window pace: each tick identifies, then one step of the sequence.
    rig.session->beginContinuous();
    for (int i = 0; i < 9; ++i) QVERIFY(windowTick(*rig.session));
    const QStringList ticks = rig.sent();
    QCOMPARE(ticks.count("IZ"), 9);
    QCOMPARE(ticks.count("MSxS10SB0X"), 3);
    rig.session->endContinuous();
    QVERIFY(standbySlots(rig.st()).empty());

    // Board 2 holds ten cells: its cell reads ask for ten, batched or not, the others twelve.
    const std::vector<std::optional<ConfigBytes>> mixed{bytes("E1 00 00 00 00 00"), bytes("E9 00 00 00 00 00"),
                                                        bytes("E1 00 00 00 00 00")};
    QVERIFY(writeAndVerify(*rig.session, mixed).ok());
    for (const bool batch : {false, true}) QCOMPARE(fastPass(*rig.session, {}, batch), 9);
    const auto cells = convertAndRead(*rig.session, ReadWhat::Cells, {0, 1, 2}, {});
    QCOMPARE(cells[1].read.cellCount, 10);
    for (const BoardResult& b : cells) QVERIFY(b.read.pecMatch);

    // A controller that no longer answers ends the run.
    rig.sim->setPlugged(false);
    QVERIFY(!windowTick(*rig.session));
}

// Every device sequence of the command line and the recorder, with each transfer (request
// and reply) and what each returned, compared byte for byte with a committed golden file
// (ZMX_UPDATE_GOLDEN=1 writes it): restructuring the code must leave them as they were.
void TestCliLogic::sequencesMatchGolden() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString tracePath = dir.filePath("trace.txt");
    SessionRig rig(3);
    rig.link->openTrace(tracePath.toStdString());
    qint64 at = 0;
    QByteArray out;
    const auto step = [&](const char* name, const QByteArray& result) {
        out += QByteArray("== ") + name + '\n' + traceLinesSince(tracePath, at) + "= " + result + '\n';
    };
    const auto readsText = [](const std::vector<BoardRead>& reads) {
        QByteArray t;
        for (const BoardRead& r : reads)
            t += QByteArray::number(r.slot) + (r.pecMatch ? "+" : "-") + QByteArray::number(r.cellCount) + " ";
        return t;
    };
    const auto verified = [&](const ConfigVerification& v) {
        QByteArray t = "writes";
        for (const ConfigWrite& w : v.writes) t += " " + QByteArray::number(w.slot) + (w.broadcast ? "b" : "a");
        return t + " reads " + readsText(v.readbacks) + "mismatched " + QByteArray::number(v.mismatched.size());
    };
    const auto results = [&](const std::vector<BoardResult>& rs) {
        std::vector<BoardRead> reads;
        QByteArray standby;
        for (const BoardResult& b : rs) {
            reads.push_back(b.read);
            standby += b.standby ? "s" : "m";
        }
        return readsText(reads) + standby;
    };
    std::vector<int> waits;
    const WaitMs wait = [&](int ms) { waits.push_back(ms); };

    step("cells while standing by", results(convertAndRead(*rig.session, ReadWhat::Cells, {0, 1}, wait)));
    step("write same everywhere", verified(writeAndVerify(*rig.session, every(rig, "E1 00 00 00 00 00"))));
    step("write per board", verified(writeAndVerify(
                                *rig.session, {bytes("E1 00 00 00 00 00"), std::nullopt, bytes("E9 00 00 00 00 00")})));
    step("cells of three", results(convertAndRead(*rig.session, ReadWhat::Cells, {0, 1, 2}, wait)));
    step("cells of one", results(convertAndRead(*rig.session, ReadWhat::Cells, {2}, wait)));
    step("flags", results(convertAndRead(*rig.session, ReadWhat::Flags, {1, 2}, wait)));
    step("temps", results(convertAndRead(*rig.session, ReadWhat::Temps, {0, 2}, wait)));
    QByteArray selfTest;
    for (const SelfTestVerdict& v : runSelfTest(*rig.session, {0, 2}, wait))
        selfTest += QByteArray::number(v.slot) + (v.passed() ? "+ " : "- ");
    step("self test", selfTest);
    step("fast pass", QByteArray::number(fastPass(*rig.session, wait)));
    step("fast pass batched", QByteArray::number(fastPass(*rig.session, wait, true)));
    rig.session->beginContinuous();
    QByteArray ticks;
    for (int i = 0; i < 10; ++i) ticks += windowTick(*rig.session) ? "+" : "-";
    rig.session->endContinuous();
    step("window pace", ticks);
    step("every configuration", readsText(rig.session->readConfigAll()));
    rig.session->prepareLowCurrentStandby();
    QByteArray waited;
    for (int ms : waits) waited += QByteArray::number(ms) + " ";
    step("low-current standby", "waits " + waited + "selected " + QByteArray::number(rig.st().selectedBoard));

    const QString diff = compareWithGolden("tests/cli/golden/stack_sequences.txt", out);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

// A failed command says why only when the controller went away, not after a bad reply.
void TestCliLogic::lostControllerIsNamed() {
    SessionRig rig(2);
    rig.sim->corruptNextReplies(1);
    QVERIFY(!rig.session->readConfig(0).pecMatch);
    QCOMPARE(lostControllerLine(*rig.session), std::string());
    rig.sim->setPlugged(false);
    QVERIFY(!rig.session->readConfig(0).pecMatch);
    const QString line = QString::fromStdString(lostControllerLine(*rig.session));
    QVERIFY2(line.contains("stopped answering on link sim") && line.contains("[controller unplugged]"),
             qPrintable(line));
}

// Failed reads count against their boards once the controller has answered since; those
// just before a loss are the loss's.
void TestCliLogic::readTallyBlamesBoardsNotALostController() {
    SessionRig rig(3, {.simBoards = 2});
    ReadTally tally;
    rig.session->addListener(&tally);
    QCOMPARE(fastPass(*rig.session, {}), 6);
    QCOMPARE(tally.board(2).failed, 3);  // board 3 is not there: cells, temperatures, flags
    QVERIFY(tally.board(0).answered() && !tally.board(2).answered());
    QVERIFY(tally.anyFailure(3) && !tally.anyFailure(2));

    // Unplugged: a pass without a good reply, then the identification fails.
    rig.sim->setPlugged(false);
    QCOMPARE(fastPass(*rig.session, {}), 0);
    QVERIFY(!rig.session->identify());
    tally.discardUnconfirmed();
    rig.sim->setPlugged(true);
    QVERIFY(rig.session->identify());
    QCOMPARE(tally.board(0).reads, 3);
    QCOMPARE(tally.board(0).failed, 0);

    // A corrupted reply with the controller there stays counted.
    rig.sim->corruptNextReplies(1);
    QVERIFY(!rig.session->readConfig(0).pecMatch);
    QVERIFY(rig.session->identify());
    tally.discardUnconfirmed();
    QCOMPARE(tally.board(0).failed, 1);
    rig.session->removeListener(&tally);
}

// Rows lost because the database was away at the close are said as that, not as a full queue.
void TestCliLogic::closeLineSaysWhatWasDropped() {
    QTemporaryDir dir;
    WriterOptions opt;
    opt.retryMs = 50;
    std::string error;
    auto writer = RecordWriter::open(dir.filePath("closed.sqlite").toStdString(), {}, &error, opt);
    QVERIFY2(writer, error.c_str());
    {
        QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
        lock.setDatabaseName(dir.filePath("closed.sqlite"));
        QVERIFY(lock.open());
        QVERIFY(QSqlQuery(lock).exec(QStringLiteral("BEGIN IMMEDIATE")));  // held until the close
        for (int i = 0; i < 30; ++i) writer->onRead(BoardRead{});
        QTRY_VERIFY_WITH_TIMEOUT(!writer->status().answering, 15000);
        QCOMPARE(writer->close(0).rowsDropped, 30);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lock"));
    const std::vector<std::string> events = writer->takeEvents();
    QVERIFY(std::none_of(events.begin(), events.end(),
                         [](const std::string& e) { return e.find("queue full") != std::string::npos; }));
    QVERIFY(std::any_of(events.begin(), events.end(), [](const std::string& e) {
        return e.find("30 queued rows not written") != std::string::npos;
    }));
}

// A label or host with control characters shows them escaped: one table line per recording.
void TestCliLogic::recordingListKeepsOneLineEach_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "bench 7"
                           << "bench 7";
    QTest::newRow("line break") << "line 1\nline 2"
                                << "line 1\\nline 2";
    QTest::newRow("carriage return and tab") << "a\r\tb"
                                             << "a\\r\\tb";
    QTest::newRow("escape character") << "red\x1b[31m"
                                      << "red\\x1B[31m";
}

void TestCliLogic::recordingListKeepsOneLineEach() {
    QFETCH(QString, label);
    QFETCH(QString, shown);
    RecordingInfo a;
    a.id = 1;
    a.label = label.toStdString();
    a.host = "bench\nhost";
    RecordingInfo b = a;
    b.id = 2;
    const QString table = QString::fromStdString(formatRecordingList({a, b}, false));
    const QStringList lines = table.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);  // the heading and one line each
    QVERIFY2(lines[1].contains(shown) && lines[1].contains("bench\\nhost"), qPrintable(table));
    // JSON keeps the text as it is.
    QVERIFY(QString::fromStdString(formatRecordingList({a}, true))
                .contains(QJsonDocument(QJsonArray{label}).toJson(QJsonDocument::Compact).mid(1).chopped(1)));
}

ZMX_TEST_MAIN(tst_clilogic, TestCliLogic, Core)
#include "tst_clilogic.moc"
