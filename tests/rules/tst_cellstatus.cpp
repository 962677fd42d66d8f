// Cell status codes (evaluation, flag rule, thermal shutdown) and the display texts.

#include <QtTest>

#include "rules/CellFormat.h"
#include "rules/CellStatus.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

// A board in measure mode whose written configuration is CFGR0..CFGR5.
StackState boardWith(int slot, const std::array<std::string, 6>& cfg, int measureMode = 1) {
    StackState st;
    st.lastBoardIndex = 9;
    st.cfgWritten[slot] = cfg;
    st.measureMode[slot] = int16_t(measureMode);
    return st;
}

int code(const StackState& st, int slot, int cell) { return st.cellStatus[statusIndex(slot, cell)]; }

}  // namespace

class TestCellStatus : public QObject {
    Q_OBJECT
private slots:
    void evaluation_data() {
        QTest::addColumn<QStringList>("cfg");
        QTest::addColumn<int>("measureMode");
        QTest::addColumn<int>("rdcvGood");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("expected");
        const QStringList none{"E1", "00", "00", "00", "00", "00"};
        QTest::newRow("good read in range") << none << 1 << 1 << 0 << 1;
        QTest::newRow("no fresh read") << none << 1 << 0 << 0 << 0;
        QTest::newRow("standby after good read") << none << 0 << 1 << 0 << 0;
        QTest::newRow("discharge cell 1") << QStringList{"E1", "01", "00", "00", "00", "00"} << 1 << 1 << 0 << 2;
        QTest::newRow("discharge cell 8") << QStringList{"E1", "80", "00", "00", "00", "00"} << 1 << 0 << 7 << 2;
        QTest::newRow("discharge cell 12") << QStringList{"E1", "00", "08", "00", "00", "00"} << 1 << 1 << 11 << 2;
        QTest::newRow("mask cell 1") << QStringList{"E1", "00", "10", "00", "00", "00"} << 1 << 1 << 0 << 5;
        QTest::newRow("mask cell 5") << QStringList{"E1", "00", "00", "01", "00", "00"} << 1 << 1 << 4 << 5;
        QTest::newRow("mask cell 12") << QStringList{"E1", "00", "00", "80", "00", "00"} << 1 << 0 << 11 << 5;
        QTest::newRow("discharge only cell 3") << QStringList{"E1", "04", "00", "00", "00", "00"} << 1 << 0 << 2 << 2;
        QTest::newRow("mask and discharge cell 3")
            << QStringList{"E1", "04", "40", "00", "00", "00"} << 1 << 0 << 2 << 6;
        QTest::newRow("mask and discharge, standby")
            << QStringList{"E1", "04", "40", "00", "00", "00"} << 0 << 1 << 2 << 0;
        QTest::newRow("never written") << QStringList{"", "", "", "", "", ""} << 1 << 1 << 5 << 1;
        QTest::newRow("neighbour of a discharge bit")
            << QStringList{"E1", "01", "00", "00", "00", "00"} << 1 << 1 << 1 << 1;
    }
    void evaluation() {
        QFETCH(QStringList, cfg);
        QFETCH(int, measureMode);
        QFETCH(int, rdcvGood);
        QFETCH(int, cell);
        QFETCH(int, expected);
        std::array<std::string, 6> bytes;
        for (int k = 0; k < 6; ++k) bytes[k] = cfg[k].toStdString();
        StackState st = boardWith(3, bytes, measureMode);
        st.rdcvGood[3] = int16_t(rdcvGood);
        evaluateCellStatus(st, 3);
        QCOMPARE(code(st, 3, cell), expected);
        QCOMPARE(code(st, 2, cell), 0);
    }

    void dischargeAndMaskMarks() {
        StackState st = boardWith(0, {"E1", "81", "1C", "02", "00", "00"});
        evaluateCellStatus(st, 0);
        QCOMPARE(int(st.cellDcc[0][0]), -1);
        QCOMPARE(int(st.cellDcc[0][7]), -1);
        QCOMPARE(int(st.cellDcc[0][10]), -1);  // CFGR2 bit 2: cell 11
        QCOMPARE(int(st.cellDcc[0][8]), 0);
        QCOMPARE(int(st.cellMask[0][0]), -1);  // CFGR2 bit 4: cell 1
        QCOMPARE(int(st.cellMask[0][5]), -1);  // CFGR3 bit 1: cell 6
        QCOMPARE(int(st.cellMask[0][4]), 0);
    }

