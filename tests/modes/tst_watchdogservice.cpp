// The keep-alive on the window: the broadcast poll every second tick while a board is
// written in measure mode, the blinking "WDT SERVICE" marker on POLL ADC, the banner, and
// the READ CONFIG highlight while a write waits for its read-back.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "protocol/Hex.h"
#include "support/PanelFixture.h"
#include "support/TestMain.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// Composes and writes CFGR0 with the given CDC for the stack (the write copies the image).
void writeCdc(WindowFixture& f, const std::string& cfgr0) {
    auto& st = f.form->st;
    for (int s = 0; s <= st.lastBoardIndex; ++s) {
        st.cfgImage[s][0] = st.cfgWritten[s][0] = cfgr0;
        st.cdcValue[s] = static_cast<int16_t>(hexTextValue(cfgr0) & 7);
    }
    f.form->Command1_Click(5);
}

const QString kPollBanner = QString(" POLL ADC BEING SENT.") + QString(61, ' ') + " PREVENTS WATCHDOG TIMEOUT.";

}  // namespace

class TestWatchdogService : public QObject {
    Q_OBJECT
private slots:
    void pollAndMarkerCycle() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& ui = f.form->ui;
        f.form->st.lastBoardIndex = 1;
        writeCdc(f, "E3");
        QCOMPARE(int(f.form->st.keepAliveActive), 1);
        f.takeWrites();

        QString polls, marker;
        for (int tick = 0; tick < 12; ++tick) {
            f.form->Timer1_Timer();
            const auto w = f.takeWrites();
            const bool polled = std::find(w.begin(), w.end(), "MSxS40S07X") != w.end();
            polls += polled ? 'P' : '.';
            if (polled) QCOMPARE(w.back(), std::string("IZ"));  // poll first, then identification
            const bool shown = !ui.Label_KA[0]->isHidden();
            marker += shown ? 'W' : '.';
            QCOMPARE(ui.Shape_KA->isHidden(), !shown);
            QCOMPARE(ui.Check5[0]->isHidden(), shown);
            QCOMPARE(span(ui.Command1[0]), shown ? qMakePair(804, 81) : qMakePair(796, 97));
        }
        QCOMPARE(polls, QString("P.P.P.P.P.P."));
        QCOMPARE(marker, QString("WWW...WWW..."));

