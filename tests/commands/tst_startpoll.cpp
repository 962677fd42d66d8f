// Start-conversion and poll commands: the controller texts, the freshness marks they
// clear, and what the window sends and shows.

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "rules/StartPollLogic.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

using namespace zmx;
using namespace zmx::test;

namespace {
void setAllFresh(StackState& st) {
    st.rdcvGood.fill(1);
    st.rdflgGood.fill(1);
    st.rdtmpGood.fill(1);
}
}  // namespace

class TestStartPoll : public QObject {
    Q_OBJECT
private slots:
    void startTexts_data() {
        QTest::addColumn<int>("kind");  // 0..3 cell conversions, 4 temperature
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QString>("lowDigit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("STCVAD all cells broadcast") << 0 << 0 << 1 << "0"
                                                    << "MSxS10SB0X"
                                                    << "STCVAD";
        QTest::newRow("STCVAD cell 12 broadcast") << 0 << 0 << 1 << "C"
                                                  << "MSxS1CS94X"
                                                  << "STCVAD";
        QTest::newRow("STCVAD cell 12 lower case") << 0 << 0 << 1 << "c"
                                                   << "MSxS1CS94X"
                                                   << "STCVAD";
        QTest::newRow("STCVAD addressed board 1") << 0 << 0 << 0 << "0"
                                                  << "MSxS80S49S10SB0X"
                                                  << "STCVAD";
        QTest::newRow("STOWAD cell 5 broadcast") << 1 << 0 << 1 << "5"
                                                 << "MSxS25S3BX"
                                                 << "STOWAD";
        QTest::newRow("STCVDC addressed board 2") << 2 << 1 << 0 << "0"
                                                  << "MSxS81S4ES60SE7X"
                                                  << "STCVDC";
        QTest::newRow("STOWDC self test 2") << 3 << 0 << 1 << "F"
                                            << "MSxS7FSBAX"
                                            << "STOWDC";
        QTest::newRow("STTMPAD all broadcast") << 4 << 0 << 1 << "0"
                                               << "MSxS30S50X"
                                               << "STTMPAD";
        QTest::newRow("STTMPAD ITMP addressed board 3") << 4 << 2 << 0 << "3"
                                                        << "MSxS82S47S33S59X"
                                                        << "STTMPAD";
        QTest::newRow("STTMPAD self test 1") << 4 << 0 << 1 << "E"
                                             << "MSxS3ES7AX"
                                             << "STTMPAD";
    }
    void startTexts() {
        QFETCH(int, kind);
        QFETCH(int, slot);
        QFETCH(int, broadcast);
        QFETCH(QString, lowDigit);
        QFETCH(QString, text);
        QFETCH(QString, name);
        StackState st = stackOf(3);
        st.selectedBoard = static_cast<int16_t>(slot);
        const WriteOnlyCommand& cmd = kind < 4 ? cellConversionCommand(kind) : tempConversionCommand();
        (st.*cmd.bcast)[slot] = static_cast<int16_t>(broadcast);
        const WriteOnlyTransfer t = startTransfer(st, cmd, lowDigit.toStdString());
        QCOMPARE(QString::fromStdString(t.text), text);
        QCOMPARE(QString::fromLatin1(cmd.name.data(), cmd.name.size()), name);
        QCOMPARE(t.mode, broadcast);
    }

    // Only the switch of the command's own family decides the form.
    void eachFamilyFollowsItsOwnSwitch() {
        StackState st = stackOf(1);
        st.bcastSTCVAD[0] = 1;
        QVERIFY(startTransfer(st, cellConversionCommand(0), "0").mode == 1);
        for (int kind = 1; kind < 4; ++kind) QVERIFY(startTransfer(st, cellConversionCommand(kind), "0").mode == 0);
        QVERIFY(startTransfer(st, tempConversionCommand(), "0").mode == 0);
        QVERIFY(pollTransfer(st, pollCommand(0)).mode == 0);
    }

    void pollTextsLeaveTheFrameOpen_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QString>("text");
        QTest::newRow("PLADC addressed 0x80") << 0 << 0 << 0 << "MSxS80S49S40S07";
        QTest::newRow("PLINT addressed 0x81") << 1 << 1 << 0 << "MSxS81S4ES50S77";
        QTest::newRow("PLADC broadcast") << 0 << 0 << 1 << "MSxS40S07";
        QTest::newRow("PLINT broadcast") << 1 << 2 << 1 << "MSxS50S77";
    }
    void pollTextsLeaveTheFrameOpen() {
        QFETCH(int, kind);
        QFETCH(int, slot);
        QFETCH(int, broadcast);
        QFETCH(QString, text);
        StackState st = stackOf(3);
        st.selectedBoard = static_cast<int16_t>(slot);
        (st.*pollCommand(kind).bcast)[slot] = static_cast<int16_t>(broadcast);
        const WriteOnlyTransfer t = pollTransfer(st, pollCommand(kind));
        QCOMPARE(QString::fromStdString(t.text), text);
        QVERIFY(!QString::fromStdString(t.text).contains('X'));
    }

    void cellConversionMakesTheWholeStackStale() {
        StackState st = stackOf(3);
        st.selectedBoard = 1;
        setAllFresh(st);
        markCellReadingsStale(st);
        for (int s = 0; s < 3; ++s) {
            QCOMPARE(int(st.rdcvGood[s]), 0);
            QCOMPARE(int(st.rdflgGood[s]), 0);
            QCOMPARE(int(st.rdtmpGood[s]), 1);
        }
        QCOMPARE(int(st.rdcvGood[3]), 1);  // beyond the stack
    }

