// The command row against the simulated stack: the frame a poll leaves open is closed
// once before the next command, the focus moves to the next step, WRITE CONFIG makes
// READ CONFIG the next step, and LOW CURRENT STBY leaves the stack quiet.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {
int count(const std::vector<std::string>& v, const std::string& s) {
    return static_cast<int>(std::count(v.begin(), v.end(), s));
}
}  // namespace

class TestCommandPanel : public QObject {
    Q_OBJECT
private slots:
    void pendingPollClosedOnceBeforeNextCommand_data() {
        QTest::addColumn<int>("index");
        for (int i = 2; i <= 14; ++i) QTest::newRow(qPrintable(QString("Command1(%1)").arg(i))) << i;
    }
    void pendingPollClosedOnceBeforeNextCommand() {
        QFETCH(int, index);
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.pollPending = 1;
        takeTransfers(f);
        f.form->Command1_Click(index);
        const auto sent = takeTransfers(f);
        QVERIFY(!sent.empty());
        QCOMPARE(sent.front(), std::string("MSX"));
        QCOMPARE(count(sent, "MSX"), 1);
        QCOMPARE(int(f.form->st.pollPending), 0);
        f.form->Command1_Click(12);  // STOP: nothing but the common steps
        QVERIFY(takeTransfers(f).empty());
    }

