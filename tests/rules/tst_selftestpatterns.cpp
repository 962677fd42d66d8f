// Pattern options of the self tests: digit, expected hex-view texts and tool tips.

#include <QtTest>

#include "rules/SelfTestPatterns.h"
#include "support/TestMain.h"

using namespace zmx;

class TestSelfTestPatterns : public QObject {
    Q_OBJECT
private slots:
    void patterns_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("digit");
        QTest::addColumn<QString>("cellText");
        QTest::addColumn<QString>("tempText");
        QTest::addColumn<QStringList>("tips");
        QTest::newRow("0x555") << 0 << "E"
                               << "0x555 "
                               << " 0x555 "
                               << QStringList{"0x1E STCVAD SELF TEST1 ALL", "0x2E STOWAD SELF TEST1 ALL",
                                              "0x3E STTMPAD SELF TEST1 ALL", "0x6E STCVDC SELF TEST1 ALL",
                                              "0x7E STOWDC SELF TEST1 ALL"};
        QTest::newRow("0xAAA") << 1 << "F"
                               << "0xAAA "
                               << " 0xAAA "
                               << QStringList{"0x1F STCVAD SELF TEST2 ALL", "0x2F STOWAD SELF TEST2 ALL",
                                              "0x3F STTMPAD SELF TEST2 ALL", "0x6F STCVDC SELF TEST2 ALL",
                                              "0x7F STOWDC SELF TEST2 ALL"};
        QTest::newRow("0xFFF") << 2 << "D"
                               << "0xFFF "
                               << " 0xFFF "
                               << QStringList{"0x1D STCVAD CLEAR (FF) ALL", "0x2D STOWAD CLEAR (FF) ALL",
                                              "0x3D STTMPAD CLEAR (FF) ALL", "0x6D STCVDC CLEAR (FF) ALL",
                                              "0x7D STOWDC CLEAR (FF) ALL"};
    }
    void patterns() {
        QFETCH(int, option);
        QFETCH(QString, digit);
        QFETCH(QString, cellText);
        QFETCH(QString, tempText);
        QFETCH(QStringList, tips);
        const std::string d(selfTestDigitForOption(option));
        QCOMPARE(QString::fromStdString(d), digit);
        QCOMPARE(QString::fromStdString(std::string(*expectedCellText(d))), cellText);
        QCOMPARE(QString::fromStdString(std::string(*expectedTempText(d))), tempText);
        QStringList built;
        for (const std::string& t : selfTestToolTips(option)) built << QString::fromStdString(t);
        QCOMPARE(built, tips);
    }

    void otherDigitsHaveNoVerdict() {
        for (const char* d : {"0", "1", "C", "e", ""}) {
            QVERIFY(!expectedCellText(d).has_value());
            QVERIFY(!expectedTempText(d).has_value());
        }
    }
};

ZMX_TEST_MAIN(tst_selftestpatterns, TestSelfTestPatterns, Full)
#include "tst_selftestpatterns.moc"
