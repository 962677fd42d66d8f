// The walk of continuous mode over steps and boards, and what a stopped run leaves of the
// stored values.

#include <QtTest>

#include "rules/ContinuousSequence.h"
#include "support/TestMain.h"

using namespace zmx;

class TestContinuousSequence : public QObject {
    Q_OBJECT
private slots:
    void walk_data() {
        QTest::addColumn<int>("lastBoardIndex");
        QTest::addColumn<bool>("datalog");
        QTest::addColumn<QString>("expected");  // "step/board" after each of the steps run
        QTest::newRow("one board: every third step a new pass") << 0 << false << "1/0 2/0 0/0 1/0 2/0 0/0";
        QTest::newRow("three boards") << 2 << false << "1/0 2/0 0/1 1/1 2/1 0/2 1/2 2/2 0/0 1/0";
        QTest::newRow("datalog adds an idle step") << 1 << true << "1/0 2/0 3/0 0/1 1/1 2/1 3/1 0/0";
    }
    void walk() {
        QFETCH(int, lastBoardIndex);
        QFETCH(bool, datalog);
        QFETCH(QString, expected);
        SequencePosition p;
        QStringList seen;
        for (int i = 0; i < expected.split(' ').size(); ++i) {
            p = advanceSequence(p, static_cast<int16_t>(lastBoardIndex), datalog);
            seen << QString("%1/%2").arg(p.step).arg(p.board);
        }
        QCOMPARE(seen.join(' '), expected);
    }

    // A shrinking stack takes effect at the next board change: the board in progress
    // finishes its steps, then the walk restarts at board 0.
    void boardCountChangeTakesEffectAtBoardChange() {
        SequencePosition p{1, 4};
        p = advanceSequence(p, 1, false);
        QCOMPARE(p, (SequencePosition{2, 4}));
        p = advanceSequence(p, 1, false);
        QCOMPARE(p, (SequencePosition{0, 0}));
    }

    void stopZeroesStackValuesOnly() {
        StackState st;
        st.lastBoardIndex = 1;
        st.cellVolts.fill(3.7f);
        zeroStoredVoltages(st);
        for (int s = 0; s <= 1; ++s) {
            for (int n = 1; n <= 12; ++n) QCOMPARE(st.cellVolts[s * 12 + n], 0.0f);
            for (int k = 0; k < 3; ++k) QCOMPARE(st.cellVolts[121 + 3 * s + k], 0.0f);
        }
        QCOMPARE(st.cellVolts[0], 3.7f);           // index 0 is no cell
        QCOMPARE(st.cellVolts[2 * 12 + 1], 3.7f);  // board 3 is not in the stack
        QCOMPARE(st.cellVolts[121 + 6], 3.7f);     // nor its temperatures
    }

    void datalogWrap_data() {
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("sampleAfter");
        QTest::addColumn<int>("doneAfter");
        QTest::newRow("below target") << 5 << 10 << 5 << 0;
        QTest::newRow("at target") << 10 << 10 << 10 << 0;
        QTest::newRow("past target") << 11 << 10 << 1 << 1;
    }
    void datalogWrap() {
        QFETCH(int, sample);
        QFETCH(int, target);
        QFETCH(int, sampleAfter);
        QFETCH(int, doneAfter);
        StackState st;
        st.datalogSample = sample;
        st.datalogTarget = target;
        wrapDatalogSample(st);
        QCOMPARE(int(st.datalogSample), sampleAfter);
        QCOMPARE(int(st.datalogDone), doneAfter);
    }
};

ZMX_TEST_MAIN(tst_continuoussequence, TestContinuousSequence, Full)
#include "tst_continuoussequence.moc"