    void flagRule_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("uv");
        QTest::addColumn<bool>("ov");
        QTest::addColumn<int>("after");
        QTest::newRow("in range, UV") << 1 << true << false << 3;
        QTest::newRow("clear, OV") << 0 << false << true << 4;
        QTest::newRow("both bits: OV wins") << 1 << true << true << 4;
        QTest::newRow("in range, no flag") << 1 << false << false << 1;
        QTest::newRow("UV cleared returns to 0, not 1") << 3 << false << false << 0;
        QTest::newRow("OV becomes UV") << 4 << true << false << 3;
        QTest::newRow("discharge unchanged") << 2 << true << true << 2;
        QTest::newRow("masked unchanged") << 5 << true << false << 5;
        QTest::newRow("masked discharge unchanged") << 6 << false << true << 6;
        QTest::newRow("thermal unchanged") << 7 << true << true << 7;
    }
    void flagRule() {
        QFETCH(int, before);
        QFETCH(bool, uv);
        QFETCH(bool, ov);
        QFETCH(int, after);
        QCOMPARE(int(statusAfterFlags(int16_t(before), uv, ov)), after);
    }

    void flagBitLayout() {
        StackState st = boardWith(1, {"E1", "00", "00", "00", "00", "00"});
        st.rdcvGood[1] = 1;
        evaluateCellStatus(st, 1);
        st.flgrText[1] = {"01", "0C", "80"};  // UV cell 1; UV+OV cell 6; OV cell 12
        deriveFlagStatus(st, 1);
        QCOMPARE(code(st, 1, 0), 3);
        QCOMPARE(code(st, 1, 1), 1);
        QCOMPARE(code(st, 1, 5), 4);
        QCOMPARE(code(st, 1, 11), 4);
        QCOMPARE(code(st, 1, 10), 1);
        // In standby the flags are not evaluated.
        st.measureMode[1] = 0;
        st.flgrText[1] = {"00", "00", "00"};
        deriveFlagStatus(st, 1);
        QCOMPARE(code(st, 1, 0), 3);
    }

    void thermalCodeSurvivesWhileReported() {
        StackState st = boardWith(2, {"E1", "00", "00", "00", "00", "00"});
        st.rdcvGood[2] = 1;
        st.thsdLatched[2] = 1;
        st.thsdFlag[2] = 1;
        setBoardStatus(st, 2, kStatusThermal);
        evaluateCellStatus(st, 2);
        QCOMPARE(code(st, 2, 4), 7);
        st.selectedBoard = 2;
        clearCellStatus(st, false);
        QCOMPARE(code(st, 2, 11), 7);
        // Once the chip no longer reports it, the ordinary codes return.
        st.thsdFlag[2] = 0;
        evaluateCellStatus(st, 2);
        QCOMPARE(code(st, 2, 4), 1);
    }

    void clearScope() {
        StackState st;
        st.lastBoardIndex = 2;
        st.selectedBoard = 1;
        st.cellStatus.fill(1);
        clearCellStatus(st, false);
        QCOMPARE(code(st, 0, 0), 1);
        QCOMPARE(code(st, 1, 11), 0);
        clearCellStatus(st, true);
        QCOMPARE(code(st, 0, 0), 0);
        QCOMPARE(code(st, 2, 11), 0);
        QCOMPARE(code(st, 3, 0), 1);  // beyond the stack
    }

    void texts_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cell 3.6 V") << QString::fromStdString(cellVoltsText(3.6f)) << " 3.6000V  ";
        QTest::newRow("cell 0x200") << QString::fromStdString(cellVoltsText(0.0f)) << " 0.0000V  ";
        QTest::newRow("cell code 0") << QString::fromStdString(cellVoltsText(-0.768f)) << "- 0.7680V  ";
        QTest::newRow("cell code FFF") << QString::fromStdString(cellVoltsText(5.3745f)) << " 5.3745V  ";
        QTest::newRow("cell 0.732") << QString::fromStdString(cellVoltsText(0.732f)) << " 0.7320V  ";
        QTest::newRow("cell hex") << QString::fromStdString(cellHexText("5A3")) << "0x5A3 ";
        QTest::newRow("cell hex lower case") << QString::fromStdString(cellHexText("5a3")) << "0x5a3 ";
        QTest::newRow("temp 0x200") << QString::fromStdString(tempVoltsText(0.0f)) << "0.0000V  ";
        QTest::newRow("temp 0x3E8") << QString::fromStdString(tempVoltsText(0.732f)) << "0.7320V  ";
        QTest::newRow("temp negative") << QString::fromStdString(tempVoltsText(-0.768f)) << "-0.7680V  ";
        QTest::newRow("temp hex") << QString::fromStdString(tempHexText("145")) << " 0x145 ";
        QTest::newRow("flag box") << QString::fromStdString(flagBoxText("80")) << "  80   ";
        QTest::newRow("cleared cell") << QString(kClearedCellText.data()) << " 0.0000V  ";
        QTest::newRow("cleared cell hex") << QString(kClearedCellHexText.data()) << " 0x000 ";
        QTest::newRow("cleared temp") << QString(kClearedTempText.data()) << " 0.0000V ";
    }
    void texts() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void selectionDigits_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cell 1") << QString::fromStdString(cellSelectDigitFor(0)) << "1";
        QTest::newRow("cell 10") << QString::fromStdString(cellSelectDigitFor(9)) << "A";
        QTest::newRow("cell 12") << QString::fromStdString(cellSelectDigitFor(11)) << "C";
        QTest::newRow("ITMP box") << QString::fromStdString(tempSelectDigitFor(0)) << "3";
        QTest::newRow("ETMP1 box") << QString::fromStdString(tempSelectDigitFor(1)) << "1";
        QTest::newRow("ETMP2 box") << QString::fromStdString(tempSelectDigitFor(2)) << "2";
    }
    void selectionDigits() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }
};

ZMX_TEST_MAIN(tst_cellstatus, TestCellStatus, Full)
#include "tst_cellstatus.moc"
