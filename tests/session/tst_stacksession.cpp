// The stack session without a window, against the in-process simulated stack: one group
// per device command, checking the controller texts sent and what the session stored and
// handed to its listeners.

#include <QtTest>

#include "link/SimLink.h"
#include "protocol/ChipCommands.h"
#include "protocol/Frames.h"
#include "protocol/ReadDecode.h"
#include "rules/CellStatus.h"
#include "session/BoardReadOf.h"
#include "session/LinkFailureLine.h"
#include "session/StackSession.h"
#include "support/SessionRig.h"
#include "support/TestMain.h"

using namespace zmx;
using namespace zmx::test;

namespace {

QStringList qlist(const std::vector<std::string>& v) {
    QStringList out;
    for (const auto& s : v) out << QString::fromStdString(s);
    return out;
}

}  // namespace

class TestStackSession : public QObject {
    Q_OBJECT

private slots:
    void startUpIdentifiesThenReadsBoardOne();
    void startUpStopsOnAnUnknownController();
    void writeConfigBroadcastAndAddressed();
    void readConfigVerdictAndReadback();
    void cellFlagAndTempReadsDecodeTheChips();
    void mismatchedFlagReadUnderPecMatchOnlyKeepsStatus();
    void continuousPassCoversTenBoards();
    void cellReadLengthFollowsEachBoard_data();
    void cellReadLengthFollowsEachBoard();
    void selfTestPatternsPassAndFail();
    void lowCurrentStandbyPutsTheStackToSleep();
    void commandsActOnTheBoardAndFormGiven_data();
    void commandsActOnTheBoardAndFormGiven();
};

void TestStackSession::startUpIdentifiesThenReadsBoardOne() {
    SessionRig rig(3, {.start = false});
    QVERIFY(rig.session->startUp());
    QCOMPARE(qlist(rig.takeWrites()), (QStringList{"IZ", "MSxT80T49T02TCERRRRRRRX"}));
    QCOMPARE(rig.st().boardIdentified, Identified::Yes);
    QCOMPARE(rig.log.idents.size(), std::size_t{1});
    QCOMPARE(rig.log.reads.size(), std::size_t{1});
    const BoardRead& r = rig.log.reads[0];
    QCOMPARE(r.kind, ReadKind::Config);
    QVERIFY(r.pecMatch);
    QCOMPARE(r.config, rig.sim->config(0));
    QCOMPARE(rig.st().readStatus[0], LampState::PecMatch);
    QCOMPARE(rig.st().cfgReadback[0][0], std::string("E0"));
}

void TestStackSession::startUpStopsOnAnUnknownController() {
    SessionRig rig(1, {.start = false});
    rig.sim->setIdText("SOMETHING ELSE");
    QVERIFY(!rig.session->startUp());
    QCOMPARE(qlist(rig.takeWrites()), QStringList{"IZ"});
    QCOMPARE(rig.st().boardIdentified, Identified::No);
    QVERIFY(rig.session->lastIdentReply().starts_with("SOMETHING ELSE"));
    // The line both programs print names the link and the reply.
    const QString line = QString::fromStdString(linkFailureLine(LinkFailure::NoController, *rig.session));
    QVERIFY2(line.startsWith("no supported controller answered on link sim: identification returned "
                             "\"SOMETHING ELSE\""),
             qPrintable(line));
    // Whatever the wire and the link's cause hold, it stays one line.
    const std::string lost = linkFailureLine(LinkFailure::StoppedAnswering, "serial:/dev/x", "AB\x01\r\n", "gone\nnow");
    QVERIFY(lost.find_first_of("\r\n\x01") == std::string::npos);
    QVERIFY(lost.find("\"AB???\"") != std::string::npos && lost.find("[gone now]") != std::string::npos);
}

