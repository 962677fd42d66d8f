// The simulated stack behind the link interface and the controller transfers.

#include <QtTest>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "protocol/Frames.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "support/TestMain.h"

using zmx::sim::SimStack;

class TestSimLink : public QObject {
    Q_OBJECT

private slots:
    void openFailsWhileUnplugged();
    void writeAndReadNeedAnOpenLink_data();
    void writeAndReadNeedAnOpenLink();
    void readUsesTheReadTimeout_data();
    void readUsesTheReadTimeout();
    void transfersThroughControllerLink();
};

void TestSimLink::openFailsWhileUnplugged() {
    auto stack = std::make_shared<SimStack>();
    zmx::SimLink link(stack);
    QCOMPARE(QString::fromStdString(link.name()), QString("sim"));
    QVERIFY(link.open());
    QVERIFY(link.lastError().empty());
    link.close();
    stack->setPlugged(false);
    QVERIFY(!link.open());
    QCOMPARE(QString::fromStdString(link.lastError()), QString("controller unplugged"));
    stack->setPlugged(true);
    QVERIFY(link.open());
    QVERIFY(link.lastError().empty());
}

void TestSimLink::writeAndReadNeedAnOpenLink_data() {
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("unplugAfterOpen");
    QTest::addColumn<bool>("works");
    QTest::newRow("open") << true << false << true;
    QTest::newRow("never opened") << false << false << false;
    QTest::newRow("unplugged while open") << true << true << false;
}

void TestSimLink::writeAndReadNeedAnOpenLink() {
    QFETCH(bool, opened);
    QFETCH(bool, unplugAfterOpen);
    QFETCH(bool, works);
    auto stack = std::make_shared<SimStack>();
    stack->useManualClock(true);
    zmx::SimLink link(stack);
    if (opened) link.open();
    if (unplugAfterOpen) stack->setPlugged(false);
    QCOMPARE(link.write("IZ"), works ? std::size_t{2} : std::size_t{0});
    QCOMPARE(link.read(50).size(), works ? std::size_t{50} : std::size_t{0});
    QCOMPARE(stack->received().size(), works ? std::size_t{1} : std::size_t{0});
}

void TestSimLink::readUsesTheReadTimeout_data() {
    QTest::addColumn<QString>("wire");
    QTest::addColumn<int>("readTimeout");
    QTest::addColumn<bool>("arrives");
    QTest::addColumn<double>("earliest");  // ms from the read's start until it returns
    QTest::addColumn<double>("latest");
    // A reply still on the wire when the reader gave up is not dropped by a purge: it comes
    // late, into whatever is read next (the controller link waits for the line to go quiet).
    QTest::addColumn<bool>("lateAfterPurge");
    const double wire = 52 * 10000.0 / 9600;  // "IZ" out, the 50 characters back
    QTest::newRow("instant, time-out longer than the delay") << "instant" << 1000 << true << 250.0 << 250.0 << false;
    QTest::newRow("instant, time-out shorter than the delay") << "instant" << 100 << false << 100.0 << 100.0 << false;
    QTest::newRow("uart, time-out longer")
        << "uart" << 1000 << true << 250 + wire - 2 * 10000.0 / 9600 << 250 + wire + 16 << false;
    QTest::newRow("uart, time-out shorter") << "uart" << 100 << false << 100.0 << 100.0 << true;
}

void TestSimLink::readUsesTheReadTimeout() {
    QFETCH(QString, wire);
    QFETCH(int, readTimeout);
    QFETCH(bool, arrives);
    QFETCH(double, earliest);
    QFETCH(double, latest);
    QFETCH(bool, lateAfterPurge);
    auto stack = std::make_shared<SimStack>();
    stack->useManualClock(true);
    stack->setReplyDelayMs(250);
    std::string why;
    zmx::SimLink link(stack, *zmx::sim::parseWireKind(wire.toStdString(), &why));
    QVERIFY(link.open());
    link.setTimeouts(readTimeout, 50);
    link.write("IZ");
    const double before = stack->nowMs();
    QCOMPARE(link.read(50).empty(), !arrives);
    const double took = stack->nowMs() - before;
    QVERIFY2(took >= earliest - 1e-9 && took <= latest + 1e-9, qPrintable(QString::number(took)));
    link.purgeInput();
    link.setTimeouts(1000, 1000);
    QCOMPARE(link.read(50).empty(), !lateAfterPurge);
}

// Write-only frames with "T" items leave echo characters; they must not spoil the next read.
void TestSimLink::transfersThroughControllerLink() {
    auto stack = std::make_shared<SimStack>();
    stack->useManualClock(true);
    zmx::ControllerLink link(std::make_unique<zmx::SimLink>(stack));
    QVERIFY(link.Identify().rfind("ZMX7730-4 LK200 SIMULATED STACK", 0) == 0);
    link.SendOnly(zmx::buildWrcfgFrame("80", {"E1", "00", "00", "00", "00", "00"}, true));
    link.SendOnly(zmx::buildPollFrame("80", "40", false));
    QVERIFY(stack->frameOpen());
    link.CloseOpenFrame();
    QVERIFY(!stack->frameOpen());
    const std::string reply = link.SendAndReceive(zmx::buildReadFrame("81", "02", 6), 22);
    QCOMPARE(reply.size(), std::size_t{22});
    QCOMPARE(QString::fromStdString(reply.substr(8, 12)), QString("E10000000000"));
    const uint8_t data[6] = {0xE1, 0, 0, 0, 0, 0};
    QCOMPARE(zmx::replyByteAt(reply, 21), zmx::pecOf(data));
    QCOMPARE(stack->config(9)[0], uint8_t{0xE1});
}

ZMX_TEST_MAIN(tst_simlink, TestSimLink, Core)
#include "tst_simlink.moc"