    void pollButtonsStopContinuousAndLeaveFrameOpen_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("wasRunning");
        QTest::addColumn<QString>("poll");
        QTest::newRow("POLL ADC, idle") << 0 << false << "MSxS80S49S40S07";
        QTest::newRow("POLL ADC, running") << 0 << true << "MSxS80S49S40S07";
        QTest::newRow("POLL INT, running") << 1 << true << "MSxS80S49S50S77";
    }
    void pollButtonsStopContinuousAndLeaveFrameOpen() {
        QFETCH(int, index);
        QFETCH(bool, wasRunning);
        QFETCH(QString, poll);
        WindowFixture f;
        QVERIFY(f.load());
        if (wasRunning) f.form->Command1_Click(10);
        f.form->st.cellVolts[5] = 3.7f;
        f.form->st.cellVolts[121] = 1.4f;
        takeTransfers(f);
        f.form->Command1_Click(index);
        QCOMPARE(int(f.form->st.continuousRunning), 0);
        QCOMPARE(f.form->ui.Command1[10]->text(), QString("START CONTINUOUS READ CELLS"));
        QCOMPARE(f.form->ui.Shape3->fillColor(), QColor(255, 0, 0));
        QCOMPARE(f.form->st.cellVolts[5], 0.0f);  // the stop sequence ran in either case
        QCOMPARE(f.form->st.cellVolts[121], 0.0f);
        QCOMPARE(int(f.form->st.pollPending), 1);
        QCOMPARE(QString::fromStdString(takeTransfers(f).back()), poll);
    }

    void focusMovesToNextStep_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("target");
        QTest::newRow("STARTCELLVOLT -> READCELLVOLT") << 2 << 7;
        QTest::newRow("START OPENWIRE -> READCELLVOLT") << 3 << 7;
        QTest::newRow("START TEMP -> READ TEMP") << 4 << 9;
        QTest::newRow("WRITE CONFIG -> READ CONFIG") << 5 << 6;
        QTest::newRow("READCELLVOLT -> READ FLAG") << 7 << 8;
        QTest::newRow("READ FLAG -> STARTCELLVOLT") << 8 << 2;
        QTest::newRow("READ TEMP -> START TEMP") << 9 << 4;
    }
    void focusMovesToNextStep() {
        QFETCH(int, index);
        QFETCH(int, target);
        WindowFixture f;
        QVERIFY(f.load());
        f.form->ui.Command1[10]->setFocus();
        f.form->Command1_Click(index);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command1[target]);
    }

    // Board 1 through the panel on the simulated stack: thresholds typed, CDC stepped, the
    // configuration written and read back, then cells, flags and temperatures read with
    // their values, lamps, bars and monitor lines.
    void readsBoardOneThroughThePanel() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        auto& ui = w.ui;
        ui.Text2[1]->setText("4.2");
        w.Text2_LostFocus(1);
        ui.Text2[0]->setText("3");
        w.Text2_LostFocus(0);
        QVERIFY(f.messages.isEmpty());
        w.Command0_Click(1);
        w.Command1_Click(5);
        w.Command1_Click(6);
        QCOMPARE(w.st.cfgWritten[0], (std::array<std::string, 6>{"E1", "00", "00", "00", "9C", "CF"}));
        QCOMPARE(ui.Text5[4]->text(), QString("   9C   "));
        QCOMPARE(int(w.st.measureMode[0]), 1);

        f.sim->setCellVolts(0, 2, 2.4);  // under 3.000 V
        f.sim->setCellVolts(0, 7, 4.5);  // over 4.200 V
        f.sim->setTempVolts(0, 2, 1.5);  // ITMP
        takeTransfers(f);
        w.Command1_Click(2);
        w.Command1_Click(7);
        QCOMPARE(takeTransfers(f), (std::vector<std::string>{"MSxS80S49S10SB0X", rdcv("80")}));
        QCOMPARE(ui.Text1[1]->text(), QString(" 2.4000V  "));
        QCOMPARE(ui.Text1[6]->text(), QString(" 4.5000V  "));
        QCOMPARE(ui.Label8[1]->text(), QString("Command = 0x04 RDCV"));
        QVERIFY(ui.Text8->text().startsWith("   49  |  DC  | ") && ui.Text8->text().contains(" ==  "));
        QCOMPARE(ui.Shape12[0]->fillColor(), QColor(0, 255, 0));
        for (int i = 0; i < 12; ++i) QCOMPARE(ui.Shape1[i]->fillColor(), QColor(0, 255, 0));

        w.Command1_Click(8);
        QCOMPARE(takeTransfers(f), std::vector<std::string>{rdflg("80")});
        QCOMPARE(ui.Text7[0]->text(), QString("  04   "));  // UV of cell 2
        QCOMPARE(ui.Text7[1]->text(), QString("  20   "));  // OV of cell 7
        QCOMPARE(ui.Text7[2]->text(), QString("  00   "));
        QCOMPARE(ui.Label8[1]->text(), QString("Command = 0x0C RDFLG"));
        QVERIFY(ui.Text8->text().contains("  |  E4  | "));
        QCOMPARE(ui.Shape1[1]->fillColor(), QColor(255, 255, 0));
        QCOMPARE(ui.Shape1[6]->fillColor(), QColor(255, 0, 0));
        QCOMPARE(ui.Shape1[0]->fillColor(), QColor(0, 255, 0));
        QCOMPARE(ui.Shape2[6]->fillColor(), QColor(255, 0, 0));
        QCOMPARE(ui.Shape2[6]->y() * 15, 480);
        QCOMPARE(ui.Shape2[6]->height() * 15, 375);

        w.Command1_Click(4);
        w.Command1_Click(9);
        QCOMPARE(takeTransfers(f), (std::vector<std::string>{"MSxS80S49S30S50X", rdtmp("80")}));
        QCOMPARE(ui.Text6[0]->text(), QString("1.5000V  "));
        QCOMPARE(ui.Label8[1]->text(), QString("Command = 0x0E RDTMP"));
        QVERIFY(ui.Text8->text().contains("  |  EA  | ") && ui.Text8->text().contains(" ==  "));
        QCOMPARE(ui.Shape6[0]->fillColor(), QColor(255, 0, 0));
        QCOMPARE(ui.Shape12[0]->fillColor(), QColor(0, 255, 0));
    }

    void writeConfigMakesReadConfigTheNextStep() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.lastBoardIndex = 2;
        takeTransfers(f);
        auto* readConfig = f.form->ui.Command1[6];
        f.form->Command1_Click(5);
        QCOMPARE(takeTransfers(f), std::vector<std::string>{kStandbyWrcfg});
        QCOMPARE(int(f.form->st.readbackPending), 1);
        QCOMPARE(span(readConfig), qMakePair(804, 81));
        QVERIFY(!f.form->ui.Shape16[0]->isHidden());
        for (int s = 0; s <= 2; ++s) QCOMPARE(int(f.form->st.cfgReadPending[s]), 1);  // broadcast write

        f.form->Command1_Click(6);
        QCOMPARE(takeTransfers(f), std::vector<std::string>{rdcfg("80")});
        QCOMPARE(int(f.form->st.readbackPending), 0);
        QCOMPARE(span(readConfig), qMakePair(796, 97));
        QVERIFY(f.form->ui.Shape16[0]->isHidden());
        QCOMPARE(int(f.form->st.cfgReadPending[0]), 0);
        QCOMPARE(int(f.form->st.cfgReadPending[1]), 1);
    }

    void writeConfigWithReadConfigDisabledLeavesFocus() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->ui.Command1[6]->setEnabled(false);
        f.form->ui.Command1[10]->setFocus();
        f.form->Command1_Click(5);
        QCOMPARE(int(f.form->st.readbackPending), 0);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command1[10]);
    }

    // A thermal shutdown reported by the chip latches orange lamps; once it has cleared, the
    // next write confirms it with a read-back, releases the latches of the stack, and the
    // board lamp shows that read's verdict.
    void thermalShutdownLatchAndCleanUp() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        auto& st = w.st;
        useBoards(w, 2);
        w.Command0_Click(1);
        w.Command1_Click(5);
        w.Command1_Click(6);
        f.sim->setThermalShutdown(0, true);
        w.Command1_Click(4);
        w.Command1_Click(9);
        const QColor orange(255, 128, 0), green(0, 255, 0);
        for (int i = 0; i < 12; ++i) QCOMPARE(w.ui.Shape1[i]->fillColor(), orange);
        QCOMPARE(w.ui.Shape12[0]->fillColor(), orange);
        for (int i : {2, 7, 8}) w.Command1_Click(i);  // the latch holds through other reads
        QCOMPARE(w.ui.Shape12[0]->fillColor(), orange);
        QCOMPARE(w.ui.Shape1[0]->fillColor(), orange);

        f.sim->setThermalShutdown(0, false);
        w.Command1_Click(4);
        w.Command1_Click(9);
        QCOMPARE(int(st.thermalCleared), 1);
        QCOMPARE(w.ui.Shape1[0]->fillColor(), QColor(255, 255, 255));
        QCOMPARE(w.ui.Shape12[0]->fillColor(), orange);  // latched until the clean-up

        takeTransfers(f);
        w.Command1_Click(5);
        const auto sent = takeTransfers(f);
        QCOMPARE(sent.back(), rdcfg("80"));
        QCOMPARE(count(sent, rdcfg("80")), 1);
        QCOMPARE(int(st.thsdLatched[0]), 0);
        QCOMPARE(int(st.thsdLatched[1]), 0);
        QCOMPARE(int(st.thermalCleared), 0);
        QCOMPARE(int(st.showValidOnly), 0);
        QCOMPARE(w.ui.Shape12[0]->fillColor(), green);
    }

    void lowCurrentStandby() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        useBoards(f, 3);
        selectBoard(*f.form, 1);  // board 2
        for (int s = 0; s <= 3; ++s) {
            st.cfgImage[s] = {"E3", "01", "10", "80", "9C", "C3"};
            st.cdcValue[s] = 3;
            st.vuvCode[s] = 0x9C;
            st.vovCode[s] = 0xC3;
        }
        st.cellReadPending[2] = 1;
        f.form->ui.Check5[5]->setChecked(false);
        takeTransfers(f);

        f.form->Command1_Click(14);

        const std::vector<std::string> expected{kStandbyWrcfg, rdcfg("80"), rdcfg("81"), rdcfg("82"), "MI"};
        QCOMPARE(takeTransfers(f), expected);
        QVERIFY(f.form->ui.Check5[5]->isChecked());
        for (int s = 0; s <= 2; ++s) {
            QCOMPARE(st.cfgImage[s], (std::array<std::string, 6>{"E0", "00", "00", "00", "00", "00"}));
            QCOMPARE(int(st.cdcValue[s]), 0);
            QCOMPARE(int(st.vuvCode[s]), 0);
            QCOMPARE(int(st.vovCode[s]), 0);
        }
        QCOMPARE(st.cfgImage[3][0], std::string("E3"));  // not in the stack
        QCOMPARE(int(st.selectedBoard), 1);
        QCOMPARE(int(st.suspendIdentify), 1);
        QCOMPARE(int(st.cellReadPending[2]), 0);
        QCOMPARE(st.txCommand, std::string("MI"));

        // Quiet until the next click of the row: no identification, no keep-alive.
        st.keepAliveActive = 1;
        st.keepAliveCounter = 1;
        for (int i = 0; i < 4; ++i) f.form->Timer1_Timer();
        QVERIFY(f.takeWrites().empty());
        QCOMPARE(f.exitStatus, -1);

        f.form->Command1_Click(12);
        QCOMPARE(int(st.suspendIdentify), 0);
        f.form->Timer1_Timer();
        const auto w = f.takeWrites();
        QCOMPARE(count(w, "IZ"), 1);
    }

    void dischargeHeldStarts_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("frame");
        QTest::newRow("STARTCELL hold DCC") << 0 << "MSxS80S49S60S" + QString::fromStdString(PecOfHexByte("60")) + "X";
        QTest::newRow("STARTOPEN hold DCC") << 1 << "MSxS80S49S70S" + QString::fromStdString(PecOfHexByte("70")) + "X";
    }
    void dischargeHeldStarts() {
        QFETCH(int, index);
        QFETCH(QString, frame);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        st.pollPending = 1;  // these buttons are not part of the row: the frame stays open
        st.cellSelfTestPending = -1;
        takeTransfers(f);
        f.form->Command3_Click(index);
        const auto sent = takeTransfers(f);
        QCOMPARE(count(sent, "MSX"), 0);
        QCOMPARE(sent, std::vector<std::string>{frame.toStdString()});
        QCOMPARE(int(st.pollPending), 1);
        QCOMPARE(int(st.cellSelfTestPending), 0);
        QCOMPARE(f.form->ui.Shape13->fillColor(), QColor(0x80, 0x80, 0xFF));
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELL"));
        QCOMPARE(int(st.cellReadPending[0]), 1);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command1[7]);

        f.form->Command1_Click(2);  // an ordinary start releases the discharge-held lamp
        QCOMPARE(f.form->ui.Shape13->fillColor(), QColor(255, 255, 255));
    }

    void startDatalogOnlyArms() {
        WindowFixture f;
        QVERIFY(f.load());
        takeTransfers(f);
        f.form->Command1_Click(11);
        QCOMPARE(int(f.form->st.datalogArmed), 1);
        QVERIFY(takeTransfers(f).empty());
    }
};

ZMX_TEST_MAIN(tst_commandpanel, TestCommandPanel, Full)
#include "tst_commandpanel.moc"
