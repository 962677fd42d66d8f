// The cell, flag and temperature displays of the window: value texts and colours, lamps
// and bars from the status table, single-cell and single-channel selection.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QtTest>

#include "protocol/ReadDecode.h"
#include "rules/CellStatus.h"
#include "rules/Colors.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {
const QColor kGreyBox(128, 128, 128);
}

class TestCellDisplay : public QObject {
    Q_OBJECT
private slots:
    void valueTexts() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.selectedBoard = 2;
        st.cellVolts[cellValueIndex(2, 1)] = 3.6f;
        st.cellVolts[cellValueIndex(2, 2)] = codeToVolts(0);
        st.cellCodeHex[cellValueIndex(2, 1)] = "5A3";
        st.cellCodeHex[cellValueIndex(2, 2)] = "5a3";
        f.form->ShowCellVolts(0);
        QCOMPARE(f.form->ui.Text1[0]->text(), QString(" 3.6000V  "));
        QCOMPARE(f.form->ui.Text1[1]->text(), QString("- 0.7680V  "));
        QCOMPARE(foreground(f.form->ui.Text1[0]), QColor(Qt::white));
        QCOMPARE(background(f.form->ui.Text1[0]), systemWindowText());

        f.form->ShowCellHex(0);
        QCOMPARE(f.form->ui.Text1[0]->text(), QString("0x5A3 "));
        QCOMPARE(f.form->ui.Text1[1]->text(), QString("0x5a3 "));
        QCOMPARE(background(f.form->ui.Text1[0]), QColor(Qt::white));