void TestStackSession::writeConfigBroadcastAndAddressed() {
    SessionRig rig(3);
    StackState& st = rig.st();
    // Broadcast (the start-up default): every board takes the image and records it.
    st.cfgImage[0] = {"E1", "00", "00", "00", "00", "00"};
    for (int s = 1; s < 3; ++s) st.cfgImage[s] = st.cfgImage[0];
    const ConfigWrite w = rig.session->writeConfig(0, true);
    QCOMPARE(qlist(rig.takeWrites()), QStringList{"MSxT01SC7SE1S00S00S00S00S00SD7X"});
    QVERIFY(w.broadcast);
    QCOMPARE(w.bytes[0], uint8_t{0xE1});
    QCOMPARE(rig.log.writes.size(), std::size_t{1});
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(rig.sim->config(s)[0], uint8_t{0xE1});
        QCOMPARE(st.cfgWritten[s][0], std::string("E1"));
    }
    QCOMPARE(st.cfgViewIsReadback, int16_t{0});

    // Addressed to board 2: only that chip and that record change.
    st.cfgImage[1][0] = "E2";
    const ConfigWrite addressed = rig.session->writeConfig(1, false);
    QVERIFY(!addressed.broadcast);
    QCOMPARE(addressed.slot, 1);
    QCOMPARE(qlist(rig.takeWrites()), QStringList{"MSxT81S4ES01SC7SE2S00S00S00S00S00SACX"});
    QCOMPARE(rig.sim->config(1)[0], uint8_t{0xE2});
    QCOMPARE(rig.sim->config(0)[0], uint8_t{0xE1});
    QCOMPARE(st.cfgWritten[1][0], std::string("E2"));
    QCOMPARE(st.cfgWritten[0][0], std::string("E1"));
}

void TestStackSession::readConfigVerdictAndReadback() {
    SessionRig rig(2);
    StackState& st = rig.st();
    st.cfgImage[0] = {"E1", "00", "00", "00", "00", "00"};
    st.cfgImage[1] = st.cfgImage[0];
    rig.session->writeConfig(0, true);
    rig.takeWrites();

    const std::vector<BoardRead> all = rig.session->readConfigAll();
    QCOMPARE(qlist(rig.takeWrites()), (QStringList{"MSxT80T49T02TCERRRRRRRX", "MSxT81T4ET02TCERRRRRRRX"}));
    QCOMPARE(all.size(), std::size_t{2});
    for (int s = 0; s < 2; ++s) {
        QVERIFY(all[s].pecMatch);
        QCOMPARE(all[s].slot, s);
        QCOMPARE(st.readStatus[s], LampState::PecMatch);  // measure mode now
        QCOMPARE(st.measureMode[s], int16_t{1});
        for (int k = 0; k < 6; ++k) QVERIFY(!rig.session->readbackDiffers(s, k));
    }
    QCOMPARE(st.selectedBoard, int16_t{0});

    // A corrupted reply: red lamp, the event says so, the read-back shows what arrived.
    st.cfgImage[0][1] = "01";  // composed but not written: the read-back differs there
    rig.sim->corruptNextReplies(1);
    const BoardRead bad = rig.session->readConfig(0);
    QVERIFY(!bad.pecMatch);
    QCOMPARE(st.readStatus[0], LampState::PecMismatch);
    QCOMPARE(bad.lampState, int16_t{2});
    QVERIFY(rig.session->readbackDiffers(0, 1));
}

