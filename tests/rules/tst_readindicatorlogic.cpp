// Arming of the read indicators: stack-wide after a broadcast start or write, the selected
// board only after an addressed one, decided by the selected board's switches alone.

#include <QtTest>

#include "rules/ReadIndicatorLogic.h"
#include "support/TestMain.h"

using namespace zmx;

Q_DECLARE_METATYPE(zmx::IndicatorKind)

class TestReadIndicatorLogic : public QObject {
    Q_OBJECT
private slots:
    void arming_data() {
        QTest::addColumn<IndicatorKind>("kind");
        QTest::addColumn<QString>("broadcastSwitch");  // switch set to 1 for the selected board
        QTest::addColumn<QString>("pending");          // flags of boards 1..4 after arming
        QTest::newRow("cell, addressed") << IndicatorKind::Cell << ""
                                         << "0100";
        QTest::newRow("cell, STCVAD broadcast") << IndicatorKind::Cell << "STCVAD"
                                                << "1110";
        QTest::newRow("cell, STOWAD broadcast") << IndicatorKind::Cell << "STOWAD"
                                                << "1110";
        QTest::newRow("cell, STCVDC broadcast") << IndicatorKind::Cell << "STCVDC"
                                                << "1110";
        QTest::newRow("cell, STOWDC broadcast") << IndicatorKind::Cell << "STOWDC"
                                                << "1110";
        QTest::newRow("cell ignores STTMPAD") << IndicatorKind::Cell << "STTMPAD"
                                              << "0100";
        QTest::newRow("temp, STTMPAD broadcast") << IndicatorKind::Temp << "STTMPAD"
                                                 << "1110";
        QTest::newRow("temp ignores STCVAD") << IndicatorKind::Temp << "STCVAD"
                                             << "0100";
        QTest::newRow("config, WRCFG broadcast") << IndicatorKind::Config << "WRCFG"
                                                 << "1110";
        QTest::newRow("config, addressed") << IndicatorKind::Config << ""
                                           << "0100";
    }
    void arming() {
        QFETCH(IndicatorKind, kind);
        QFETCH(QString, broadcastSwitch);
        QFETCH(QString, pending);
        StackState st;
        st.lastBoardIndex = 2;
        st.selectedBoard = 1;
        const int s = 1;
        if (broadcastSwitch == "STCVAD") st.bcastSTCVAD[s] = 1;
        if (broadcastSwitch == "STOWAD") st.bcastSTOWAD[s] = 1;
        if (broadcastSwitch == "STCVDC") st.bcastSTCVDC[s] = 1;
        if (broadcastSwitch == "STOWDC") st.bcastSTOWDC[s] = 1;
        if (broadcastSwitch == "STTMPAD") st.bcastSTTMPAD[s] = 1;
        if (broadcastSwitch == "WRCFG") st.bcastWRCFG[s] = 1;
        // another board's switch never decides
        st.bcastSTCVAD[0] = st.bcastSTTMPAD[0] = st.bcastWRCFG[0] = 1;
        armIndicator(st, kind);
        QString got;
        for (int b = 0; b < 4; ++b) got += QString::number(indicatorPending(st, kind)[b]);
        QCOMPARE(got, pending);
    }
};

ZMX_TEST_MAIN(tst_readindicatorlogic, TestReadIndicatorLogic, Full)
#include "tst_readindicatorlogic.moc"
