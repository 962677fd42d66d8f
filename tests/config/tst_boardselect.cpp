// Board selection and layout: the grid headers, board-button captions and board-number
// texts; and in the window the board count, the address list, board selection and the
// broadcast boxes.

#include <QtTest>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "rules/BoardLayout.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// The addresses that RDCFG frames went to, in order ("MSxT" aa "T" P(aa) "T02" ...).
QStringList readConfigTargets(const std::vector<std::string>& writes) {
    QStringList out;
    for (const std::string& w : writes) {
        const QString t = QString::fromStdString(w);
        if (t.startsWith("MSxT") && t.mid(9, 3) == "T02") out << t.mid(4, 2);
    }
    return out;
}

// The state a control's handler leaves behind, to compare two ways of using the control.
QStringList handlerEffects(const Form1& w) {
    QStringList out;
    const StackState& st = w.st;
    out << QString::number(st.globalScope) << QString::number(st.bcastWRCFG[0]) << QString::number(st.bcastSTCVAD[0])
        << QString::number(st.bcastSTOWAD[0]) << QString::number(st.bcastSTCVDC[0])
        << QString::number(st.bcastSTOWDC[0]) << QString::fromStdString(st.cellSelectDigit)
        << QString::number(st.singleCellMode);
    for (QAbstractButton* b :
         {(QAbstractButton*)w.ui.Check5[2], (QAbstractButton*)w.ui.Check5[3], (QAbstractButton*)w.ui.Check5[5],
          (QAbstractButton*)w.ui.Check8[0], (QAbstractButton*)w.ui.Option1[0], (QAbstractButton*)w.ui.Option3[0],
          (QAbstractButton*)w.ui.Check6[3]})
        out << b->text() + (b->isChecked() ? "=1" : "=0");
    return out;
}

}  // namespace

class TestBoardSelect : public QObject {
    Q_OBJECT
private slots:
    void boardHeader_data() {
        QTest::addColumn<int>("lastBoardIndex");
        QTest::addColumn<QString>("text");
        QTest::newRow("one board") << 0 << "BOARD#   1";
        QTest::newRow("three boards") << 2 << "BOARD#   1      2      3";
        QTest::newRow("ten boards") << 9 << "BOARD#   1      2      3      4      5      6      7      8      9     10";
    }
    void boardHeader() {
        QFETCH(int, lastBoardIndex);
        QTEST(QString::fromStdString(boardHeaderText(lastBoardIndex)), "text");
    }

    void addressHeader() {
        std::array<std::string, 11> addresses{"8A", "81", "82", "83", "84", "85", "86", "87", "88", "89", ""};
        QCOMPARE(QString::fromStdString(addressHeaderText(addresses, 0)), QString("ADDRESS 8A"));
        QCOMPARE(QString::fromStdString(addressHeaderText(addresses, 2)), QString("ADDRESS 8A    81    82"));
    }