void TestStackSession::cellFlagAndTempReadsDecodeTheChips() {
    SessionRig rig(2);
    StackState& st = rig.st();
    // Measure mode with thresholds: VUV code 0x7F (2.304 V) and VOV code 0xC7 (4.008 V).
    st.cfgImage[0] = {"E1", "00", "00", "00", "7F", "C7"};
    st.cfgImage[1] = st.cfgImage[0];
    rig.session->writeConfig(0, true);
    rig.session->readConfigAll();
    rig.sim->setCellVolts(1, 3, 1.2);   // under the VUV threshold
    rig.sim->setCellVolts(1, 12, 4.1);  // over the VOV threshold
    rig.sim->setTempVolts(1, 0, 1.5);
    rig.takeWrites();
    rig.log = {};

    rig.session->startCellConversion(1, false, 0, "0");
    QCOMPARE(qlist(rig.takeWrites()), QStringList{"MSxS81S4ES10SB0X"});
    const BoardRead cells = rig.session->readCells(1, 0);
    QCOMPARE(qlist(rig.takeWrites()),
             QStringList{QString::fromStdString(readFrameOf(chipCommand(ChipCommandId::RDCV), "81"))});
    QVERIFY(cells.pecMatch);
    QCOMPARE(cells.slot, 1);
    QCOMPARE(cells.cellCount, 12);
    QCOMPARE(cells.cellCodes[2], rig.sim->cellCode(1, 3));
    QVERIFY(qAbs(cells.cellVolts[2] - 1.2f) < 0.002f);
    QVERIFY(qAbs(cells.cellVolts[11] - 4.1f) < 0.002f);
    QCOMPARE(st.rdcvGood[1], int16_t{1});

    const BoardRead flags = rig.session->readFlags(1);
    QVERIFY(flags.pecMatch);
    QCOMPARE(int(flags.flags[0] & 0x30), 0x10);  // cell 3 under-voltage
    QCOMPARE(int(flags.flags[2] & 0xC0), 0x80);  // cell 12 over-voltage
    rig.session->deriveFlagStatus(1);
    QCOMPARE(st.cellStatus[statusIndex(1, 2)], int16_t{kStatusUnderVoltage});
    QCOMPARE(st.cellStatus[statusIndex(1, 11)], int16_t{kStatusOverVoltage});

    rig.session->startTempConversion(1, false, "0");
    const BoardRead temps = rig.session->readTemps(1);
    QVERIFY(temps.pecMatch);
    QVERIFY(qAbs(temps.tempVolts[0] - 1.5f) < 0.002f);
    QCOMPARE(temps.thermalBit, 0);

    // Thermal shutdown: the bit comes with the read, the latch with applyThermalStatus.
    rig.sim->setThermalShutdown(1, true);
    rig.session->startTempConversion(1, false, "0");
    QCOMPARE(rig.session->readTemps(1).thermalBit, 1);
    const ThermalChanges c = rig.session->applyThermalStatus();
    QCOMPARE(c.latched, std::vector<int>{1});
    QCOMPARE(st.readStatus[1], LampState::ThermalShutdown);
    QCOMPARE(st.cellStatus[statusIndex(1, 0)], int16_t{kStatusThermal});

    // Every read reached the listener, with the board's status codes as they stood then.
    QCOMPARE(rig.log.reads.size(), std::size_t{4});
    QCOMPARE(rig.log.reads[2].cellStatus[2], int16_t{kStatusUnderVoltage});
}

// With "PEC Match Only" a corrupted flag reply may not set or clear a cell status code;
// without it the reply is taken as it came, as before.
void TestStackSession::mismatchedFlagReadUnderPecMatchOnlyKeepsStatus() {
    for (const int16_t pecMatchOnly : {int16_t{1}, int16_t{0}}) {
        SessionRig rig(1);
        StackState& st = rig.st();
        st.cfgImage[0] = {"E1", "00", "00", "00", "7F", "C7"};
        rig.session->writeConfig(0, true);
        rig.session->readConfig(0);
        rig.session->startCellConversion(0, false, 0, "0");
        rig.session->readCells(0, 0);
        evaluateCellStatus(st, 0);
        QCOMPARE(st.cellStatus[statusIndex(0, 0)], int16_t{kStatusGood});

        st.showValidOnly = pecMatchOnly;
        rig.sim->corruptNextReplies(1);
        const BoardRead r = rig.session->readFlags(0);
        QVERIFY(!r.pecMatch);
        const std::array<int16_t, 12> before = cellStatusOf(st, 0);
        // Make the stored flag texts claim every cell is under-voltage, as a corrupted
        // reply can.
        for (auto& t : st.flgrText[0]) t = "55";
        rig.session->deriveFlagStatus(0);
        if (pecMatchOnly == 1) QCOMPARE(cellStatusOf(st, 0), before);
        else QCOMPARE(st.cellStatus[statusIndex(0, 0)], int16_t{kStatusUnderVoltage});

        // A good flag read lifts the hold again; an under-voltage code it no longer
        // reports goes back to 0.
        rig.session->readFlags(0);
        rig.session->deriveFlagStatus(0);
        QCOMPARE(st.cellStatus[statusIndex(0, 0)], int16_t(pecMatchOnly == 1 ? kStatusGood : kStatusClear));
    }
}

