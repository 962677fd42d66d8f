// Configuration bit controls and scope: CDC stepping, the ten-cell bit; and in the window
// the mirrored scope controls, ApplyScope and ten-cell mode over the stack.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "rules/BitControlLogic.h"
#include "rules/Thresholds.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

std::string thresholdTextOf(int box, int code) {
    return thresholdText(box == 0 ? Threshold::Vuv : Threshold::Vov, code);
}

enum class ScopeAction { CustomOption1, GlobalOption1, CustomOption3, GlobalOption3, CheckWrcfg, UncheckWrcfg };

// What a user does: a click on the option or the box.
void perform(Form1& w, ScopeAction action) {
    switch (action) {
        case ScopeAction::CustomOption1: w.ui.Option1[0]->click(); break;
        case ScopeAction::GlobalOption1: w.ui.Option1[1]->click(); break;
        case ScopeAction::CustomOption3: w.ui.Option3[0]->click(); break;
        case ScopeAction::GlobalOption3: w.ui.Option3[1]->click(); break;
        case ScopeAction::CheckWrcfg:
        case ScopeAction::UncheckWrcfg: w.ui.Check5[5]->click(); break;
    }
}

}  // namespace

class TestScope : public QObject {
    Q_OBJECT
private slots:
    void cdcStep_data() {
        QTest::addColumn<int>("cdc");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("result");
        QTest::newRow("down from 0 wraps") << 0 << -1 << 7;
        QTest::newRow("up from 7 wraps") << 7 << 1 << 0;
        QTest::newRow("up") << 0 << 1 << 1;
        QTest::newRow("down") << 5 << -1 << 4;
    }
    void cdcStep() {
        QFETCH(int, cdc);
        QFETCH(int, delta);
        QTEST(stepCdc(cdc, delta), "result");
    }

    void tenCellBit_data() {
        QTest::addColumn<QString>("cfgr0");
        QTest::addColumn<bool>("tenCells");
        QTest::addColumn<QString>("result");
        QTest::newRow("set") << "E0" << true << "E8";
        QTest::newRow("clear") << "E8" << false << "E0";
        QTest::newRow("leading zero kept") << "0B" << false << "03";
        QTest::newRow("already set") << "0B" << true << "0B";
    }
    void tenCellBit() {
        QFETCH(QString, cfgr0);
        QFETCH(bool, tenCells);
        QTEST(QString::fromStdString(withTenCellBit(cfgr0.toStdString(), tenCells)), "result");
    }

    // ------------------------------------------------------------------ in the window