        st.cellHexView = 1;
        f.form->ClearCellValues();
        QCOMPARE(f.form->ui.Text1[11]->text(), QString(" 0x000 "));
        st.cellHexView = 0;
        f.form->ClearCellValues();
        QCOMPARE(f.form->ui.Text1[11]->text(), QString(" 0.0000V  "));
        QCOMPARE(background(f.form->ui.Text1[11]), systemWindowText());
    }

    void flagAndTemperatureTexts() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.flgrText[0] = {"01", "00", "80"};
        f.form->ShowFlags();
        QCOMPARE(f.form->ui.Text7[0]->text(), QString("  01   "));
        st.cellVolts[tempValueIndex(0, 0)] = 0.0f;
        st.cellVolts[tempValueIndex(0, 2)] = 0.732f;
        st.cellCodeHex[tempValueIndex(0, 2)] = "3E8";
        f.form->ShowTemps();
        QCOMPARE(f.form->ui.Text6[1]->text(), QString("0.0000V  "));
        QCOMPARE(f.form->ui.Text6[0]->text(), QString("0.7320V  "));
        f.form->ShowTempsHex();
        QCOMPARE(f.form->ui.Text6[0]->text(), QString(" 0x3E8 "));
        f.form->ClearTemps();
        QCOMPARE(f.form->ui.Text6[2]->text(), QString(" 0.0000V "));
        QCOMPARE(f.form->ui.Shape7[2]->fillColor(), QColor(Qt::white));
    }

    // Every status code paints its lamp, its bar (top and height in twips inside the
    // cell frame) and the bar background from the one status table.
    void statusPainting_data() {
        QTest::addColumn<int>("code");
        for (int c = 0; c < 8; ++c) QTest::newRow(qPrintable(QString("code %1").arg(c))) << c;
    }
    void statusPainting() {
        QFETCH(int, code);
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.selectedBoard = 0;
        st.cellStatus[statusIndex(0, 6)] = int16_t(code);
        f.form->ShowCellStatus();
        const CellStatusStyle& style = cellStatusStyle(code);
        QCOMPARE(f.form->ui.Shape1[6]->fillColor(), toQColor(style.color));
        QCOMPARE(f.form->ui.Shape2[6]->fillColor(), toQColor(style.color));
        QCOMPARE(f.form->ui.Shape2[6]->y() * 15, style.barTop);
        QCOMPARE(f.form->ui.Shape2[6]->height() * 15, style.barHeight);
        QCOMPARE(f.form->ui.Shape4[6]->fillColor(), code == 0 ? QColor(Qt::white) : QColor(224, 224, 224));
    }

    void paintAllStatusCoversTheStack() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 2;
        st.cellStatus[statusIndex(2, 0)] = kStatusMaskedDischarge;
        st.cellStatus[statusIndex(3, 0)] = kStatusGood;  // beyond the stack
        f.form->paintAllStatus();
        QCOMPARE(f.form->ui.Shape1[statusIndex(2, 0)]->fillColor(), QColor(128, 128, 128));
        QCOMPARE(f.form->ui.Shape1[statusIndex(3, 0)]->fillColor(), QColor(Qt::white));
    }

    // "READ Only" of one cell: the conversion digit, the dimmed panels and lamps of the
    // selected board (addressed) or of every board (broadcast), and the way back.
    void singleCell_data() {
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QString>("digit");
        QTest::addColumn<int>("mode");
        QTest::newRow("cell 1 addressed") << 0 << 0 << "1" << 1;
        QTest::newRow("cell 10 addressed") << 9 << 0 << "A" << 1;
        QTest::newRow("cell 12 broadcast") << 11 << 1 << "C" << 2;
    }
    void singleCell() {
        QFETCH(int, cell);
        QFETCH(int, broadcast);
        QFETCH(QString, digit);
        QFETCH(int, mode);
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 2;
        st.selectedBoard = 1;
        st.bcastSTCVAD[1] = int16_t(broadcast);
        const int other = cell == 0 ? 1 : 0;

        f.form->ui.Check6[cell]->setChecked(true);
        QCOMPARE(QString::fromStdString(st.cellSelectDigit), digit);
        QCOMPARE(int(st.singleCellMode), mode);
        QVERIFY(f.form->ui.Check6[cell]->isEnabled());
        QVERIFY(!f.form->ui.Check6[other]->isEnabled());
        QCOMPARE(foreground(f.form->ui.Frame1[other]), kGreyBox);
        QCOMPARE(foreground(f.form->ui.Frame1[cell]), QColor(Qt::black));
        QVERIFY(f.form->ui.Shape2[other]->dimmed());
        QVERIFY(!f.form->ui.Shape2[cell]->dimmed());
        QVERIFY(f.form->ui.Shape1[statusIndex(1, other)]->dimmed());
        QVERIFY(!f.form->ui.Shape1[statusIndex(1, cell)]->dimmed());
        QCOMPARE(f.form->ui.Shape1[statusIndex(0, other)]->dimmed(), mode == 2);
        f.form->ShowCellVolts(0);
        QCOMPARE(background(f.form->ui.Text1[other]), kGreyBox);
        QCOMPARE(background(f.form->ui.Text1[cell]), systemWindowText());

        f.form->ui.Check6[cell]->setChecked(false);
        QCOMPARE(QString::fromStdString(st.cellSelectDigit), QString("0"));
        QCOMPARE(int(st.singleCellMode), 0);
        for (int i = 0; i < 12; ++i) QVERIFY(f.form->ui.Check6[i]->isEnabled());
        for (ShapeWidget* lamp : f.form->ui.Shape1) QVERIFY(!lamp->dimmed());
        QCOMPARE(foreground(f.form->ui.Frame1[other]), QColor(Qt::black));
    }

    // Switching the cell conversions to broadcast while one cell is selected widens the
    // dimming to every board; switching back narrows it to the selected board again.
    void selectionFollowsBroadcast() {
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        st.lastBoardIndex = 1;
        f.form->ui.Check6[3]->setChecked(true);
        QCOMPARE(int(st.singleCellMode), 1);
        QVERIFY(!f.form->ui.Shape1[statusIndex(1, 0)]->dimmed());
        st.bcastSTCVAD[0] = 1;
        f.form->SelectSingleCell(3);
        QCOMPARE(int(st.singleCellMode), 2);
        QVERIFY(f.form->ui.Shape1[statusIndex(1, 0)]->dimmed());
        st.bcastSTCVAD[0] = 0;
        f.form->SelectSingleCell(3);
        QCOMPARE(int(st.singleCellMode), 1);
        QVERIFY(!f.form->ui.Shape1[statusIndex(1, 0)]->dimmed());
        QVERIFY(f.form->ui.Shape1[statusIndex(0, 0)]->dimmed());
    }

    void temperatureChannel_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("digit");
        QTest::newRow("ITMP Only") << 0 << "3";
        QTest::newRow("ETMP1Only") << 1 << "1";
        QTest::newRow("ETMP2Only") << 2 << "2";
    }
    void temperatureChannel() {
        QFETCH(int, box);
        QFETCH(QString, digit);
        WindowFixture f;
        QVERIFY(f.load());
        StackState& st = f.form->st;
        f.form->ui.Check7[box]->setChecked(true);
        QCOMPARE(QString::fromStdString(st.tempSelectDigit), digit);
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(f.form->ui.Check7[j]->isEnabled(), j == box);
            QCOMPARE(f.form->ui.Shape6[j]->dimmed(), j != box);
        }
        f.form->ShowTemps();
        QCOMPARE(background(f.form->ui.Text6[(box + 1) % 3]), kGreyBox);
        QCOMPARE(background(f.form->ui.Text6[box]), QColor(Qt::black));

        f.form->ui.Check7[box]->setChecked(false);
        QCOMPARE(QString::fromStdString(st.tempSelectDigit), QString("0"));
        for (int j = 0; j < 3; ++j) {
            QVERIFY(f.form->ui.Check7[j]->isEnabled());
            QVERIFY(!f.form->ui.Shape7[j]->dimmed());
        }
    }
};

ZMX_TEST_MAIN(tst_celldisplay, TestCellDisplay, Full)
#include "tst_celldisplay.moc"
