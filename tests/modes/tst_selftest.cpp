// The self-test frame: pattern choice, the starts and hex-view reads, the pending flags
// that allow exactly one verdict per start, and the verdict colouring.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {
const QColor kWhiteBg(255, 255, 255), kRedBg(255, 0, 0);

void setCellTexts(Form1& w, const QString& text) {
    for (auto* box : w.ui.Text1) box->setText(text);
}
}  // namespace

class TestSelfTest : public QObject {
    Q_OBJECT
private slots:
    void patternOptions_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("digit");
        QTest::addColumn<QString>("cellVoltTip");
        QTest::addColumn<QString>("openDccTip");
        QTest::newRow("0xAAA") << 1 << "F"
                               << "0x1F STCVAD SELF TEST2 ALL"
                               << "0x7F STOWDC SELF TEST2 ALL";
        QTest::newRow("0xFFF") << 2 << "D"
                               << "0x1D STCVAD CLEAR (FF) ALL"
                               << "0x7D STOWDC CLEAR (FF) ALL";
        QTest::newRow("back to 0x555") << 0 << "E"
                                       << "0x1E STCVAD SELF TEST1 ALL"
                                       << "0x7E STOWDC SELF TEST1 ALL";
    }
    void patternOptions() {
        QFETCH(int, option);
        QFETCH(QString, digit);
        QFETCH(QString, cellVoltTip);
        QFETCH(QString, openDccTip);
        WindowFixture f;
        QVERIFY(f.load());
        takeTransfers(f);
        if (option == 0) f.form->ui.Option2[2]->setChecked(true);
        f.form->ui.Option2[option]->setChecked(true);
        QCOMPARE(QString::fromStdString(f.form->st.selfTestDigit), digit);
        QCOMPARE(f.form->ui.Command5[0]->toolTip(), cellVoltTip);
        QCOMPARE(f.form->ui.Command5[6]->toolTip(), openDccTip);
        QVERIFY(takeTransfers(f).empty());  // choosing a pattern sends nothing
    }

    void cellStarts_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("dischargeHeld");
        QTest::newRow("CELL VOLT") << 0 << "1F" << false;
        QTest::newRow("OPEN WIRE") << 1 << "2F" << false;
        QTest::newRow("CELL DCC") << 5 << "6F" << true;
        QTest::newRow("OPEN DCC") << 6 << "7F" << true;
    }
    void cellStarts() {
        QFETCH(int, index);
        QFETCH(QString, command);
        QFETCH(bool, dischargeHeld);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->ui.Option2[1]->setChecked(true);
        setCellTexts(*f.form, " 3.7000V  ");
        takeTransfers(f);
        f.form->Command5_Click(index);
        const std::string cc = command.toStdString();
        QCOMPARE(takeTransfers(f), std::vector<std::string>{"MSxS80S49S" + cc + "S" + PecOfHexByte(cc) + "X"});
        QCOMPARE(int(st.cellSelfTestPending), -1);
        QCOMPARE(int(st.cellHexView), 1);
        for (auto* box : f.form->ui.Text1) {
            QCOMPARE(box->text(), QString("0x000 "));
            QCOMPARE(background(box), kWhiteBg);
            QCOMPARE(foreground(box), QColor(0, 0, 0));
        }
        QCOMPARE(f.form->ui.Shape13->fillColor(), dischargeHeld ? QColor(0x80, 0x80, 0xFF) : kWhiteBg);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command5[3]);
    }

    void tempStartLeavesCellVerdictPending() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->Command5_Click(0);
        f.form->Command5_Click(2);
        QCOMPARE(int(st.cellSelfTestPending), -1);
        QCOMPARE(int(st.tempSelfTestPending), -1);
        QCOMPARE(int(st.tempHexView), 1);
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(f.form->ui.Text6[j]->text(), QString(" 0x000 "));
            QCOMPARE(background(f.form->ui.Text6[j]), kWhiteBg);
            QCOMPARE(f.form->ui.Shape6[j]->fillColor(), systemWindowBackground());
            QCOMPARE(f.form->ui.Shape7[j]->fillColor(), systemWindowBackground());
            QCOMPARE(f.form->ui.Shape8[j]->fillColor(), systemWindowBackground());
        }
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command5[4]);
    }

    void cellVerdict_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("texts");  // boxes 1..12; fewer rows repeat the last
        QTest::addColumn<QString>("red");        // '1' where the box must turn red
        const QString p555 = "0x555 ";
        QStringList all555;
        for (int i = 0; i < 12; ++i) all555 << p555;
        QStringList one554 = all555;
        one554[4] = "0x554 ";
        QStringList tenCells = all555;
        tenCells[10] = tenCells[11] = "0x000 ";
        QStringList lowerCase;
        for (int i = 0; i < 12; ++i) lowerCase << "0xaaa ";
        QTest::newRow("all match") << 0 << all555 << "000000000000";
        QTest::newRow("one cell off") << 0 << one554 << "000010000000";
        QTest::newRow("ten-cell mode leaves 11 and 12 unread") << 0 << tenCells << "000000000011";
        QTest::newRow("other pattern chosen") << 2 << all555 << "111111111111";
        QTest::newRow("case counts") << 1 << lowerCase << "111111111111";
    }
    void cellVerdict() {
        QFETCH(int, option);
        QFETCH(QStringList, texts);
        QFETCH(QString, red);
        WindowFixture f;
        QVERIFY(f.load());
        f.form->ui.Option2[option]->setChecked(true);
        for (int i = 0; i < 12; ++i) {
            f.form->ui.Text1[i]->setText(texts[i]);
            setBackground(f.form->ui.Text1[i], QColor(0, 0, 255));
        }
        f.form->checkCellSelfTest();
        for (int i = 0; i < 12; ++i) QCOMPARE(background(f.form->ui.Text1[i]), red[i] == '1' ? kRedBg : kWhiteBg);
    }

    void tempVerdict_data() {
        QTest::addColumn<QString>("digit");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("red");  // '1' red, '0' white, '-' unchanged
        QTest::newRow("0xFFF all match") << "D" << QStringList{" 0xFFF ", " 0xFFF ", " 0xFFF "} << "000";
        QTest::newRow("cell format is not the temperature format")
            << "E" << QStringList{"0x555 ", " 0x555 ", " 0x555"} << "101";
        QTest::newRow("no pattern digit") << "0" << QStringList{" 0x555 ", "x", ""} << "---";
    }
    void tempVerdict() {
        QFETCH(QString, digit);
        QFETCH(QStringList, texts);
        QFETCH(QString, red);
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.selfTestDigit = digit.toStdString();
        const QColor untouched(0, 0, 255);
        for (int j = 0; j < 3; ++j) {
            f.form->ui.Text6[j]->setText(texts[j]);
            setBackground(f.form->ui.Text6[j], untouched);
        }
        f.form->checkTempSelfTest();
        for (int j = 0; j < 3; ++j)
            QCOMPARE(background(f.form->ui.Text6[j]), red[j] == '1' ? kRedBg : red[j] == '0' ? kWhiteBg : untouched);
    }

    // One start, two hex-view reads: only the first gives a verdict. The pattern is
    // changed before the read so every box differs from it whatever the chips return.
    void verdictOnlyOnceAfterAStart() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->Command5_Click(0);
        f.form->ui.Option2[1]->setChecked(true);
        f.form->Command5_Click(3);
        QCOMPARE(int(st.cellSelfTestPending), 0);
        QCOMPARE(int(st.lastCellStep), 2);
        QCOMPARE(int(st.cellHexView), 1);
        for (auto* box : f.form->ui.Text1) QCOMPARE(background(box), kRedBg);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command5[0]);

        for (auto* box : f.form->ui.Text1) setBackground(box, kWhiteBg);
        f.form->Command5_Click(3);
        for (auto* box : f.form->ui.Text1) QCOMPARE(background(box), kWhiteBg);
    }

    void tempVerdictOnlyOnceAfterAStart() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->Command5_Click(2);
        f.form->ui.Option2[1]->setChecked(true);
        f.form->Command5_Click(4);
        QCOMPARE(int(st.tempSelfTestPending), 0);
        QCOMPARE(int(st.lastTempStep), 2);
        for (auto* box : f.form->ui.Text6) QCOMPARE(background(box), kRedBg);
        QCOMPARE(f.form->focusWidget(), f.form->ui.Command5[2]);
        for (auto* box : f.form->ui.Text6) setBackground(box, kWhiteBg);
        f.form->Command5_Click(4);
        for (auto* box : f.form->ui.Text6) QCOMPARE(background(box), kWhiteBg);
    }

    void panelStartCancelsVerdict_data() {
        QTest::addColumn<int>("selfTestStart");
        QTest::addColumn<int>("panelStart");
        QTest::newRow("STARTCELLVOLT") << 0 << 2;
        QTest::newRow("START OPENWIRE") << 1 << 3;
        QTest::newRow("START TEMP") << 2 << 4;
    }
    void panelStartCancelsVerdict() {
        QFETCH(int, selfTestStart);
        QFETCH(int, panelStart);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        f.form->Command5_Click(selfTestStart);
        f.form->Command1_Click(panelStart);
        QCOMPARE(int(selfTestStart == 2 ? st.tempSelfTestPending : st.cellSelfTestPending), 0);
        QCOMPARE(int(selfTestStart == 2 ? st.tempHexView : st.cellHexView), 0);
    }

    // The whole self test on the simulated stack, written into measure mode first: the chips
    // answer the chosen pattern, a chip that gets one register wrong turns only that box red,
    // ten-cell mode leaves cells 11 and 12 unread, and a second hex-view read gives no verdict.
    void selfTestOnTheSimulatedStack_data() {
        QTest::addColumn<bool>("tenCells");
        QTest::addColumn<int>("faultCell");  // 0: none
        QTest::addColumn<QString>("red");
        QTest::newRow("one cell off the pattern") << false << 5 << "000010000000";
        QTest::newRow("all cells hold the pattern") << false << 0 << "000000000000";
        QTest::newRow("ten-cell mode") << true << 0 << "000000000011";
    }
    void selfTestOnTheSimulatedStack() {
        QFETCH(bool, tenCells);
        QFETCH(int, faultCell);
        QFETCH(QString, red);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.Command0_Click(1);  // CDC 1: the chips convert
        if (tenCells) {
            w.ui.Check0[3]->setEnabled(true);
            w.ui.Check0[3]->click();
        }
        w.Command1_Click(5);
        QCOMPARE(int(w.st.tenCellMode), tenCells ? 1 : 0);
        if (faultCell > 0) f.sim->setSelfTestFault(0, faultCell, 0xAAB);
        w.ui.Option2[1]->click();  // 0xAAA

        w.Command5_Click(0);  // CELL VOLT
        w.Command5_Click(3);  // READCELL HEX VIEW
        for (int i = 0; i < 12; ++i) {
            const QString want = i + 1 == faultCell ? "0xAAB " : i >= 10 && tenCells ? "0x000 " : "0xAAA ";
            QCOMPARE(w.ui.Text1[i]->text(), want);
            QCOMPARE(background(w.ui.Text1[i]), red[i] == '1' ? kRedBg : kWhiteBg);
        }
        w.Command5_Click(3);  // read again: the values, no verdict
        for (int i = 0; i < 12; ++i) {
            if (i >= 10 && tenCells) continue;  // not read in ten-cell mode
            QCOMPARE(background(w.ui.Text1[i]), kWhiteBg);
        }
    }

    void tempSelfTestOnTheSimulatedStack() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.Command0_Click(1);
        w.Command1_Click(5);
        f.sim->setSelfTestTempFault(0, 2, 0x554);  // ITMP, shown in the first box
        w.Command5_Click(2);                       // ALL TEMP with the start-up pattern 0x555
        w.Command5_Click(4);                       // READTEMP HEX VIEW
        QCOMPARE(w.ui.Text6[0]->text(), QString(" 0x554 "));
        QCOMPARE(background(w.ui.Text6[0]), kRedBg);
        for (int j = 1; j < 3; ++j) {
            QCOMPARE(w.ui.Text6[j]->text(), QString(" 0x555 "));
            QCOMPARE(background(w.ui.Text6[j]), kWhiteBg);
        }
        w.Command5_Click(4);
        QCOMPARE(background(w.ui.Text6[0]), kWhiteBg);
    }

    void readsAddressTheSelectedBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.lastBoardIndex = 2;
        f.form->st.selectedBoard = 2;
        takeTransfers(f);
        f.form->Command5_Click(3);
        f.form->Command5_Click(4);
        QCOMPARE(takeTransfers(f), (std::vector<std::string>{rdcv("82"), rdtmp("82")}));
    }
};

ZMX_TEST_MAIN(tst_selftest, TestSelfTest, Full)
#include "tst_selftest.moc"
