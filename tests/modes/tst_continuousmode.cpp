// Continuous mode on the window: what starting and stopping change, the commands each
// tick sends for every board of the stack, the board marker, and the datalog variant.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "protocol/ReadDecode.h"
#include "rules/CellFormat.h"
#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// What one board's three steps send: the conversions in broadcast form, an empty transfer
// between the cell start and its read, and the three reads addressed to the board.
std::vector<std::string> boardPass(const std::string& addr) {
    return {kBroadcastStcvad, "", rdcv(addr), kBroadcastSttmpad, rdtmp(addr), rdflg(addr)};
}

}  // namespace

class TestContinuousMode : public QObject {
    Q_OBJECT
private slots:
    void startAndStop() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        auto& ui = f.form->ui;
        takeTransfers(f);

        f.form->Command1_Click(10);
        QCOMPARE(int(st.continuousRunning), 1);
        QCOMPARE(takeTransfers(f), std::vector<std::string>{rdcfg("80")});  // READ CONFIG of board 1
        QCOMPARE(ui.Command1[10]->text(), QString("STOP  CONTINUOUS READ CELLS"));
        QCOMPARE(ui.Shape3->fillColor(), QColor(0, 255, 0));
        for (int i : {2, 3, 4, 7, 8, 9}) QVERIFY(!ui.Command1[i]->isEnabled());
        for (int i = 0; i < 7; ++i) QVERIFY(!ui.Command5[i]->isEnabled());
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!ui.Command3[i]->isEnabled());
            QVERIFY(!ui.Check8[i]->isEnabled());
        }
        QVERIFY(!ui.Check5[3]->isEnabled());
        QVERIFY(ui.Command1[6]->isEnabled());
        for (int i : {2, 4}) {
            QVERIFY(ui.Check5[i]->isChecked());
            QVERIFY(!ui.Check5[i]->isEnabled());
        }
        for (int i = 1; i <= 3; ++i) QVERIFY(!ui.Label18[i]->isEnabled());
        QCOMPARE(int(st.keepAliveActive), 0);
        QCOMPARE(int(st.scanBoard), 0);
        QCOMPARE(int(st.sequenceStep), 0);

        // Something was measured and written with CDC 1 during the run.
        st.cellVolts[3] = 3.7f;
        st.cellVolts[122] = 1.5f;
        st.rdcvGood[0] = 1;
        st.cfgImage[0][0] = st.cfgWritten[0][0] = "E1";

        f.form->Command1_Click(10);
        QCOMPARE(int(st.continuousRunning), 0);
        QCOMPARE(ui.Command1[10]->text(), QString("START CONTINUOUS READ CELLS"));
        QCOMPARE(ui.Shape3->fillColor(), QColor(255, 0, 0));
        for (int i : {2, 3, 4, 6, 7, 8, 9}) QVERIFY(ui.Command1[i]->isEnabled());
        for (int i = 0; i < 7; ++i) QVERIFY(ui.Command5[i]->isEnabled());
        for (int i : {2, 3, 4}) QVERIFY(ui.Check5[i]->isEnabled());
        for (int i : {2, 4}) QVERIFY(ui.Check5[i]->isChecked());  // the ticks stay
        for (int i = 1; i <= 3; ++i) QVERIFY(ui.Label18[i]->isEnabled());
        QCOMPARE(st.cellVolts[3], 0.0f);
        QCOMPARE(st.cellVolts[122], 0.0f);
        QCOMPARE(int(st.rdcvGood[0]), 0);
        QCOMPARE(int(st.keepAliveActive), 1);  // re-evaluated from the written CDC
    }

    void datalogRunKeepsReadConfigDisabled() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.datalogArmed = 1;
        f.form->Command1_Click(10);
        QVERIFY(!f.form->ui.Command1[6]->isEnabled());
        f.form->Command1_Click(10);
        QVERIFY(f.form->ui.Command1[6]->isEnabled());
    }

    void singleCellSelectionCoversEveryBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.singleCellMode = 1;
        f.form->Command1_Click(10);
        QCOMPARE(int(f.form->st.singleCellMode), 2);
    }

    void sequence_data() {
        QTest::addColumn<int>("boards");
        QTest::addColumn<int>("selected");
        QTest::newRow("one board") << 1 << 0;
        QTest::newRow("three boards, board 2 selected") << 3 << 1;
    }
    // Every board in turn, three ticks each: the conversions in broadcast form, the reads
    // addressed to the scanned board and parsed into its slot, while the boxes stay with the
    // selected board.
    void sequence() {
        QFETCH(int, boards);
        QFETCH(int, selected);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        useBoards(f, boards);
        f.form->Command4_Click(selected);
        f.form->Command0_Click(1);  // CDC 1 for the stack, written and read back by the sweep
        f.form->Command1_Click(5);
        f.form->Combo1_Click();
        f.form->Command1_Click(10);
        takeTransfers(f);

        for (int pass = 0; pass < 2; ++pass) {
            for (int b = 0; b < boards; ++b) {
                QCOMPARE(int(st.scanBoard), b);
                for (int step = 0; step < 3; ++step) f.form->Timer1_Timer();
                QCOMPARE(takeTransfers(f), boardPass(st.boardAddressHex[b]));
                const int next = (b + 1) % boards;
                QCOMPARE(int(st.scanBoard), next);
                QCOMPARE(int(st.sequenceStep), 0);
                QCOMPARE(f.form->ui.Image1->pos(), layout::boardMarkerPos(next));
                for (int n = 1; n <= 12; ++n)
                    QCOMPARE(std::stoi(st.cellCodeHex[cellValueIndex(b, n)], nullptr, 16), f.sim->cellCode(b, n));
                QCOMPARE(std::stoi(st.cellCodeHex[tempValueIndex(b, 2)], nullptr, 16), f.sim->tempCode(b, 2));
                QCOMPARE(f.form->ui.Shape12[b]->fillColor(), QColor(0, 255, 0));
                QCOMPARE(f.form->ui.Text1[0]->text(),
                         QString::fromStdString(cellVoltsText(st.cellVolts[cellValueIndex(selected, 1)])));
            }
        }
        QCOMPARE(int(st.selectedBoard), selected);
        QCOMPARE(f.exitStatus, -1);
    }

    void tickRunsOneStep() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->Command1_Click(10);
        st.cellHexView = st.tempHexView = 1;
        f.form->Timer1_Timer();
        QCOMPARE(int(st.sequenceStep), 1);
        QCOMPARE(int(st.cellHexView), 0);
        QCOMPARE(int(st.tempHexView), 1);
        f.form->Timer1_Timer();
        QCOMPARE(int(st.sequenceStep), 2);
        QCOMPARE(int(st.tempHexView), 0);
    }

    void sendingBannerWhileMeasuring() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        QLabel* banner = f.form->ui.Label_KA[1];
        f.form->Command1_Click(10);
        st.cfgWritten[0][0] = "E2";
        banner->hide();
        f.form->Timer1_Timer();
        QVERIFY(!banner->isHidden());
        QCOMPARE(banner->text(),
                 QString(" COMMANDS BEING SENT CONTINUOUSLY.") + QString(26, ' ') + " PREVENTS WATCHDOG TIMEOUT.");
        QCOMPARE(banner->font().pointSize(), 9);
        QCOMPARE(background(banner), QColor(0xC0, 0xFF, 0xC0));
    }

    // The datalog variant reads the configuration before the cells, stamps the sample and
    // idles one tick per board.
    void datalogVariant() {
        WindowFixture f;
        f.fixedNow = QDateTime(QDate(2026, 3, 14), QTime(13, 5, 9));
        QVERIFY(f.load());
        auto& st = f.form->st;
        st.datalogArmed = 1;
        st.datalogSample = 5;
        st.datalogTarget = 100;
        f.form->Command1_Click(10);
        takeTransfers(f);
        const QPoint marker = f.form->ui.Image1->pos();

        f.form->Timer1_Timer();
        const auto first = takeTransfers(f);
        QVERIFY(first.size() >= 2);
        QCOMPARE(first.front(), rdcfg("80"));
        QVERIFY(std::find(first.begin(), first.end(), std::string()) != first.end());
        QCOMPARE(st.stampTimeDate, std::string("01:05:09 PM @ 03-14-2026"));
        QCOMPARE(st.stampDateTime, std::string("03-14-2026_01_05_09 PM"));
        QCOMPARE(f.form->ui.Command1[13]->toolTip(), QString("VIEW 4 SAMPLES FOR 3.200 SECONDS."));

        f.form->Timer1_Timer();
        f.form->Timer1_Timer();
        takeTransfers(f);
        QCOMPARE(int(st.sequenceStep), 3);
        f.form->Timer1_Timer();
        QVERIFY(takeTransfers(f).empty());
        QCOMPARE(int(st.sequenceStep), 0);
        QCOMPARE(f.form->ui.Image1->pos(), marker);  // the variant does not move the marker

        st.datalogSample = 101;
        f.form->Timer1_Timer();
        QCOMPARE(int(st.datalogSample), 1);
        QCOMPARE(int(st.datalogDone), 1);
    }
};

ZMX_TEST_MAIN(tst_continuousmode, TestContinuousMode, Full)
#include "tst_continuousmode.moc"
