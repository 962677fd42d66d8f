// WRITE CONFIG: the WRCFG texts, the record of what was written, and the window after a write.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "protocol/Frames.h"
#include "rules/WriteConfigLogic.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/Paint.h"

using namespace zmx;
using namespace zmx::test;

class TestWriteConfig : public QObject {
    Q_OBJECT
private slots:
    void wrcfgTexts_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QStringList>("image");
        QTest::addColumn<QString>("text");
        const QStringList def{"E0", "00", "00", "00", "00", "00"};
        QTest::newRow("broadcast default") << 0 << 1 << def << "MSxT01SC7SE0S00S00S00S00S00SFEX";
        QTest::newRow("addressed board 1") << 0 << 0 << def << "MSxT80S49S01SC7SE0S00S00S00S00S00SFEX";
        QTest::newRow("addressed board 3") << 2 << 0 << def << "MSxT82S47S01SC7SE0S00S00S00S00S00SFEX";
        QTest::newRow("byte 08 keeps its zero")
            << 0 << 1 << QStringList{"08", "00", "00", "00", "00", "00"} << "MSxT01SC7S08S00S00S00S00S00S10X";
        QTest::newRow("thresholds and discharge")
            << 0 << 1 << QStringList{"E0", "08", "00", "00", "5A", "A5"} << "MSxT01SC7SE0S08S00S00S5ASA5S1BX";
    }
    void wrcfgTexts() {
        QFETCH(int, slot);
        QFETCH(int, broadcast);
        QFETCH(QStringList, image);
        QFETCH(QString, text);
        StackState st = stackOf(3);
        st.bcastWRCFG[slot] = static_cast<int16_t>(broadcast);
        for (int k = 0; k < 6; ++k) st.cfgImage[slot][k] = image[k].toStdString();
        QCOMPARE(QString::fromStdString(wrcfgFrame(st, slot)), text);
        // The configuration PEC is the item before the closing "X".
        QCOMPARE(QString::fromStdString(PecOfConfig(st, slot)), text.mid(text.size() - 3, 2));
    }

    void broadcastWriteRecordsEverySlot() {
        StackState st = stackOf(3);
        st.selectedBoard = 1;
        st.cfgImage[0][1] = "01";
        st.cfgImage[2][5] = "B0";
        st.cfgImage[3][0] = "E3";  // not in the stack
        recordWrite(st);
        QCOMPARE(st.cfgWritten[0], st.cfgImage[0]);
        QCOMPARE(st.cfgWritten[1], st.cfgImage[1]);
        QCOMPARE(st.cfgWritten[2], st.cfgImage[2]);
        QCOMPARE(st.cfgWritten[3][0], std::string());
    }

    // An addressed WRCFG reaches only the selected board; the other slots keep the copy of
    // what their own boards last received.
    void addressedWriteRecordsOnlyTheSelectedSlot() {
        StackState st = stackOf(3);
        st.selectedBoard = 1;
        st.bcastWRCFG[1] = 0;
        st.cfgWritten[0] = {"E1", "00", "00", "00", "00", "00"};
        st.cfgImage[0][0] = "E2";
        st.cfgImage[1][0] = "E5";
        st.cfgImage[2][0] = "E6";
        recordWrite(st);
        QCOMPARE(st.cfgWritten[1][0], std::string("E5"));
        QCOMPARE(st.cfgWritten[0][0], std::string("E1"));
        QCOMPARE(st.cfgWritten[2][0], std::string());
    }

    void tenCellModeFollowsTheSelectedWrittenCfgr0_data() {
        QTest::addColumn<QString>("cfgr0");
        QTest::addColumn<int>("tenCells");
        QTest::newRow("twelve cells") << "E0" << 0;
        QTest::newRow("ten cells") << "E8" << 1;
        QTest::newRow("ten cells, CDC 7") << "0F" << 1;
        QTest::newRow("all but bit 3") << "F7" << 0;
    }
    void tenCellModeFollowsTheSelectedWrittenCfgr0() {
        QFETCH(QString, cfgr0);
        QFETCH(int, tenCells);
        StackState st = stackOf(2);
        st.selectedBoard = 1;
        st.tenCellMode = static_cast<int16_t>(1 - tenCells);
        st.cfgImage[1][0] = cfgr0.toStdString();
        recordWrite(st);
        QCOMPARE(int(st.tenCellMode), tenCells);
    }

    // ------------------------------------------------------------------ the window

    void writeSendsTheImageAndShowsIt_data() {
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("byteLine");
        QTest::addColumn<QString>("destination");
        QTest::newRow("broadcast at start-up") << 1 << "MSxT01SC7SE0S00S00S00S00S00SFEX"
                                               << "  C7  |  FE  |"
                                               << "BROADCAST to all BRDS";
        QTest::newRow("addressed to board 1") << 0 << "MSxT80S49S01SC7SE0S00S00S00S00S00SFEX"
                                              << "   49  |  C7  |  FE  |"
                                              << " Address = 0x80 BRD#1";
    }
    void writeSendsTheImageAndShowsIt() {
        QFETCH(int, broadcast);
        QFETCH(QString, text);
        QFETCH(QString, byteLine);
        QFETCH(QString, destination);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.bcastWRCFG[0] = static_cast<int16_t>(broadcast);
        f.takeCommandWrites();
        w.WriteConfig();
        QCOMPARE(f.takeCommandWrites(), std::vector<std::string>{text.toStdString()});
        QCOMPARE(QString::fromStdString(w.st.txConfig), text);
        QCOMPARE(int(w.st.wrcfgPec[0]), 0xFE);
        QCOMPARE(w.ui.Label8[1]->text(), QString("Command = 0x01 WRCFG"));
        QCOMPARE(w.ui.Text8->text(), byteLine);
        QCOMPARE(w.ui.Label8[3]->text(), destination);
        QCOMPARE(int(w.st.monitorKind), 2);
        QCOMPARE(w.st.cfgWritten[0], w.st.cfgImage[0]);
    }

    void writeEmptiesTheReadbackAndClearsThePendingColours() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        QCOMPARE(w.ui.Text5[0]->text(), QString("   E0   "));  // start-up read
        w.WriteConfig();
        QCOMPARE(int(w.st.cfgViewIsReadback), 0);
        for (auto* box : w.ui.Text5) {
            QVERIFY(box->text().isEmpty());
            QCOMPARE(background(box), systemWindowBackground());
        }
        QList<QWidget*> editor{w.ui.Text3, w.ui.Text15, w.ui.Text2[0], w.ui.Text2[1]};
        for (auto* box : w.ui.Text4) editor << box;
        for (QWidget* box : editor) {
            QCOMPARE(foreground(box), systemWindowText());
            QCOMPARE(background(box), QColor(255, 255, 255));
        }
    }

    // READ CONFIG after WRITE CONFIG: the read-back boxes show what the chip holds, red
    // where it differs from the composed image.
    void readBackMarksDifferingBytes_data() {
        QTest::addColumn<QStringList>("chip");  // what the chip holds when it is read
        QTest::addColumn<QString>("red");
        const QStringList written{"E0", "00", "00", "00", "00", "00"};
        QTest::newRow("as written") << written << "000000";
        QTest::newRow("CFGR5 differs") << QStringList{"E0", "00", "00", "00", "00", "01"} << "000001";
        QTest::newRow("CFGR0 and CFGR2 differ") << QStringList{"E3", "00", "10", "00", "00", "00"} << "101000";
    }
    void readBackMarksDifferingBytes() {
        QFETCH(QStringList, chip);
        QFETCH(QString, red);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.Command1_Click(5);
        std::array<std::string, 6> held;
        for (int k = 0; k < 6; ++k) held[k] = chip[k].toStdString();
        w.link().SendOnly(buildWrcfgFrame("80", held, false));  // the chip changed behind the tool
        w.Command1_Click(6);
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(w.ui.Text5[k]->text(), "   " + chip[k] + "   ");
            QCOMPARE(background(w.ui.Text5[k]), red[k] == '1' ? QColor(255, 0, 0) : systemWindowBackground());
        }
    }

    void theChipsReceiveTheWrittenConfiguration() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.lastBoardIndex = 1;
        w.st.cdcValue[0] = 1;
        w.ApplyCdc();
        w.st.cfgImage[0][1] = "03";
        w.WriteConfig();
        const std::array<uint8_t, 6> expected{0xE1, 0x03, 0x00, 0x00, 0x00, 0x00};
        QCOMPARE(f.sim->config(0), expected);
        QCOMPARE(f.sim->config(1), expected);  // broadcast: every board took it
        QCOMPARE(w.st.cfgWritten[0][0], std::string("E1"));
    }

    // With three boards, an addressed write reaches board 2 only: the record of boards 1
    // and 3 must still say they were never written.
    void addressedWriteRecordsOnlyTheBoardItReached() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.lastBoardIndex = 2;
        w.st.selectedBoard = 1;
        w.st.bcastWRCFG[1] = 0;
        w.st.cfgImage[0][0] = "E2";
        w.st.cfgImage[1][0] = "E3";
        w.st.cfgImage[2][0] = "E4";
        f.takeCommandWrites();
        w.WriteConfig();
        QCOMPARE(f.takeCommandWrites(), std::vector<std::string>{"MSxT81S4ES01SC7SE3S00S00S00S00S00S85X"});
        QCOMPARE(f.sim->config(1)[0], uint8_t(0xE3));
        QCOMPARE(f.sim->config(0)[0], uint8_t(0xE0));
        QCOMPARE(w.st.cfgWritten[1][0], std::string("E3"));
        QCOMPARE(w.st.cfgWritten[0][0], std::string());
        QCOMPARE(w.st.cfgWritten[2][0], std::string());
    }
};

ZMX_TEST_MAIN(tst_writeconfig, TestWriteConfig, Full)
#include "tst_writeconfig.moc"