void TestStackSession::continuousPassCoversTenBoards() {
    SessionRig rig(10);
    StackState& st = rig.st();
    for (int s = 0; s < 10; ++s) st.cfgImage[s] = {"E1", "00", "00", "00", "00", "00"};
    rig.session->writeConfig(0, true);
    rig.session->readConfigAll();
    rig.takeWrites();
    rig.log = {};

    rig.session->beginContinuous();
    struct Counter : StepHooks {
        int starts = 0, steps = 0;
        void started(const StartResult&) override { ++starts; }
        void stepDone() override { ++steps; }
    } hooks;
    for (int i = 0; i < 30; ++i) rig.session->continuousStep(&hooks);
    QCOMPARE(hooks.steps, 30);
    QCOMPARE(hooks.starts, 20);
    QCOMPARE(st.scanBoard, int16_t{0});
    QCOMPARE(st.sequenceStep, int16_t{0});

    // Each board: cells, temperatures, flags, in that order, all good.
    QCOMPARE(rig.log.reads.size(), std::size_t{30});
    for (int s = 0; s < 10; ++s) {
        QCOMPARE(rig.log.reads[3 * s].kind, ReadKind::Cells);
        QCOMPARE(rig.log.reads[3 * s + 1].kind, ReadKind::Temps);
        QCOMPARE(rig.log.reads[3 * s + 2].kind, ReadKind::Flags);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(rig.log.reads[3 * s + k].slot, s);
            QVERIFY(rig.log.reads[3 * s + k].pecMatch);
        }
    }
    // Each read carries its board's codes after it: a good read in measure mode is 1, though
    // the window's own labels are not re-evaluated while the run goes on.
    std::array<int16_t, 12> good;
    good.fill(kStatusGood);
    for (const BoardRead& r : rig.log.reads) QCOMPARE(r.cellStatus, good);
    // The conversions go out in broadcast form; the read of board 10 is addressed to 0x89.
    const QStringList sent = qlist(rig.takeWrites());
    QCOMPARE(sent.count("MSxS10SB0X"), 10);
    QCOMPARE(sent.count("MSxS30S50X"), 10);
    QVERIFY(sent.contains(QString::fromStdString(readFrameOf(chipCommand(ChipCommandId::RDFLG), "89"))));

    rig.session->endContinuous();
    QCOMPARE(st.continuousRunning, int16_t{0});
    QCOMPARE(st.cellVolts[cellValueIndex(3, 1)], 0.0f);
    QCOMPARE(st.keepAliveActive, int16_t{1});  // boards measuring, nothing else serves them
}

void TestStackSession::cellReadLengthFollowsEachBoard_data() {
    QTest::addColumn<QStringList>("images");  // CFGR0 written to boards 1..3, addressed
    QTest::addColumn<bool>("laterRun");       // read by a new session that only reads them back
    QTest::addColumn<QList<int>>("cells");    // cells each board's read carries
    QTest::newRow("board 2 ten cells") << QStringList{"E1", "E9", "E1"} << false << QList<int>{12, 10, 12};
    QTest::newRow("last written twelve") << QStringList{"E9", "E9", "E1"} << false << QList<int>{10, 10, 12};
    QTest::newRow("read back in a later run") << QStringList{"E9", "E9", "E9"} << true << QList<int>{10, 10, 10};
    QTest::newRow("mixed, later run") << QStringList{"E1", "E9", "E1"} << true << QList<int>{12, 10, 12};
}