    void tempConversionStaleness_data() {
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QList<int>>("fresh");  // rdtmpGood of slots 0..3 afterwards
        QTest::newRow("broadcast: whole stack") << 1 << QList<int>{0, 0, 0, 1};
        QTest::newRow("addressed: selected board") << 0 << QList<int>{1, 0, 1, 1};
    }
    void tempConversionStaleness() {
        QFETCH(int, broadcast);
        QFETCH(QList<int>, fresh);
        StackState st = stackOf(3);
        st.selectedBoard = 1;
        st.bcastSTTMPAD[1] = static_cast<int16_t>(broadcast);
        setAllFresh(st);
        markTempReadingsStale(st);
        for (int s = 0; s < 4; ++s) QCOMPARE(int(st.rdtmpGood[s]), fresh[s]);
        QCOMPARE(int(st.rdcvGood[1]), 1);
    }

    // ------------------------------------------------------------------ the window

    void startsGoOutAndShowInTheMonitor_data() {
        QTest::addColumn<int>("kind");  // 0..3 cell conversions, 4 temperature
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("byteLine");
        QTest::newRow("STCVAD addressed") << 0 << 0 << "MSxS80S49S10SB0X"
                                          << "Command = 0x10 STCVAD"
                                          << "   49  |  B0  | ";
        QTest::newRow("STCVAD broadcast") << 0 << 1 << "MSxS10SB0X"
                                          << "Command = 0x10 STCVAD"
                                          << "   B0  | ";
        QTest::newRow("STOWDC addressed") << 3 << 0 << "MSxS80S49S70S97X"
                                          << "Command = 0x70 STOWDC"
                                          << "   49  |  97  | ";
        QTest::newRow("STTMPAD broadcast") << 4 << 1 << "MSxS30S50X"
                                           << "Command = 0x30 STTMPAD"
                                           << "   50  | ";
    }
    void startsGoOutAndShowInTheMonitor() {
        QFETCH(int, kind);
        QFETCH(int, broadcast);
        QFETCH(QString, text);
        QFETCH(QString, commandLine);
        QFETCH(QString, byteLine);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        const WriteOnlyCommand& cmd = kind < 4 ? cellConversionCommand(kind) : tempConversionCommand();
        (w.st.*cmd.bcast)[0] = static_cast<int16_t>(broadcast);
        f.takeCommandWrites();
        if (kind < 4) {
            QCOMPARE(w.StartCellConversion(kind, "0"), byteLine);
            QCOMPARE(QString::fromStdString(w.st.txCommand), text);
        } else {
            w.StartTempConversion("0");
            QCOMPARE(QString::fromStdString(w.st.txTemp), text);
        }
        QCOMPARE(f.takeCommandWrites(), std::vector<std::string>{text.toStdString()});
        QCOMPARE(w.ui.Label8[1]->text(), commandLine);
        QCOMPARE(w.ui.Text8->text(), byteLine);
        QCOMPARE(w.ui.Label25->text(), QString("W R"));
    }

    void pollLeavesTheFrameOpen() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.lastBoardIndex = 1;
        w.st.selectedBoard = 1;
        f.takeCommandWrites();
        w.SendPoll(1);
        QCOMPARE(f.takeCommandWrites(), std::vector<std::string>{"MSxS81S4ES50S77"});
        QCOMPARE(w.st.txCommand, std::string("MSxS81S4ES50S77"));
        QCOMPARE(w.ui.Label8[1]->text(), QString("Command = 0x50 PLINT"));
        QCOMPARE(w.ui.Label8[3]->text(), QString(" Address = 0x81 BRD#2"));
        QVERIFY(f.sim->frameOpen());
    }

    void startsMakeReadingsStale_data() {
        QTest::addColumn<int>("kind");  // 0 STCVAD, 4 STTMPAD
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QList<int>>("cellFresh");
        QTest::addColumn<QList<int>>("tempFresh");
        QTest::newRow("addressed STCVAD") << 0 << 0 << QList<int>{0, 0, 0} << QList<int>{1, 1, 1};
        QTest::newRow("addressed STTMPAD") << 4 << 0 << QList<int>{1, 1, 1} << QList<int>{1, 0, 1};
        QTest::newRow("broadcast STTMPAD") << 4 << 1 << QList<int>{1, 1, 1} << QList<int>{0, 0, 0};
    }
    void startsMakeReadingsStale() {
        QFETCH(int, kind);
        QFETCH(int, broadcast);
        QFETCH(QList<int>, cellFresh);
        QFETCH(QList<int>, tempFresh);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.lastBoardIndex = 2;
        w.st.selectedBoard = 1;
        setAllFresh(w.st);
        if (kind == 0) {
            w.st.bcastSTCVAD[1] = static_cast<int16_t>(broadcast);
            w.StartCellConversion(0, "0");
        } else {
            w.st.bcastSTTMPAD[1] = static_cast<int16_t>(broadcast);
            w.StartTempConversion("0");
        }
        for (int s = 0; s < 3; ++s) {
            QCOMPARE(int(w.st.rdcvGood[s]), cellFresh[s]);
            QCOMPARE(int(w.st.rdflgGood[s]), cellFresh[s]);
            QCOMPARE(int(w.st.rdtmpGood[s]), tempFresh[s]);
        }
    }

    // A measuring chip takes the start: its cell registers leave their cleared state.
    void aMeasuringChipConvertsOnStart() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.cdcValue[0] = 1;
        w.ApplyCdc();
        w.WriteConfig();
        QCOMPARE(f.sim->cellCode(0, 1), 0xFFF);
        w.StartCellConversion(0, "0");
        QVERIFY(f.sim->cellCode(0, 1) != 0xFFF);
    }
};

ZMX_TEST_MAIN(tst_startpoll, TestStartPoll, Full)
#include "tst_startpoll.moc"
