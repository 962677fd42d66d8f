// Flag and temperature reads against the simulated stack: requests, flag texts and the
// status they derive, temperature channels, the thermal-shutdown bit and its latch.

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "protocol/ReadDecode.h"
#include "rules/CellStatus.h"
#include "support/ReadTestSetup.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// VUV code 0xA0 is 3.096 V and VOV code 0xC0 3.84 V in the simulated chips.
const std::array<std::string, 6> kThresholds{"E1", "00", "00", "00", "A0", "C0"};

int status(const WindowFixture& f, int slot, int cell) { return f.form->st.cellStatus[statusIndex(slot, cell)]; }
}  // namespace

class TestReadFlagsTemps : public QObject {
    Q_OBJECT
private slots:
    void flagsGiveUnderAndOverVoltage() {
        WindowFixture f;
        QVERIFY(f.load());
        configureBoard(f, 0, kThresholds);
        f.sim->setCellVolts(0, 1, 2.0);   // under
        f.sim->setCellVolts(0, 12, 4.2);  // over
        convertCells(f);
        f.form->ReadCells(0);
        f.form->EvaluateCellStatus(0);
        f.takeCommandWrites();

        f.form->ReadFlags();
        const auto writes = f.takeCommandWrites();
        QCOMPARE(writes.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(writes[0]), QString("MSxT80T49T0CTE4RRRRX"));
        const StackState& st = f.form->st;
        QCOMPARE(QString::fromStdString(st.flgrText[0][0]), QString("01"));
        QCOMPARE(QString::fromStdString(st.flgrText[0][1]), QString("00"));
        QCOMPARE(QString::fromStdString(st.flgrText[0][2]), QString("80"));
        QCOMPARE(f.form->ui.Text7[0]->text(), QString("  01   "));
        QCOMPARE(f.form->ui.Text7[2]->text(), QString("  80   "));
        QCOMPARE(f.form->ui.Label8[1]->text(), QString("Command = 0x0C RDFLG"));
        // A good flag read makes the cell read stale.
        QCOMPARE(int(st.rdflgGood[0]), 1);
        QCOMPARE(int(st.rdcvGood[0]), 0);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), kGreenLamp);

        f.form->deriveStatusFromFlags();
        f.form->ShowCellStatus();
        QCOMPARE(status(f, 0, 0), 3);
        QCOMPARE(status(f, 0, 11), 4);
        QCOMPARE(status(f, 0, 5), 1);
        QCOMPARE(f.form->ui.Shape1[0]->fillColor(), kYellowLamp);
        QCOMPARE(f.form->ui.Shape1[11]->fillColor(), kRedLamp);

        // The cell recovers: its flag clears and the lamp goes white, not green.
        f.sim->setCellVolts(0, 1, 3.6);
        convertCells(f);
        f.form->ReadFlags();
        f.form->deriveStatusFromFlags();
        QCOMPARE(status(f, 0, 0), 0);
    }

    void flagMismatch_data() {
        QTest::addColumn<int>("showValidOnly");
        QTest::addColumn<QColor>("lamp");
        QTest::addColumn<int>("rdflgGood");
        QTest::newRow("shown") << 0 << kRedLamp << 0;
        QTest::newRow("PEC Match Only") << 1 << kGreenLamp << 1;
    }
    void flagMismatch() {
        QFETCH(int, showValidOnly);
        QFETCH(QColor, lamp);
        QFETCH(int, rdflgGood);
        WindowFixture f;
        QVERIFY(f.load());
        measureMode(f, 0);
        f.form->ReadFlags();
        f.sim->corruptNextReplies(1);
        f.form->st.showValidOnly = int16_t(showValidOnly);
        f.form->ReadFlags();
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), lamp);
        QCOMPARE(int(f.form->st.rdflgGood[0]), rdflgGood);
        // The texts follow the reply in every case.
        for (int k = 0; k < 3; ++k)
            QCOMPARE(QString::fromStdString(f.form->st.flgrText[0][k]),
                     QString::fromStdString(f.form->st.rxFlags.substr(8 + 2 * k, 2)));
    }

    // Continuous mode serving board 2 while board 1 is selected: the flags of board 2 are
    // stored and evaluated, the monitor and the flag boxes stay with board 1.
    void flagsOfTheScannedBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 1;
        configureBoard(f, 0, kThresholds);
        configureBoard(f, 1, kThresholds);
        f.sim->setCellVolts(1, 5, 2.0);
        convertCells(f);
        f.form->ReadFlags();  // board 1, in the monitor
        const QString monitorLine = f.form->ui.Text8->text();
        const QString flagBox = f.form->ui.Text7[1]->text();
        st.continuousRunning = 1;
        st.scanBoard = 1;
        st.monitorKind = MonitorKind::Flags;

        f.form->ReadFlags();
        QCOMPARE(QString::fromStdString(st.flgrText[1][1]), QString("01"));
        QCOMPARE(f.form->ui.Text8->text(), monitorLine);
        QCOMPARE(f.form->ui.Text7[1]->text(), flagBox);
        QCOMPARE(f.form->ui.Shape12[1]->fillColor(), kGreenLamp);
        f.form->deriveStatusFromFlags();
        f.form->ShowCellStatus();
        QCOMPARE(status(f, 1, 4), 3);
        QCOMPARE(status(f, 0, 4), 0);
        QCOMPARE(f.form->ui.Shape1[12 + 4]->fillColor(), kYellowLamp);
    }

    void temperatures() {
        WindowFixture f;
        QVERIFY(f.load());
        measureMode(f, 0);
        f.sim->setTempVolts(0, 0, 1.2);  // ETMP1
        f.sim->setTempVolts(0, 1, 0.0);  // ETMP2
        f.sim->setTempVolts(0, 2, 2.4);  // ITMP
        convertTemps(f);
        f.takeCommandWrites();

        f.form->ReadTemps();
        const auto writes = f.takeCommandWrites();
        QCOMPARE(writes.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(writes[0]), QString("MSxT80T49T0ETEARRRRRRX"));
        QCOMPARE(QString::fromStdString(f.form->st.txTemp), QString("MSxT80T49T0ETEARRRRRRX"));
        const StackState& st = f.form->st;
        QCOMPARE(QString::fromStdString(st.cellCodeHex[tempValueIndex(0, 1)]), QString("200"));
        // Box 0 is ITMP, box 1 ETMP1, box 2 ETMP2.
        QCOMPARE(f.form->ui.Text6[0]->text(), QString("2.4000V  "));
        QCOMPARE(f.form->ui.Text6[1]->text(), QString("1.2000V  "));
        QCOMPARE(f.form->ui.Text6[2]->text(), QString("0.0000V  "));
        QCOMPARE(int(st.rdtmpGood[0]), 1);
        QCOMPARE(int(st.thsdFlag[0]), 0);
        QCOMPARE(f.form->ui.Label8[1]->text(), QString("Command = 0x0E RDTMP"));
        QCOMPARE(f.form->ui.Shape6[0]->fillColor(), kRedLamp);
        QCOMPARE(f.form->ui.Shape8[2]->fillColor(), QColor(224, 224, 224));
    }

    void temperaturesInTheCodeView() {
        WindowFixture f;
        QVERIFY(f.load());
        measureMode(f, 0);
        f.sim->setTempVolts(0, 1, 0.0);
        convertTemps(f);
        f.form->st.tempHexView = 1;
        f.form->ReadTemps();
        QCOMPARE(f.form->ui.Text6[2]->text(), QString(" 0x200 "));
    }

    void standbyBoardNeverHasFreshTemperatures() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->ReadTemps();
        const StackState& st = f.form->st;
        QCOMPARE(st.rdtmpRxPec[0], st.rdtmpCalcPec[0]);
        QCOMPARE(int(st.rdtmpGood[0]), 0);
        QCOMPARE(int(st.readStatus[0]), 0);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), kWhiteLamp);
        QCOMPARE(f.form->ui.Shape6[1]->fillColor(), systemWindowBackground());
    }

    // Thermal shutdown: all cells of the board orange, the board lamp orange for every
    // kind of read, the bit only taken from replies with a good PEC, and the codes
    // cleared again once the chip reports it gone.
    void thermalShutdown() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 1;
        measureMode(f, 0);
        measureMode(f, 1);
        st.selectedBoard = 1;
        f.sim->setThermalShutdown(1, true);
        convertTemps(f);

        f.form->ReadTemps();
        QCOMPARE(int(st.thsdFlag[1]), 1);
        f.form->applyThermalStatus();
        QCOMPARE(int(st.thsdLatched[1]), 1);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(status(f, 1, i), 7);
            QCOMPARE(f.form->ui.Shape1[12 + i]->fillColor(), kOrangeLamp);
            QCOMPARE(status(f, 0, i), 0);
        }
        QCOMPARE(f.form->ui.Shape12[1]->fillColor(), kOrangeLamp);

        convertCells(f);
        f.form->ReadCells(0);
        f.form->EvaluateCellStatus(1);
        f.form->ShowCellStatus();
        QCOMPARE(f.form->ui.Shape12[1]->fillColor(), kOrangeLamp);
        QCOMPARE(f.form->ui.Shape1[12 + 3]->fillColor(), kOrangeLamp);
        f.form->ReadFlags();
        QCOMPARE(f.form->ui.Shape12[1]->fillColor(), kOrangeLamp);

        // A corrupted reply cannot clear the bit.
        f.sim->setThermalShutdown(1, false);
        f.sim->corruptNextReplies(1);
        f.form->ReadTemps();
        QVERIFY(st.rdtmpRxPec[1] != st.rdtmpCalcPec[1]);
        QCOMPARE(int(st.thsdFlag[1]), 1);

        f.form->ReadTemps();
        QCOMPARE(int(st.thsdFlag[1]), 0);
        f.form->applyThermalStatus();
        QCOMPARE(int(st.thermalCleared), 1);
        QCOMPARE(status(f, 1, 0), 0);
        QCOMPARE(f.form->ui.Shape1[12]->fillColor(), kWhiteLamp);
        // The latch itself waits for the clean-up after the next configuration write.
        QCOMPARE(int(st.thsdLatched[1]), 1);
    }
};

ZMX_TEST_MAIN(tst_readflagstemps, TestReadFlagsTemps, Full)
#include "tst_readflagstemps.moc"