// A board answers a cell read with as many bytes as its own configuration says; the read
// asks for that many, whatever the stack-wide ten-cell mode (the last write) says.
void TestStackSession::cellReadLengthFollowsEachBoard() {
    QFETCH(QStringList, images);
    QFETCH(bool, laterRun);
    QFETCH(QList<int>, cells);
    auto rig = std::make_unique<SessionRig>(3);
    for (int s = 0; s < 3; ++s) {
        rig->st().cfgImage[s] = {images[s].toStdString(), "00", "00", "00", "00", "00"};
        rig->session->writeConfig(s, false);
    }
    if (laterRun) {
        rig = std::make_unique<SessionRig>(3, RigOptions{.stack = rig->sim});
        rig->session->readConfigAll();
    }
    StackState& st = rig->st();
    rig->session->startCellConversion(0, true, 0, "0");
    for (const int selector : {0, 1}) {
        for (int s = 0; s < 3; ++s) {
            const BoardRead r = rig->session->readCells(s, selector);
            QVERIFY2(r.pecMatch, qPrintable(QString("board %1, selector %2").arg(s + 1).arg(selector)));
            QCOMPARE(r.cellCount, cells[s]);
            QVERIFY(qAbs(r.cellVolts[9] - 3.7f) < 0.1f);
        }
    }
}

void TestStackSession::selfTestPatternsPassAndFail() {
    SessionRig rig(2);
    StackState& st = rig.st();
    st.cfgImage[0] = {"E1", "00", "00", "00", "00", "00"};  // a chip in standby converts nothing
    rig.session->writeConfig(0, true);
    for (const char* digit : {"E", "F", "D"}) {
        st.selfTestDigit = digit;
        rig.session->startCellConversion(0, false, 0, digit);
        rig.session->readCells(0, 0);
        QCOMPARE(rig.session->cellSelfTestPassed(0), std::optional<bool>(true));
        rig.session->startTempConversion(0, false, digit);
        rig.session->readTemps(0);
        QCOMPARE(rig.session->tempSelfTestPassed(0), std::optional<bool>(true));
    }
    rig.sim->setSelfTestFault(0, 7, 0x123);
    rig.sim->setSelfTestTempFault(0, 2, 0x456);
    rig.session->startCellConversion(0, false, 0, "D");
    rig.session->readCells(0, 0);
    QCOMPARE(rig.session->cellSelfTestPassed(0), std::optional<bool>(false));
    rig.session->startTempConversion(0, false, "D");
    rig.session->readTemps(0);
    QCOMPARE(rig.session->tempSelfTestPassed(0), std::optional<bool>(false));
    st.selfTestDigit = "0";  // not a pattern: no verdict
    QCOMPARE(rig.session->cellSelfTestPassed(0), std::nullopt);
}

void TestStackSession::lowCurrentStandbyPutsTheStackToSleep() {
    SessionRig rig(3);
    StackState& st = rig.st();
    for (int s = 0; s < 3; ++s) st.cfgImage[s] = {"E2", "00", "00", "00", "00", "00"};
    st.bcastWRCFG[0] = 0;  // the window's WRCFG box is off: standby still goes to all
    rig.session->writeConfig(0, false);
    rig.takeWrites();

    rig.session->prepareLowCurrentStandby();
    const QStringList sent = qlist(rig.takeWrites());
    QCOMPARE(sent.first(), QString("MSxT01SC7SE0S00S00S00S00S00SFEX"));
    QCOMPARE(sent.size(), 5);  // the write, three read-backs, "MI"
    QCOMPARE(sent.last(), QString("MI"));
    QVERIFY(rig.sim->spiForcedHigh());
    for (int s = 0; s < 3; ++s) {
        QVERIFY(rig.sim->inStandby(s));
        QCOMPARE(st.measureMode[s], int16_t{0});
    }
    QCOMPARE(st.bcastWRCFG[0], int16_t{0});
    QCOMPARE(st.suspendIdentify, int16_t{1});
}

