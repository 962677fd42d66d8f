// The read indicators on the window: the marked button, its highlight and caption, and
// the per-board memory of an unread result across board changes and continuous mode.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

struct Indicator {
    ReadIndicator which;
    int start;      // the Command1 button that leaves a result to read
    int read;       // the Command1 button that reads it
    int highlight;  // Shape16 element
};

bool marked(Form1& w, const Indicator& ind) {
    const bool narrowed = span(w.ui.Command1[ind.read]) == qMakePair(804, 81);
    const bool shown = !w.ui.Shape16[ind.highlight]->isHidden();
    if (narrowed != shown) qWarning("button and highlight disagree");
    return narrowed && shown;
}

}  // namespace

Q_DECLARE_METATYPE(Indicator)

class TestReadIndicator : public QObject {
    Q_OBJECT
private slots:
    void broadcastStartMarksEveryBoard_data() {
        QTest::addColumn<Indicator>("ind");
        QTest::newRow("cell") << Indicator{ReadIndicator::Cell, 2, 7, 1};
        QTest::newRow("open wire") << Indicator{ReadIndicator::Cell, 3, 7, 1};
        QTest::newRow("temperature") << Indicator{ReadIndicator::Temp, 4, 9, 2};
        QTest::newRow("configuration") << Indicator{ReadIndicator::Config, 5, 6, 0};
    }
    void broadcastStartMarksEveryBoard() {
        QFETCH(Indicator, ind);
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(*f.form, 3);
        f.form->ui.Check5[2]->setChecked(true);  // the cell starts go out in broadcast form
        f.form->ui.Check5[4]->setChecked(true);  // so does START TEMP; WRCFG is broadcast from start-up

        f.form->Command1_Click(ind.start);
        QVERIFY(marked(*f.form, ind));
        f.form->Command1_Click(ind.read);
        QVERIFY(!marked(*f.form, ind));
        selectBoard(*f.form, 1);
        QVERIFY(marked(*f.form, ind));
        f.form->Command1_Click(ind.read);
        QVERIFY(!marked(*f.form, ind));
        selectBoard(*f.form, 0);
        QVERIFY(!marked(*f.form, ind));
        selectBoard(*f.form, 2);
        QVERIFY(marked(*f.form, ind));
    }

    void addressedStartMarksOneBoard() {
        WindowFixture f;
        QVERIFY(f.load());
        useBoards(*f.form, 3);
        selectBoard(*f.form, 1);
        f.form->Command1_Click(2);
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELL"));
        selectBoard(*f.form, 0);
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELLVOLT"));
        QVERIFY(!marked(*f.form, {ReadIndicator::Cell, 2, 7, 1}));
        selectBoard(*f.form, 1);
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELL"));
    }

    void indicatorsAreIndependent() {
        WindowFixture f;
        QVERIFY(f.load());
        const Indicator cell{ReadIndicator::Cell, 2, 7, 1}, temp{ReadIndicator::Temp, 4, 9, 2};
        f.form->Command1_Click(2);
        f.form->Command1_Click(4);
        QVERIFY(marked(*f.form, cell));
        QVERIFY(marked(*f.form, temp));
        f.form->Command1_Click(9);
        QVERIFY(marked(*f.form, cell));
        QVERIFY(!marked(*f.form, temp));
    }

    void continuousModeRemovesCellAndTempMarks_data() {
        QTest::addColumn<bool>("stopAgain");
        QTest::newRow("start") << false;
        QTest::newRow("start and stop") << true;
    }
    void continuousModeRemovesCellAndTempMarks() {
        QFETCH(bool, stopAgain);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        useBoards(*f.form, 3);
        f.form->ui.Check5[2]->setChecked(true);
        f.form->ui.Check5[4]->setChecked(true);
        f.form->Command1_Click(2);
        f.form->Command1_Click(4);
        f.form->Command1_Click(10);
        if (stopAgain) f.form->Command1_Click(10);
        for (int s = 0; s < 10; ++s) {
            QCOMPARE(int(st.cellReadPending[s]), 0);
            QCOMPARE(int(st.tempReadPending[s]), 0);
        }
        QVERIFY(!marked(*f.form, {ReadIndicator::Cell, 2, 7, 1}));
        QVERIFY(!marked(*f.form, {ReadIndicator::Temp, 4, 9, 2}));
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELLVOLT"));
        selectBoard(*f.form, 2);
        QVERIFY(!marked(*f.form, {ReadIndicator::Cell, 2, 7, 1}));
    }

    void publicCellMark() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->ARM_BLINK_RDCV_7730addr();
        QVERIFY(marked(*f.form, {ReadIndicator::Cell, 2, 7, 1}));
        QCOMPARE(f.form->ui.Command1[7]->text(), QString("READCELL"));
        QCOMPARE(int(f.form->st.lastCellStep), 1);
        f.form->resetReadIndicator(ReadIndicator::Cell);
        QVERIFY(!marked(*f.form, {ReadIndicator::Cell, 2, 7, 1}));
        QCOMPARE(int(f.form->st.lastCellStep), 0);
    }
};

ZMX_TEST_MAIN(tst_readindicator, TestReadIndicator, Full)
#include "tst_readindicator.moc"