    void buttonCaption_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::newRow("board 1") << 0 << "80"
                                 << "BRD# 1    0x80";
        QTest::newRow("board 1 at 8A") << 0 << "8A"
                                       << "BRD# 1    0x8A";
        QTest::newRow("board 9") << 8 << "88"
                                 << "BRD# 9    0x88";
        QTest::newRow("board 10") << 9 << "89"
                                  << "BRD#10   0x89";
    }
    void buttonCaption() {
        QFETCH(int, slot);
        QFETCH(QString, address);
        QTEST(QString::fromStdString(boardButtonCaption(slot, address.toStdString())), "caption");
    }

    void banners_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("board 1") << 0
                                 << QStringList{"1",
                                                "CUSTOM  BOARD # 1",
                                                "CUSTOM BRD# 1",
                                                "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS",
                                                "BOARD# 1 ONLY",
                                                "BRD#1",
                                                "READ ONLY BRD#1 CELLS FOR SELFTEST IN HEX.",
                                                "READ ONLY BRD#1 TEMPS FOR SELFTEST IN HEX."};
        QTest::newRow("board 10") << 9
                                  << QStringList{"10",
                                                 "CUSTOM  BOARD #10",
                                                 "CUSTOM BRD#10",
                                                 "SET/ DISPLAY BOARD#10 AT HEX ADDRESS",
                                                 "BOARD#10 ONLY",
                                                 "BRD#10",
                                                 "READ ONLY BRD#10 CELLS FOR SELFTEST IN HEX.",
                                                 "READ ONLY BRD#10 TEMPS FOR SELFTEST IN HEX."};
    }
    void banners() {
        QFETCH(int, slot);
        QFETCH(QStringList, texts);
        const BoardBanners b = boardBanners(slot);
        const QStringList got{QString::fromStdString(b.label21),     QString::fromStdString(b.customVoltage),
                              QString::fromStdString(b.customCfgr0), QString::fromStdString(b.addressPrompt),
                              QString::fromStdString(b.boardOnly),   QString::fromStdString(b.companion),
                              QString::fromStdString(b.cellHexTip),  QString::fromStdString(b.tempHexTip)};
        QCOMPARE(got, texts);
    }

    void addressDigits_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("digit");
        QTest::newRow("80") << "80" << 0;
        QTest::newRow("8A") << "8A" << 10;
        QTest::newRow("8F") << "8F" << 15;
        QTest::newRow("lower case") << "8a" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void addressDigits() {
        QFETCH(QString, address);
        QFETCH(int, digit);
        QCOMPARE(addressDigitIndex(address.toStdString()), digit);
        if (digit >= 0) QCOMPARE(QString::fromStdString(addressOfDigitIndex(digit)), address);
    }

    // ------------------------------------------------------------------ in the window

    // The board count shows the boards in use and re-reads each board's configuration, then
    // the selected board's once more.
    void boardCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("addresses");
        QTest::addColumn<QStringList>("reads");
        QTest::newRow("3 boards") << 3 << "BOARD#   1      2      3"
                                  << "ADDRESS 80    81    82" << QStringList{"80", "81", "82", "80"};
        QTest::newRow("1 board") << 1 << "BOARD#   1"
                                 << "ADDRESS 80" << QStringList{"80", "80"};
    }
    void boardCount() {
        QFETCH(int, count);
        WindowFixture f;
        QVERIFY(f.load());
        f.takeWrites();
        useBoards(f, count);
        QTEST(readConfigTargets(f.takeCommandWrites()), "reads");
        QTEST(f.form->ui.Label12->text(), "header");
        QTEST(f.form->ui.Label15->text(), "addresses");
        QCOMPARE(int(f.form->st.lastBoardIndex), count - 1);
        for (int slot = 0; slot < kBoards; ++slot) {
            QCOMPARE(f.form->ui.Command4[slot]->isHidden(), slot >= count);
            QCOMPARE(f.form->ui.Shape1[12 * slot + 5]->isHidden(), slot >= count);
        }
    }

    // Parked read indicators are neither consumed nor re-armed by the re-reads.
    void boardCountKeepsPendingReadback() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.readbackPending = 1;
        f.form->st.lastCellStep = 1;
        useBoards(f, 2);
        QCOMPARE(int(f.form->st.readbackPending), 1);
        QCOMPARE(int(f.form->st.lastCellStep), 1);
    }

    // Reducing the count below the selected board selects the last board first.
    void reducingCountSelectsLastBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 5);
        f.form->Command4_Click(4);
        QCOMPARE(int(f.form->st.selectedBoard), 4);
        f.takeWrites();
        useBoards(f, 2);
        QCOMPARE(int(f.form->st.selectedBoard), 1);
        // Board 2 is selected before the re-reads, which end on it; board 5 is not read.
        const QStringList reads = readConfigTargets(f.takeCommandWrites());
        QVERIFY(reads.size() >= 3);
        QCOMPARE(reads.mid(reads.size() - 3), (QStringList{"80", "81", "81"}));
        QVERIFY(!reads.contains("84"));
        QCOMPARE(f.form->ui.Label19[0]->text(), QString("BRD#2"));
    }

    // Choosing an address digit readdresses the selected board and re-reads the stack there.
    void addressChoice() {
        WindowFixture f;
        QVERIFY(f.load());
        f.takeWrites();
        f.form->ui.Combo2->setCurrentIndex(10);  // "A"
        f.form->Combo2_Click();
        QCOMPARE(QString::fromStdString(f.form->st.boardAddressHex[0]), QString("8A"));
        QCOMPARE(f.form->ui.Command4[0]->text(), QString("BRD# 1    0x8A"));
        QCOMPARE(f.form->ui.Command4[1]->text(), QString("BRD# 2    0x81"));
        QVERIFY(f.form->ui.Label15->text().startsWith("ADDRESS 8A"));
        QCOMPARE(readConfigTargets(f.takeCommandWrites()), (QStringList{"8A", "8A"}));
    }

    // Selecting a board whose address digit differs from the list re-reads the whole stack.
    void selectionFollowsAddressDigit() {
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 2);
        f.form->ui.Combo2->setCurrentIndex(10);
        f.form->Combo2_Click();
        f.takeWrites();
        f.form->Command4_Click(1);
        QCOMPARE(f.form->ui.Combo2->currentText(), QString("1"));
        QCOMPARE(QString::fromStdString(f.form->st.boardAddressHex[1]), QString("81"));
        QCOMPARE(readConfigTargets(f.takeCommandWrites()), (QStringList{"8A", "81", "81"}));
    }

    void selectingBoardTen() {
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 10);
        f.form->Command4_Click(9);
        Form1& w = *f.form;
        QCOMPARE(int(w.st.selectedBoard), 9);
        QCOMPARE(w.ui.Label21->text(), QString("10"));
        QCOMPARE(w.ui.Label13[0]->text(), QString("CUSTOM  BOARD #10"));
        QCOMPARE(w.ui.Option3[0]->text(), QString("CUSTOM BRD#10"));
        QCOMPARE(w.ui.Label14->text(), QString("SET/ DISPLAY BOARD#10 AT HEX ADDRESS"));
        QCOMPARE(w.ui.Label18[3]->text(), QString("BOARD#10 ONLY"));
        for (QLabel* l : w.ui.Label19) QCOMPARE(l->text(), QString("BRD#10"));
        QCOMPARE(w.ui.Label20[1]->text(), QString("BRD#10"));
        QCOMPARE(w.ui.Label20[2]->text(), QString("BRD#10"));
        QCOMPARE(w.ui.Command5[3]->toolTip(), QString("READ ONLY BRD#10 CELLS FOR SELFTEST IN HEX."));
        QCOMPARE(w.ui.Command5[4]->toolTip(), QString("READ ONLY BRD#10 TEMPS FOR SELFTEST IN HEX."));
        // The selected row stands out.
        QCOMPARE(w.ui.Shape12[9]->borderWidth(), 2);
        QCOMPARE(w.ui.Shape12[0]->borderWidth(), 1);
    }

    // The four cell-conversion boxes move together; the others stand alone.
    void broadcastCoupling_data() {
        QTest::addColumn<QString>("box");  // "5:i" for Check5(i), "8:i" for Check8(i)
        QTest::addColumn<bool>("coupled");
        QTest::newRow("Check8(1)") << "8:1" << true;
        QTest::newRow("Check5(3)") << "5:3" << true;
        QTest::newRow("Check5(2)") << "5:2" << true;
        QTest::newRow("Check8(0)") << "8:0" << true;
        QTest::newRow("Check5(4)") << "5:4" << false;
        QTest::newRow("Check5(0)") << "5:0" << false;
    }
    void broadcastCoupling() {
        QFETCH(QString, box);
        QFETCH(bool, coupled);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        const int i = box.mid(2).toInt();
        QCheckBox* clicked = box.startsWith("5") ? w.ui.Check5[i] : w.ui.Check8[i];
        QCheckBox* group[] = {w.ui.Check5[2], w.ui.Check5[3], w.ui.Check8[0], w.ui.Check8[1]};
        QLabel* companions[] = {w.ui.Label19[2], w.ui.Label19[3], w.ui.Label20[1], w.ui.Label20[2]};
        int16_t* switches[] = {&w.st.bcastSTCVAD[0], &w.st.bcastSTOWAD[0], &w.st.bcastSTCVDC[0], &w.st.bcastSTOWDC[0]};
        for (bool on : {true, false}) {
            clicked->click();
            QCOMPARE(clicked->isChecked(), on);
            QCOMPARE(clicked->text(), on ? QString("BROADCAST") : QString("B'CAST"));
            for (int k = 0; k < 4; ++k) {
                if (!coupled && group[k] == clicked) continue;
                const bool expected = coupled ? on : false;
                QCOMPARE(group[k]->isChecked(), expected);
                QCOMPARE(int(*switches[k]), expected ? 1 : 0);
                QCOMPARE(companions[k]->isHidden(), expected);
            }
        }
        if (!coupled) QCOMPARE(int(i == 4 ? w.st.bcastSTTMPAD[0] : w.st.bcastPLADC[0]), 0);
    }

    // Broadcast cell conversions move a single-cell selection between its two modes.
    void broadcastSwitchesSingleCellMode() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.singleCellMode = 1;
        w.ui.Check5[2]->click();
        QCOMPARE(int(w.st.singleCellMode), 2);
        w.ui.Check8[1]->click();
        QCOMPARE(int(w.st.singleCellMode), 1);
    }

    // Unchecking the WRCFG box goes custom and names the board an addressed write goes to.
    void wrcfgBoxUnchecked() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        // Start-up: WRCFG broadcast, every other command addressed to board 1.
        QCOMPARE(w.ui.Check5[5]->text(), QString("BROADCAST"));
        QVERIFY(w.ui.Label19[5]->isHidden());
        QCOMPARE(w.ui.Check5[0]->text(), QString("B'CAST"));
        QVERIFY(!w.ui.Label19[0]->isHidden());
        for (int k = 0; k < 2; ++k) {  // the hold-discharge boxes too, narrowed with their caption
            QCOMPARE(w.ui.Check8[k]->text(), QString("B'CAST"));
            QCOMPARE(w.ui.Check8[k]->width(), w.ui.Check5[0]->width());
            QVERIFY(!w.ui.Label20[k + 1]->isHidden());
        }
        QVERIFY(w.ui.Option1[1]->isChecked() && w.ui.Option3[1]->isChecked());
        w.ui.Check5[5]->click();
        QCOMPARE(w.ui.Check5[5]->text(), QString("B'CAST"));
        QVERIFY(!w.ui.Label19[5]->isHidden());
        QCOMPARE(w.ui.Label19[5]->text(), QString("BRD#1"));
        QVERIFY(w.ui.Option1[0]->isChecked());
        QVERIFY(w.ui.Option3[0]->isChecked());
    }

    // The hold-discharge boxes are re-applied on selection: the new board sends what they show.
    void selectionReappliesHoldDischargeBoxes() {
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(f, 2);
        f.form->ui.Check8[0]->click();
        f.form->Command4_Click(1);
        QCOMPARE(int(f.form->st.bcastSTCVDC[1]), 1);
        QCOMPARE(int(f.form->st.bcastSTOWDC[1]), 1);
        QCOMPARE(int(f.form->st.bcastSTCVAD[1]), 1);
    }

    // Selecting a board shows what was last read from it, without reading it again (only
    // the address list's re-read of the configurations goes out).
    void selectionShowsStoredResults() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.Command0_Click(1);
        w.Command1_Click(5);
        useBoards(f, 2);
        f.sim->setCellVolts(0, 1, 3.1);
        f.sim->setCellVolts(1, 1, 3.2);
        for (int i : {2, 7, 8, 4, 9}) w.Command1_Click(i);  // board 1: cells, flags, temperatures
        const QStringList board1{w.ui.Text1[0]->text(), w.ui.Text6[0]->text(), w.ui.Text7[0]->text()};
        QCOMPARE(board1[0], QString(" 3.1005V  "));
        w.Command4_Click(1);
        for (int i : {2, 7}) w.Command1_Click(i);  // board 2: cells
        QCOMPARE(w.ui.Text1[0]->text(), QString(" 3.1995V  "));
        f.takeCommandWrites();

        w.Command4_Click(0);
        QCOMPARE(readConfigTargets(f.takeCommandWrites()), (QStringList{"80", "81", "80"}));
        QCOMPARE((QStringList{w.ui.Text1[0]->text(), w.ui.Text6[0]->text(), w.ui.Text7[0]->text()}), board1);
        for (int slot : {0, 1}) QCOMPARE(w.ui.Shape1[12 * slot]->fillColor(), QColor(0, 255, 0));
        QCOMPARE(w.ui.Shape12[0]->fillColor(), QColor(0, 255, 0));
    }

    // Loading a board into the controls never changes any board's image.
    void selectionKeepsImages() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        useBoards(f, 2);
        w.ui.Option3[0]->click();
        w.st.cfgImage[0][0] = "E3";
        w.st.cdcValue[0] = 3;
        w.st.cfgImage[1][0] = "62";
        w.st.cdcValue[1] = 2;
        w.Command4_Click(0);
        w.Command4_Click(1);
        w.Command4_Click(0);
        QCOMPARE(QString::fromStdString(w.st.cfgImage[0][0]), QString("E3"));
        QCOMPARE(QString::fromStdString(w.st.cfgImage[1][0]), QString("62"));
        QCOMPARE(int(w.st.selectedBoard), 0);
    }

    // An accessibility action on a box or option runs its handler just as a click does.
    void accessibilityActionsMatchClicks_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("Check5(2)") << "Check5(2)";
        QTest::newRow("Option3(0)") << "Option3(0)";
        QTest::newRow("Check6(3)") << "Check6(3)";
    }
    void accessibilityActionsMatchClicks() {
        QFETCH(QString, control);
        WindowFixture clicked, accessed;
        QVERIFY(clicked.load());
        QVERIFY(accessed.load());
        auto* byClick = clicked.form->findChild<QAbstractButton*>(control);
        auto* byAction = accessed.form->findChild<QAbstractButton*>(control);
        QVERIFY(byClick && byAction);
        const QStringList before = handlerEffects(*accessed.form);

        byClick->click();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(byAction);
        QVERIFY(iface);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QVERIFY(actions);
        const QString toggle = QAccessibleActionInterface::toggleAction();
        QVERIFY(actions->actionNames().contains(toggle));
        actions->doAction(toggle);

        QVERIFY(byAction->isChecked());
        QCOMPARE(handlerEffects(*accessed.form), handlerEffects(*clicked.form));
        QVERIFY(handlerEffects(*accessed.form) != before);
    }

    // The press action of a check box clicks it (after its short animation).
    void accessibilityPressAction() {
        WindowFixture f;
        QVERIFY(f.load());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(f.form->ui.Check5[2]);
        QVERIFY(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(f.form->ui.Check8[1]->isChecked());
        QCOMPARE(int(f.form->st.bcastSTCVAD[0]), 1);
    }

    // Controls whose caption the program empties (the monitor's command line when it is
    // cleared, the titles of cells 11 and 12 in ten-cell mode) keep a description.
    void controlsEmptiedAtRunTimeStayDescribed() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.ui.Command1[10]->click();  // continuous mode clears the monitor
        w.ui.Check0[3]->setEnabled(true);
        w.ui.Check0[3]->click();  // ten-cell mode
        QVERIFY(w.ui.Label8[1]->text().isEmpty());
        QVERIFY(w.ui.Frame1[10]->title().isEmpty());
        int captionless = 0;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (!c->property(kInventoryProperty).isValid()) continue;
            QString caption;
            if (auto* b = qobject_cast<QAbstractButton*>(c)) caption = b->text();
            else if (auto* l = qobject_cast<QLabel*>(c)) caption = l->text();
            else if (auto* g = qobject_cast<QGroupBox*>(c)) caption = g->title();
            else continue;
            if (!caption.trimmed().isEmpty()) continue;
            ++captionless;
            QVERIFY2(!c->accessibleDescription().isEmpty(), qPrintable(c->objectName()));
        }
        QVERIFY(captionless >= 3);
    }
};

ZMX_TEST_MAIN(tst_boardselect, TestBoardSelect, Full)
#include "tst_boardselect.moc"
