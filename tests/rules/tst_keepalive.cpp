// The keep-alive rules: which boards count as measuring, when the poll goes out and how
// the "WDT SERVICE" marker blinks over the counter cycle.

#include <QtTest>

#include "rules/KeepAlive.h"
#include "support/TestMain.h"

using namespace zmx;

class TestKeepAlive : public QObject {
    Q_OBJECT
private slots:
    void measuringBoards_data() {
        QTest::addColumn<int>("lastBoardIndex");
        QTest::addColumn<QStringList>("writtenCfgr0");
        QTest::addColumn<bool>("measuring");
        QTest::newRow("start-up, nothing written") << 0 << QStringList{""} << false;
        QTest::newRow("standby E0") << 0 << QStringList{"E0"} << false;
        QTest::newRow("CDC 1") << 0 << QStringList{"E1"} << true;
        QTest::newRow("10CELLS bit alone is not CDC") << 0 << QStringList{"E8"} << false;
        QTest::newRow("third board measures") << 2 << QStringList{"E0", "E0", "E7"} << true;
        QTest::newRow("board beyond the stack ignored") << 1 << QStringList{"E0", "E0", "E3"} << false;
        QTest::newRow("lower-case written text") << 0 << QStringList{"e2"} << true;
    }
    void measuringBoards() {
        QFETCH(int, lastBoardIndex);
        QFETCH(QStringList, writtenCfgr0);
        QFETCH(bool, measuring);
        StackState st;
        st.lastBoardIndex = static_cast<int16_t>(lastBoardIndex);
        for (int s = 0; s < writtenCfgr0.size(); ++s) st.cfgWritten[s][0] = writtenCfgr0[s].toStdString();
        QCOMPARE(anyBoardMeasuring(st), measuring);

        st.keepAliveCounter = 0;
        st.keepAliveActive = measuring ? 0 : 1;
        evaluateKeepAliveState(st);
        QCOMPARE(st.keepAliveActive == 1, measuring);
        if (measuring) QCOMPARE(int(st.keepAliveCounter), 3);
    }

    // Twelve ticks from an evaluation that found a measuring board: the poll goes out
    // every second tick and the marker shows for three ticks, then hides for three.
    void tickPattern() {
        int16_t counter = kKeepAliveStartCounter;
        bool markerVisible = false;
        QString polls, marker;
        for (int tick = 0; tick < 12; ++tick) {
            polls += keepAlivePollDue(1, counter) ? 'P' : '.';
            switch (wdtMarkerAt(1, counter)) {
                case WdtMarker::Show: markerVisible = true; break;
                case WdtMarker::Hide: markerVisible = false; break;
                case WdtMarker::Keep: break;
            }
            marker += markerVisible ? 'W' : '.';
            counter = nextKeepAliveCounter(counter);
        }
        QCOMPARE(polls, QString("P.P.P.P.P.P."));
        QCOMPARE(marker, QString("WWW...WWW..."));
    }

    void inactiveNeverPollsAndHidesMarker() {
        for (int16_t c = 0; c <= 5; ++c) {
            QVERIFY(!keepAlivePollDue(0, c));
            QCOMPARE(wdtMarkerAt(0, c), WdtMarker::Hide);
        }
    }

    void pollFrameIsClosedBroadcastPladc() {
        QCOMPARE(QString::fromStdString(keepAlivePollFrame()), QString("MSxS40S07X"));
    }

    void bannerTextsKeepTheirPadding() {
        QCOMPARE(kSendingBannerText.size(), std::size_t(34 + 26 + 27));
        QVERIFY(kSendingBannerText.starts_with(" COMMANDS BEING SENT CONTINUOUSLY." + std::string(26, ' ') + " PREV"));
        QVERIFY(kPollBannerText.starts_with(" POLL ADC BEING SENT." + std::string(61, ' ') + " PREV"));
        QVERIFY(kPollBannerText.ends_with(" PREVENTS WATCHDOG TIMEOUT."));
    }
};

ZMX_TEST_MAIN(tst_keepalive, TestKeepAlive, Full)
#include "tst_keepalive.moc"