    // Each of the six user actions leaves the three scope controls in agreement. Going
    // global copies the selected board's image to the stack; going custom touches nothing.
    void scopeAgreement_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("global");
        QTest::newRow("custom VUV/VOV option") << int(ScopeAction::CustomOption1) << false;
        QTest::newRow("global VUV/VOV option") << int(ScopeAction::GlobalOption1) << true;
        QTest::newRow("custom CFGR0 option") << int(ScopeAction::CustomOption3) << false;
        QTest::newRow("global CFGR0 option") << int(ScopeAction::GlobalOption3) << true;
        QTest::newRow("WRCFG box checked") << int(ScopeAction::CheckWrcfg) << true;
        QTest::newRow("WRCFG box unchecked") << int(ScopeAction::UncheckWrcfg) << false;
    }
    void scopeAgreement() {
        QFETCH(int, action);
        QFETCH(bool, global);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        useBoards(f, 3);
        w.Command4_Click(1);
        // Start from the opposite scope, with board 2 composed differently from the others.
        (global ? w.ui.Option3[0] : w.ui.Option3[1])->click();
        QCOMPARE(int(w.st.globalScope), global ? 0 : 1);
        w.st.cfgImage[1] = {"E5", "01", "02", "03", "9C", "CF"};
        w.st.vuvCode[1] = 0x9C;
        w.st.vovCode[1] = 0xCF;
        w.st.cdcValue[1] = 5;
        // The controls show board 2's values, as after its selection.
        w.ApplyCdc();
        for (int n = 0; n < 4; ++n) w.LoadCfgrBoxes(n);
        w.ShowThresholds();
        const auto before = w.st.cfgImage;
        const auto vuvBefore = w.st.vuvCode;

        perform(w, ScopeAction(action));

        QCOMPARE(w.ui.Option1[1]->isChecked(), global);
        QCOMPARE(w.ui.Option1[0]->isChecked(), !global);
        QCOMPARE(w.ui.Option3[1]->isChecked(), global);
        QCOMPARE(w.ui.Option3[0]->isChecked(), !global);
        QCOMPARE(w.ui.Check5[5]->isChecked(), global);
        QCOMPARE(int(w.st.globalScope), global ? 1 : 0);
        QCOMPARE(int(w.st.bcastWRCFG[1]), global ? 1 : 0);
        QCOMPARE(w.ui.Check5[5]->text(), global ? QString("BROADCAST") : QString("B'CAST"));
        if (global) {
            for (int s = 0; s < 3; ++s) {
                QCOMPARE(w.st.cfgImage[s], w.st.cfgImage[1]);
                QCOMPARE(int(w.st.vuvCode[s]), 0x9C);
            }
            QCOMPARE(w.st.cfgImage[3], before[3]);  // beyond the stack
        } else {
            QCOMPARE(w.st.cfgImage, before);
            QCOMPARE(w.st.vuvCode, vuvBefore);
        }
    }

    // Out-of-range box texts leave the stored codes as they are, and the boxes are redrawn.
    void applyScopeKeepsCodesOutsideTheByte_data() {
        QTest::addColumn<QString>("vuvText");
        QTest::addColumn<QString>("vovText");
        QTest::addColumn<int>("vuvCode");
        QTest::addColumn<int>("vovCode");
        QTest::newRow("VUV 99 V") << "99"
                                  << "4.200V " << 81 << 207;
        QTest::newRow("VOV -5 V") << "1.200V "
                                  << "-5" << 81 << 207;
        QTest::newRow("both outside") << "1e30"
                                      << "-1e30" << 81 << 207;
        QTest::newRow("both inside") << "3"
                                     << "4.2" << 156 << 207;
    }
    void applyScopeKeepsCodesOutsideTheByte() {
        QFETCH(QString, vuvText);
        QFETCH(QString, vovText);
        QFETCH(int, vuvCode);
        QFETCH(int, vovCode);
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        w.st.vuvCode[0] = 81;
        w.st.vovCode[0] = 207;
        w.ui.Text2[0]->setText(vuvText);
        w.ui.Text2[1]->setText(vovText);
        w.ApplyScope();
        QCOMPARE(int(w.st.vuvCode[0]), vuvCode);
        QCOMPARE(int(w.st.vovCode[0]), vovCode);
        QCOMPARE(w.ui.Text2[0]->text(), QString::fromStdString(thresholdTextOf(0, vuvCode)));
        QCOMPARE(w.ui.Text2[1]->text(), QString::fromStdString(thresholdTextOf(1, vovCode)));
    }

    // CDC steps wrap around both ways; the step reaches the whole stack in global scope.
    void cdcButtons() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        // The step goes through the CDC display, which the scope then reads back.
        QVERIFY(w.ui.Text3->toPlainText().contains("Comparator Off"));
        useBoards(f, 3);
        w.Command0_Click(0);
        QCOMPARE(int(w.st.cdcValue[0]), 7);
        for (int s = 0; s < 3; ++s) QCOMPARE(w.st.cfgImage[s], w.st.cfgImage[0]);
        w.Command0_Click(1);
        QCOMPARE(int(w.st.cdcValue[0]), 0);
        // Back at CDC 0 the standby notice is on show.
        QVERIFY(!w.ui.Shape16[6]->isHidden());
        QVERIFY(!w.ui.Label_KA[1]->isHidden());
        QCOMPARE(w.ui.Text15->text().trimmed(), QString("0"));
    }

    // Ten-cell mode is one setting for the stack: bit 3 of every board's CFGR0, and cells 11
    // and 12 off the window on every board in use.
    void tenCellModeOverTheStack() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        useBoards(f, 3);
        w.ui.Check0[3]->setChecked(true);
        for (int s = 0; s < 3; ++s) {
            QCOMPARE(QString::fromStdString(w.st.cfgImage[s][0]), QString("E8"));
            QVERIFY(w.ui.Shape1[12 * s + 10]->isHidden());
            QVERIFY(w.ui.Shape1[12 * s + 11]->isHidden());
            QVERIFY(!w.ui.Shape1[12 * s + 9]->isHidden());
        }
        QCOMPARE(QString::fromStdString(w.st.cfgImage[3][0]), QString("E0"));
        QCOMPARE(w.ui.Frame1[10]->title(), QString());
        QCOMPARE(w.ui.Frame1[11]->title(), QString());
        QVERIFY(w.ui.Text1[10]->isHidden());
        QVERIFY(w.ui.Check6[11]->isHidden());
        for (QWidget* box :
             {(QWidget*)w.ui.Check2[2], (QWidget*)w.ui.Check2[3], (QWidget*)w.ui.Check3[6], (QWidget*)w.ui.Check3[7]})
            QVERIFY(box->isHidden());
        QVERIFY(!w.ui.Check2[1]->isHidden());

        w.ui.Check0[3]->setChecked(false);
        for (int s = 0; s < 3; ++s) {
            QCOMPARE(QString::fromStdString(w.st.cfgImage[s][0]), QString("E0"));
            QVERIFY(!w.ui.Shape1[12 * s + 10]->isHidden());
        }
        QVERIFY(w.ui.Shape1[12 * 3 + 10]->isHidden());  // board 4 is not in the stack
        QCOMPARE(w.ui.Frame1[10]->title(), QString("CELL11"));
        QCOMPARE(w.ui.Frame1[11]->title(), QString("CELL12"));
        QVERIFY(!w.ui.Text1[10]->isHidden());
        QVERIFY(!w.ui.Check3[7]->isHidden());
    }

    // A bit box runs its encoder; every board keeps its own image in custom scope.
    void bitBoxesEncodeSelectedBoardOnly() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        useBoards(f, 2);
        w.ui.Option1[0]->click();
        const auto other = w.st.cfgImage[1];
        w.ui.Check1[0]->click();
        QCOMPARE(w.st.cfgImage[1], other);
    }
};

ZMX_TEST_MAIN(tst_scope, TestScope, Full)
#include "tst_scope.moc"