// A command acts on the slot and in the form it is given, whatever board is selected and
// whatever the selected board's switches say, and leaves both as they were.
void TestStackSession::commandsActOnTheBoardAndFormGiven_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("broadcast");
    QTest::addColumn<QString>("sent");
    QTest::newRow("WRCFG addressed") << "write" << false << "MSxT82S47S01SC7SE0S00S00S00S00S00SFEX";
    QTest::newRow("WRCFG broadcast") << "write" << true << "MSxT01SC7SE0S00S00S00S00S00SFEX";
    QTest::newRow("STCVAD addressed") << "cells" << false << "MSxS82S47S10SB0X";
    QTest::newRow("STCVAD broadcast") << "cells" << true << "MSxS10SB0X";
    QTest::newRow("STTMPAD addressed") << "temps" << false << "MSxS82S47S30S50X";
    QTest::newRow("PLADC broadcast") << "poll" << true << "MSxS40S07";
    QTest::newRow("PLADC addressed") << "poll" << false << "MSxS82S47S40S07";
    QTest::newRow("RDCFG") << "read config" << false << "MSxT82T47T02TCERRRRRRRX";
    QTest::newRow("RDCV") << "read cells" << false << "MSxT82T47T04TDCRRRRRRRRRRRRRRRRRRRX";
    QTest::newRow("RDFLG") << "read flags" << false << "MSxT82T47T0CTE4RRRRX";
    QTest::newRow("RDTMP") << "read temps" << false << "MSxT82T47T0ETEARRRRRRX";
}

void TestStackSession::commandsActOnTheBoardAndFormGiven() {
    QFETCH(QString, command);
    QFETCH(bool, broadcast);
    QFETCH(QString, sent);
    SessionRig rig(3);
    StackState& st = rig.st();
    st.selectedBoard = 1;
    st.bcastWRCFG[1] = broadcast ? 0 : 1;  // the switches say the opposite
    st.bcastSTCVAD[1] = st.bcastSTTMPAD[1] = st.bcastPLADC[1] = broadcast ? 0 : 1;
    const StackState before = st;
    int slot = -1;
    if (command == "write") slot = rig.session->writeConfig(2, broadcast).slot;
    else if (command == "cells")
        QCOMPARE(rig.session->startCellConversion(2, broadcast, 0, "0").transfer.mode, int(broadcast));
    else if (command == "temps") rig.session->startTempConversion(2, broadcast, "0");
    else if (command == "poll") rig.session->sendPoll(2, broadcast, 0);
    else if (command == "read config") slot = rig.session->readConfig(2).slot;
    else if (command == "read cells") slot = rig.session->readCells(2, 0).slot;
    else if (command == "read flags") slot = rig.session->readFlags(2).slot;
    else if (command == "read temps") slot = rig.session->readTemps(2).slot;
    QCOMPARE(qlist(rig.takeWrites()), QStringList{sent});
    if (slot >= 0) QCOMPARE(slot, 2);
    QCOMPARE(st.selectedBoard, before.selectedBoard);
    QCOMPARE(st.bcastWRCFG, before.bcastWRCFG);
    QCOMPARE(st.bcastSTCVAD, before.bcastSTCVAD);
    QCOMPARE(st.bcastSTTMPAD, before.bcastSTTMPAD);
    QCOMPARE(st.bcastPLADC, before.bcastPLADC);
    // A poll leaves its frame open until the next command closes it.
    QCOMPARE(st.pollPending, int16_t(command == "poll" ? 1 : 0));
}

ZMX_TEST_MAIN(tst_stacksession, TestStackSession, Core)
#include "tst_stacksession.moc"
