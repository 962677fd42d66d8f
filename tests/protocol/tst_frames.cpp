// Controller texts of every frame form and the reply lengths they ask for.

#include <QtTest>

#include "protocol/Frames.h"
#include "support/TestMain.h"

using namespace zmx;

class TestFrames : public QObject {
    Q_OBJECT
private slots:
    void frames_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("replyChars");
        QTest::newRow("RDCFG board 1") << QString::fromStdString(buildReadFrame("80", "02", 6))
                                       << "MSxT80T49T02TCERRRRRRRX" << 22;
        QTest::newRow("RDCV twelve cells") << QString::fromStdString(buildReadFrame("80", "04", 18))
                                           << "MSxT80T49T04TDC" + QString(19, 'R') + "X" << 46;
        QTest::newRow("RDCV ten cells") << QString::fromStdString(buildReadFrame("80", "04", 15))
                                        << "MSxT80T49T04TDC" + QString(16, 'R') + "X" << 40;
        QTest::newRow("RDFLG") << QString::fromStdString(buildReadFrame("80", "0C", 3)) << "MSxT80T49T0CTE4RRRRX" << 16;
        QTest::newRow("RDTMP") << QString::fromStdString(buildReadFrame("80", "0E", 5)) << "MSxT80T49T0ETEARRRRRRX"
                               << 20;
        QTest::newRow("broadcast STCVAD")
            << QString::fromStdString(buildStartFrame("80", "10", true)) << "MSxS10SB0X" << 0;
        QTest::newRow("addressed STCVAD")
            << QString::fromStdString(buildStartFrame("80", "10", false)) << "MSxS80S49S10SB0X" << 0;
        QTest::newRow("addressed PLADC open")
            << QString::fromStdString(buildPollFrame("80", "40", false)) << "MSxS80S49S40S07" << 0;
        QTest::newRow("broadcast PLADC open")
            << QString::fromStdString(buildPollFrame("80", "40", true)) << "MSxS40S07" << 0;
        QTest::newRow("broadcast WRCFG start-up")
            << QString::fromStdString(buildWrcfgFrame("80", {"E0", "00", "00", "00", "00", "00"}, true))
            << "MSxT01SC7SE0S00S00S00S00S00SFEX" << 2;
        QTest::newRow("addressed WRCFG") << QString::fromStdString(
                                                buildWrcfgFrame("80", {"E0", "00", "00", "00", "00", "00"}, false))
                                         << "MSxT80S49S01SC7SE0S00S00S00S00S00SFEX" << 2;
    }
    void frames() {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QFETCH(int, replyChars);
        QCOMPARE(built, expected);
        QCOMPARE(int(replyLength(built.toStdString())), replyChars);
    }

    void singleCellStartCarriesItsPec() {
        const std::string f = buildStartFrame("80", "1C", true);
        QVERIFY(f.rfind("MSxS1CS", 0) == 0);
        QCOMPARE(f.back(), 'X');
        QCOMPARE(f.size(), std::size_t(10));
    }

    void addressedPlintToSecondBoard() {
        const std::string f = buildPollFrame("81", "50", false);
        QVERIFY(f.size() >= 6 && f.substr(f.size() - 6) == "S50S77");
        QVERIFY(f.find('X') == std::string::npos);
    }

    void configByteKeepsTwoDigits() {
        const std::string f = buildWrcfgFrame("80", {"08", "00", "00", "00", "00", "00"}, true);
        QVERIFY(f.find("S08S00") != std::string::npos);
    }

    void controllerCommandsProduceNoEcho() {
        QCOMPARE(int(replyLength("IZ")), 0);
        QCOMPARE(int(replyLength("MSX")), 0);
        QCOMPARE(int(echoLength("MSxT01SC7SE0S00S00S00S00S00SFEX")), 2);
        QCOMPARE(int(echoLength("MSxS10SB0X")), 0);
    }
};

ZMX_TEST_MAIN(tst_frames, TestFrames, None)
#include "tst_frames.moc"