        QLabel* banner = ui.Label_KA[1];
        QVERIFY(!banner->isHidden());
        QCOMPARE(banner->text(), kPollBanner);
        QCOMPARE(banner->font().pointSize(), 9);
        QCOMPARE(background(banner), QColor(0xFF, 0xC0, 0xC0));
    }

    // On the simulator's own clock: the broadcast poll every 200 ms keeps every chip of the
    // stack in its written measure mode well past the watchdog time; once nothing valid
    // arrives for that long, the chips are back at their power-on configuration.
    void keepAliveHoldsTheChipsConfiguration() {
        WindowFixture f;
        QVERIFY(f.load());
        Form1& w = *f.form;
        useBoards(w, 3);
        w.Command0_Click(1);
        w.Command0_Click(1);  // CDC 2 for the stack (global scope)
        w.Command1_Click(5);  // broadcast WRCFG E2 00 00 00 00 00
        for (int s = 0; s < 3; ++s) QCOMPARE(int(f.sim->config(s)[0]), 0xE2);
        takeTransfers(f);

        const int ticks = int(3 * sim::kWatchdogMs / 100);
        int polls = 0;
        for (int tick = 0; tick < ticks; ++tick) {
            w.Timer1_Timer();
            f.sim->advanceMs(100);
            const auto sent = takeTransfers(f);
            polls += int(std::count(sent.begin(), sent.end(), std::string("MSxS40S07X")));
            for (int s = 0; s < 3; ++s) QCOMPARE(int(f.sim->config(s)[0]), 0xE2);
        }
        QCOMPARE(polls, ticks / 2);

        f.sim->advanceMs(sim::kWatchdogMs);  // silence: no tick, no command
        for (int s = 0; s < 3; ++s) QCOMPARE(f.sim->config(s), sim::kPowerOnConfig);
        w.Command1_Click(6);  // READ CONFIG shows it, in red against the composed E2
        QCOMPARE(w.ui.Text5[0]->text(), QString("   E0   "));
        QCOMPARE(background(w.ui.Text5[0]), QColor(255, 0, 0));
        QCOMPARE(int(w.st.measureMode[0]), 0);
    }

    void standbyWriteStopsTheKeepAlive() {
        WindowFixture f;
        QVERIFY(f.load());
        auto& ui = f.form->ui;
        writeCdc(f, "E1");
        for (int i = 0; i < 3; ++i) f.form->Timer1_Timer();
        writeCdc(f, "E0");
        QCOMPARE(int(f.form->st.keepAliveActive), 0);
        f.takeWrites();
        for (int tick = 0; tick < 6; ++tick) {
            f.form->Timer1_Timer();
            QCOMPARE(f.takeWrites(), std::vector<std::string>{"IZ"});
            QVERIFY(ui.Label_KA[0]->isHidden());
            QVERIFY(!ui.Check5[0]->isHidden());
        }
        QVERIFY(ui.Label_KA[1]->isHidden() || background(ui.Label_KA[1]) == QColor(255, 255, 192));
    }

    // The standby notice survives an inactive keep-alive; any other banner goes.
    void inactiveKeepAliveBanner_data() {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("staysVisible");
        QTest::newRow("standby notice") << QColor(255, 255, 192) << true;
        QTest::newRow("poll banner") << QColor(255, 192, 192) << false;
        QTest::newRow("sending banner") << QColor(192, 255, 192) << false;
    }
    void inactiveKeepAliveBanner() {
        QFETCH(QColor, colour);
        QFETCH(bool, staysVisible);
        WindowFixture f;
        QVERIFY(f.load());
        QLabel* banner = f.form->ui.Label_KA[1];
        banner->show();
        setBackground(banner, colour);
        f.form->st.keepAliveActive = 0;
        f.form->keepAliveTick();
        QCOMPARE(!banner->isHidden(), staysVisible);
    }

    // An active keep-alive turns the standby notice into the poll banner only once the
    // selected board is composed with a CDC above 0.
    void standbyNoticeGivesWayToPollBanner_data() {
        QTest::addColumn<int>("cdc");
        QTest::addColumn<bool>("pollBanner");
        QTest::newRow("CDC 0 composed") << 0 << false;
        QTest::newRow("CDC 2 composed") << 2 << true;
    }
    void standbyNoticeGivesWayToPollBanner() {
        QFETCH(int, cdc);
        QFETCH(bool, pollBanner);
        WindowFixture f;
        QVERIFY(f.load());
        QLabel* banner = f.form->ui.Label_KA[1];
        banner->show();
        banner->setText("standby");
        setBackground(banner, QColor(255, 255, 192));
        f.form->st.cdcValue[0] = static_cast<int16_t>(cdc);
        f.form->st.keepAliveActive = 1;
        f.form->st.keepAliveCounter = 4;
        f.form->keepAliveTick();
        QCOMPARE(banner->text() == kPollBanner, pollBanner);
    }

    void readbackPrompt_data() {
        QTest::addColumn<int>("pending");
        QTest::addColumn<int>("changed");
        QTest::addColumn<bool>("framed");
        QTest::newRow("written image unchanged") << 1 << 0 << true;
        QTest::newRow("image edited since") << 1 << 1 << false;
    }
    void readbackPrompt() {
        QFETCH(int, pending);
        QFETCH(int, changed);
        QFETCH(bool, framed);
        WindowFixture f;
        QVERIFY(f.load());
        auto& st = f.form->st;
        st.readbackPending = static_cast<int16_t>(pending);
        st.configChanged = static_cast<int16_t>(changed);
        f.form->Timer1_Timer();
        QCOMPARE(span(f.form->ui.Command1[6]), framed ? qMakePair(804, 81) : qMakePair(796, 97));
        QCOMPARE(!f.form->ui.Shape16[0]->isHidden(), framed);
    }

    void noPromptWithoutPendingReadback() {
        WindowFixture f;
        QVERIFY(f.load());
        f.form->st.readbackPending = 0;
        f.form->st.configChanged = 0;
        f.form->Timer1_Timer();
        QCOMPARE(span(f.form->ui.Command1[6]), qMakePair(796, 97));
        QVERIFY(f.form->ui.Shape16[0]->isHidden());
    }

    void bannerPlacedAtStartUp() {
        WindowFixture f;
        QVERIFY(f.load());
        QCOMPARE(f.form->ui.Label_KA[1]->pos(), QPoint(457, 344));
    }
};

ZMX_TEST_MAIN(tst_watchdogservice, TestWatchdogService, Full)
#include "tst_watchdogservice.moc"
