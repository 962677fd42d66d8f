// Configuration bit controls and scope: CDC stepping, the ten-cell bit; and in the window
// the mirrored scope controls, ApplyScope and ten-cell mode over the stack.

#include <QtTest>

#include "config/BitControlLogic.h"

using namespace zmx;

class TstScope : public QObject {
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
};

QTEST_MAIN(TstScope)
#include "tst_scope.moc"
