// The wire model between the PC and the simulated controller: characters at the line rate,
// the latency timer and the USB packet, the transmit FIFO and what each purge drops, DTR and
// unplugging. Times are on the stack's manual clock, so every figure is exact.

#include <QTest>

#include "protocol/Frames.h"
#include "sim/SimStack.h"
#include "sim/SimWire.h"
#include "support/TestMain.h"

using namespace zmx::sim;

namespace {

struct Rig {
    std::shared_ptr<SimStack> stack;
    std::unique_ptr<SimWire> wire;
    explicit Rig(WireOptions o, SimOptions s = {}) : stack(std::make_shared<SimStack>(s)) {
        stack->useManualClock(true);
        wire = std::make_unique<SimWire>(stack, o);
    }
    double now() const { return stack->nowMs(); }
};

WireOptions wireOf(const char* kind, double latencyMs) {
    std::string why;
    WireOptions o = *parseWireKind(kind, &why);
    o.latencyMs = latencyMs;
    return o;
}

constexpr double kChar9600 = 10.0 * 1000.0 / 9600.0;
const std::string kRdcfg = "MSxT80T49T02TCERRRRRRRX";  // 23 characters out, 22 back

}  // namespace

class TestSimWire : public QObject {
    Q_OBJECT
private slots:
    // A read-back's reply is complete no earlier than its last "R" has crossed the line and
    // two characters have come back, and no later than that plus the whole reply on the line
    // and one latency period.
    void replyTimes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("latency");
        QTest::addColumn<double>("earliest");
        QTest::addColumn<double>("latest");
        const double lastR = 22 * kChar9600;
        QTest::newRow("uart:9600, 16 ms") << "uart" << 16.0 << lastR + 2 * kChar9600 << lastR + 22 * kChar9600 + 16;
        QTest::newRow("uart:9600, 1 ms") << "uart" << 1.0 << lastR + 2 * kChar9600 << lastR + 22 * kChar9600 + 1;
        QTest::newRow("uart:115200, 1 ms") << "uart:115200" << 1.0 << 0.0 << 46 * 10000.0 / 115200 + 1;
        QTest::newRow("fifo, 16 ms") << "fifo" << 16.0 << 16.0 << 16.0;
        QTest::newRow("fifo, 1 ms") << "fifo" << 1.0 << 1.0 << 1.0;
    }
    void replyTimes() {
        QFETCH(QString, kind);
        QFETCH(double, latency);
        QFETCH(double, earliest);
        QFETCH(double, latest);
        Rig r(wireOf(kind.toLatin1().constData(), latency));
        const double start = r.now();
        QCOMPARE(r.wire->hostWrite(kRdcfg), kRdcfg.size());
        const std::string reply = r.wire->hostRead(22, 1000);
        const double took = r.now() - start;
        QCOMPARE(QString::fromStdString(reply), QString("804902CEE00000000000FE"));
        QVERIFY2(took >= earliest - 1e-9 && took <= latest + 1e-9,
                 qPrintable(QString("%1 ms, expected %2..%3").arg(took).arg(earliest).arg(latest)));
    }

    // A short reply waits in the chip for the latency timer; 62 characters fill a USB packet,
    // which goes at once.
    void latencyTimerAndUsbPacket() {
        Rig r(wireOf("uart", 16.0), SimOptions{});  // padded identification: 50 characters
        r.wire->hostWrite("IZ");
        const double firstLands = 3 * kChar9600;  // "IZ" in, then one character back
        r.stack->advanceTo(r.now() + firstLands + 15.9);
        QCOMPARE(r.wire->hostAvailable(), std::size_t{0});  // the timer has not run out yet
        r.stack->advanceTo(r.now() + 0.2);
        QVERIFY(r.wire->hostAvailable() > 0);

        Rig big(wireOf("fifo", 16.0));
        const double start = big.now();
        big.wire->hostWrite("MSxT80T49T04TDC" + std::string(61, 'R') + "X");  // 130 characters back
        QCOMPARE(big.wire->hostAvailable(), std::size_t{124});                // two full packets, no wait
        QCOMPARE(big.wire->hostRead(130, 1000).size(), std::size_t{130});
        QCOMPARE(big.now() - start, 16.0);  // the last six after the latency timer
    }

    // A transmit purge drops what has not left (a start frame is lost); a receive purge never
    // touches the FIFO.
    void purges_data() {
        QTest::addColumn<bool>("transmitPurge");
        QTest::newRow("receive purge keeps the frame") << false;
        QTest::newRow("transmit purge drops it") << true;
    }
    void purges() {
        QFETCH(bool, transmitPurge);
        Rig r(wireOf("uart", 16.0));
        const std::string start = zmx::buildStartFrame("", "10", true);  // broadcast STCVAD
        r.wire->hostWrite(start);
        r.stack->advanceTo(r.now() + 3.5 * kChar9600);  // three characters have left
        if (transmitPurge) r.wire->purgeTransmit();
        else r.wire->purgeReceived();
        QVERIFY(r.wire->waitTransmitEmpty(1000));
        QCOMPARE(r.wire->droppedByTransmitPurge(), transmitPurge ? start.size() - 3 : 0u);
        QCOMPARE(r.wire->arrivedAtController(), transmitPurge ? start.substr(0, 3) : start);
        QCOMPARE(r.stack->frameOpen(), transmitPurge);  // a frame cut short stays open
    }

    // DTR low resets controller and chips: a written configuration is gone, and characters
    // that arrive while it is held low are lost.
    void dtrDropResetsTheStack() {
        Rig r(wireOf("uart", 1.0));
        r.wire->hostWrite(zmx::buildWrcfgFrame("", {"E1", "00", "00", "00", "00", "00"}, true));
        QVERIFY(r.wire->waitTransmitEmpty(1000));
        QCOMPARE(r.wire->hostRead(2, 100), std::string("01"));  // the echo of its "T" item
        QCOMPARE(r.stack->config(0)[0], uint8_t{0xE1});
        r.wire->setDtr(false);
        QCOMPARE(r.stack->config(0)[0], uint8_t{0xE0});
        r.wire->hostWrite("IZ");
        QVERIFY(r.wire->hostRead(50, 100).empty());
        QCOMPARE(r.wire->lostInReset(), std::size_t{2});
        r.wire->setDtr(true);
        r.wire->hostWrite("IZ");
        QVERIFY(!r.wire->hostRead(50, 200).empty());
        QCOMPARE(r.wire->resets(), std::size_t{1});
    }

    // The controller's text has its own length unless padding is asked for; unplugging drops
    // everything the chip held.
    void identificationLengthAndUnplug() {
        SimOptions real;
        real.padIdentification = false;
        Rig r(wireOf("uart", 1.0), real);
        r.wire->hostWrite("IZ");
        QCOMPARE(r.wire->hostRead(50, 200), real.idText);
        r.wire->hostWrite("IZ");
        r.stack->setPlugged(false);
        QVERIFY(r.wire->hostRead(50, 200).empty());
        QCOMPARE(r.wire->hostWrite("IZ"), std::size_t{0});
    }

    // A write larger than the transmit FIFO waits until all but a FIFO's worth has left.
    void fullFifoHoldsTheWrite() {
        Rig r(wireOf("uart", 16.0));
        const double start = r.now();
        r.wire->hostWrite(std::string(200, 'X'));
        QVERIFY(r.now() - start >= (200 - 128) * kChar9600 - 1e-9);
        QCOMPARE(r.wire->transmitPending(), std::size_t{128});
    }

    void wireTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed");  // empty: refused
        QTest::newRow("uart") << "uart"
                              << "uart:9600";
        QTest::newRow("uart rate") << "uart:115200"
                                   << "uart:115200";
        QTest::newRow("fifo") << "fifo"
                              << "fifo";
        QTest::newRow("instant") << "instant"
                                 << "instant";
        QTest::newRow("zero rate") << "uart:0"
                                   << "";
        QTest::newRow("text rate") << "uart:fast"
                                   << "";
        QTest::newRow("unknown") << "usb"
                                 << "";
        QTest::newRow("fifo with rate") << "fifo:9600"
                                        << "";
    }
    void wireTexts() {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        std::string why;
        const auto o = parseWireKind(text.toStdString(), &why);
        QCOMPARE(o.has_value(), !parsed.isEmpty());
        if (o) QCOMPARE(QString::fromStdString(wireKindText(*o)), parsed);
        else QVERIFY(why.find("instant, uart, uart:RATE or fifo") != std::string::npos);
    }
};

ZMX_TEST_MAIN(tst_simwire, TestSimWire, Core)
#include "tst_simwire.moc"
