// Cell reads against the simulated stack: requests, verdicts, decoding into the served
// slot, ten-cell and group reads, and the value boxes.

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "protocol/ReadDecode.h"
#include "rules/CellFormat.h"
#include "support/ReadTestSetup.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

QString codeOf(const WindowFixture& f, int slot, int cell) {
    return QString::fromStdString(f.form->st.cellCodeHex[cellValueIndex(slot, cell)]);
}
QString simCode(const WindowFixture& f, int slot, int cell) {
    return QString::number(f.sim->cellCode(slot, cell), 16).rightJustified(3, '0').toUpper();
}
}  // namespace

class TestReadCells : public QObject {
    Q_OBJECT
private slots:
    void readsAllTwelveCells() {
        WindowFixture f;
        QVERIFY(f.load());
        measureMode(f, 0);
        f.sim->setCellVolts(0, 1, 3.6);
        f.sim->setCellVolts(0, 12, 4.2);
        convertCells(f);
        f.takeCommandWrites();

        f.form->ReadCells(0);
        const auto writes = f.takeCommandWrites();
        QCOMPARE(writes.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(writes[0]), "MSxT80T49T04TDC" + QString(19, 'R') + "X");
        QCOMPARE(f.form->st.rxCells.size(), std::size_t(46));

        const StackState& st = f.form->st;
        QCOMPARE(f.form->ui.Text1[0]->text(), QString(" 3.6000V  "));
        QCOMPARE(f.form->ui.Text1[11]->text(), QString(" 4.2000V  "));
        for (int n = 1; n <= 12; ++n) QCOMPARE(codeOf(f, 0, n), simCode(f, 0, n));
        QCOMPARE(int(st.readStatus[0]), 1);
        QCOMPARE(int(st.rdcvGood[0]), 1);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), kGreenLamp);
        QCOMPARE(f.form->ui.Label8[1]->text(), QString("Command = 0x04 RDCV"));
        QVERIFY(f.form->ui.Text8->text().contains(" ==  "));
        QCOMPARE(int(st.monitorKind), 4);

        f.form->EvaluateCellStatus(0);
        f.form->ShowCellStatus();
        for (int i = 0; i < 12; ++i) QCOMPARE(f.form->ui.Shape1[i]->fillColor(), kGreenLamp);
    }

    // Ten-cell mode reads 15 bytes (PEC from the 16th) and leaves cells 11 and 12 alone;
    // the group reads fetch their own four (or two) cells.
    void variants_data() {
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("cfg0");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("reads");  // "R" items: data bytes and the PEC
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<int>("lastCell");
        QTest::newRow("RDCV ten cells") << 1 << "E9"
                                        << "04" << 16 << 1 << 10;
        QTest::newRow("RDCVA") << 2 << "E1"
                               << "06" << 7 << 1 << 4;
        QTest::newRow("RDCVB") << 3 << "E1"
                               << "08" << 7 << 5 << 8;
        QTest::newRow("RDCVC") << 4 << "E1"
                               << "0A" << 7 << 9 << 12;
        QTest::newRow("RDCVC ten cells") << 5 << "E9"
                                         << "0A" << 4 << 9 << 10;
    }
    void variants() {
        QFETCH(int, selector);
        QFETCH(QString, cfg0);
        QFETCH(QString, command);
        QFETCH(int, reads);
        QFETCH(int, firstCell);
        QFETCH(int, lastCell);
        WindowFixture f;
        QVERIFY(f.load());
        configureBoard(f, 0, {cfg0.toStdString(), "00", "00", "00", "00", "00"});
        convertCells(f);
        StackState& st = f.form->st;
        for (int n = 1; n <= 12; ++n) {
            st.cellVolts[cellValueIndex(0, n)] = 9.5f;
            st.cellCodeHex[cellValueIndex(0, n)] = "old";
        }
        f.takeCommandWrites();

        f.form->ReadCells(selector);
        const auto writes = f.takeCommandWrites();
        QCOMPARE(writes.size(), std::size_t(1));
        const QString pec = QString::fromStdString(PecOfHexByte(command.toStdString()));
        QCOMPARE(QString::fromStdString(writes[0]), "MSxT80T49T" + command + "T" + pec + QString(reads, 'R') + "X");
        QCOMPARE(st.rxCells.size(), std::size_t(8 + 2 * reads));
        QCOMPARE(int(st.readStatus[0]), 1);
        QCOMPARE(int(st.monitorCellSelector), selector);
        for (int n = 1; n <= 12; ++n) {
            const bool read = n >= firstCell && n <= lastCell;
            QCOMPARE(codeOf(f, 0, n), read ? simCode(f, 0, n) : QString("old"));
            QCOMPARE(st.cellVolts[cellValueIndex(0, n)] == 9.5f, !read);
            // Only the boxes of the cells read are rewritten.
            QCOMPARE(
                f.form->ui.Text1[n - 1]->text(),
                read ? QString::fromStdString(cellVoltsText(st.cellVolts[cellValueIndex(0, n)])) : QString("0.0000V"));
        }
    }

    // A wrong PEC still replaces the values; the lamp and the freshness mark follow it
    // unless "PEC Match Only" hides the mismatch.
    void pecMismatch_data() {
        QTest::addColumn<int>("showValidOnly");
        QTest::addColumn<QColor>("lamp");
        QTest::addColumn<int>("rdcvGood");
        QTest::newRow("shown") << 0 << kRedLamp << 0;
        QTest::newRow("PEC Match Only") << 1 << kGreenLamp << 1;
    }
    void pecMismatch() {
        QFETCH(int, showValidOnly);
        QFETCH(QColor, lamp);
        QFETCH(int, rdcvGood);
        WindowFixture f;
        QVERIFY(f.load());
        measureMode(f, 0);
        convertCells(f);
        f.form->ReadCells(0);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), kGreenLamp);

        f.sim->setCellVolts(0, 3, 2.5);
        convertCells(f);
        f.sim->corruptNextReplies(1);
        StackState& st = f.form->st;
        st.showValidOnly = int16_t(showValidOnly);
        f.form->ReadCells(0);
        QVERIFY(st.rdcvRxPec[0] != st.rdcvCalcPec[0]);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), lamp);
        QCOMPARE(int(st.rdcvGood[0]), rdcvGood);
        // Whatever arrived is decoded and shown.
        const std::string& r = st.rxCells;
        QCOMPARE(codeOf(f, 0, 1), QString::fromStdString(r.substr(11, 1) + r.substr(8, 2)));
        QCOMPARE(f.form->ui.Text1[2]->text(),
                 QString::fromStdString(cellVoltsText(st.cellVolts[cellValueIndex(0, 3)])));
    }

    void standbyBoardKeepsWhiteLamp() {
        WindowFixture f;
        QVERIFY(f.load());  // start-up leaves every board at CDC 0
        QCOMPARE(int(f.form->st.measureMode[0]), 0);
        f.form->ReadCells(0);
        const StackState& st = f.form->st;
        QCOMPARE(st.rdcvRxPec[0], st.rdcvCalcPec[0]);
        QCOMPARE(int(st.readStatus[0]), 0);
        QCOMPARE(f.form->ui.Shape12[0]->fillColor(), kWhiteLamp);
        // Registers never converted read as 0xFFF.
        QCOMPARE(f.form->ui.Text1[4]->text(), QString(" 5.3745V  "));
        f.form->EvaluateCellStatus(0);
        f.form->ShowCellStatus();
        QCOMPARE(f.form->ui.Shape1[4]->fillColor(), kWhiteLamp);
    }

    void absentBoardDecodesAllOnes() {
        sim::SimOptions one;
        one.boards = 1;
        WindowFixture f(one);
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 1;
        st.selectedBoard = 1;
        f.form->ReadCells(0);
        // Nobody drives the bus: every byte and the PEC read FF, which is not the PEC of
        // eighteen FF bytes.
        QCOMPARE(int(st.readStatus[1]), 2);
        QCOMPARE(codeOf(f, 1, 12), QString("FFF"));
        QCOMPARE(f.form->ui.Text1[11]->text(), QString(" 5.3745V  "));
        QCOMPARE(int(st.readStatus[0]), 1);  // the other board's lamp is untouched
    }

    // While continuous mode serves board 2, the read goes to board 2's address and fills
    // its slot, while the boxes keep showing the selected board 1.
    void continuousModeReadsTheScannedBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 1;
        measureMode(f, 0);
        measureMode(f, 1);
        f.sim->setCellVolts(1, 2, 3.0);
        convertCells(f);
        f.form->ShowCellVolts(0);
        const QString shownBefore = f.form->ui.Text1[1]->text();
        st.continuousRunning = 1;
        st.scanBoard = 1;
        f.takeCommandWrites();

        f.form->ReadCells(0);
        const auto writes = f.takeCommandWrites();
        QVERIFY(QString::fromStdString(writes.at(0)).startsWith("MSxT81T"));
        QCOMPARE(st.cellVolts[cellValueIndex(1, 2)], 3.0f);
        QCOMPARE(int(st.rdcvGood[1]), 1);
        QCOMPARE(int(st.rdcvGood[0]), 0);
        QCOMPARE(f.form->ui.Text1[1]->text(), shownBefore);
        QCOMPARE(f.form->ui.Shape12[1]->fillColor(), kGreenLamp);
    }
};

ZMX_TEST_MAIN(tst_readcells, TestReadCells, Full)
#include "tst_readcells.moc"
