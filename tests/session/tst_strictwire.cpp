// The same session on the strict wire gives what it gives on the instant one: a start-up, a
// configuration written and read back, each read kind, three continuous passes over ten
// boards, a self test and a fast-pace pass, in process at 9600 baud with either latency
// timer and on a FIFO-type chip, and over a pseudo-terminal to zmx7730-sim. Every read's
// bytes, PEC verdict, status codes and lamp must agree; only times may differ.

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <thread>

#include "cli/StackCommands.h"
#include "link/ControllerLink.h"
#include "link/FtdiLink.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"
#include "protocol/Hex.h"
#include "support/TestMain.h"
#ifdef ZMX_WITH_FAKE_FTDI
#include "link/fake_libftdi/FakeFtdi.h"
#endif

using namespace zmx;

namespace {

constexpr int kRunBoards = 10;

struct Transcript : SessionListener {
    QStringList lines;
    void onRead(const BoardRead& r) override {
        QString data;
        for (uint8_t b : r.data) data += QString::fromStdString(byteText(b));
        QString status;
        for (int16_t s : r.cellStatus) status += QString::number(s);
        lines << QString("%1 %2 %3 pec%4 %5 st%6 lamp%7")
                     .arg(r.slot)
                     .arg(QString::fromStdString(r.command))
                     .arg(data)
                     .arg(r.pecMatch)
                     .arg(QString::fromStdString(r.request))
                     .arg(status)
                     .arg(r.lampState);
    }
    void onConfigWrite(const ConfigWrite& w) override { lines << "write " + QString::fromStdString(w.request); }
};

// Everything the tool does to a stack, once; what the session reported, in order.
QStringList runEverything(std::unique_ptr<LinkBackend> backend, const WaitMs& wait, bool batchFrames = false) {
    ControllerLink link(std::move(backend));
    StackSession session(link);
    Transcript t;
    session.addListener(&t);
    if (!session.startUp()) return {"no start-up: " + QString::fromStdString(link.backend().lastError())};
    setStackSize(session, kRunBoards);
    const ConfigVerification v =
        writeAndVerify(session, std::vector<std::optional<ConfigBytes>>(kRunBoards, ConfigBytes{0xE1, 0, 0, 0, 0, 0}));
    t.lines << QString("verified %1").arg(v.ok());
    std::vector<int> all(kRunBoards);
    for (int s = 0; s < kRunBoards; ++s) all[static_cast<std::size_t>(s)] = s;
    for (const ReadWhat what : {ReadWhat::Cells, ReadWhat::Flags, ReadWhat::Temps})
        convertAndRead(session, what, all, wait);
    session.beginContinuous();
    for (int tick = 0; tick < 3 * 3 * kRunBoards; ++tick)
        if (!windowTick(session)) t.lines << QString("tick %1 lost the controller").arg(tick);
    session.endContinuous();
    for (const SelfTestVerdict& st : runSelfTest(session, all, wait))
        t.lines << QString("self test %1 %2").arg(st.slot).arg(st.passed());
    t.lines << QString("fast pass %1 good reads").arg(fastPass(session, wait, batchFrames));
    return t.lines;
}

sim::WireOptions wireOf(const QString& text) {
    std::string why;
    return *sim::parseWireKind(text.toStdString(), &why);
}

// An in-process stack on its manual clock: waiting is moving the clock.
QStringList inProcess(const sim::WireOptions& wire, double latencyMs, bool batchFrames = false) {
    auto stack = std::make_shared<sim::SimStack>();
    stack->useManualClock(true);
    sim::WireOptions w = wire;
    w.latencyMs = latencyMs;
    return runEverything(
        std::make_unique<SimLink>(stack, w), [&](int ms) { stack->advanceMs(ms); }, batchFrames);
}

}  // namespace

class TestStrictWire : public QObject {
    Q_OBJECT
    QStringList instant_;

private slots:
    void initTestCase() {
        instant_ = inProcess(wireOf("instant"), 0);
        QVERIFY(instant_.contains("verified 1"));
        QVERIFY(instant_.size() > 200);
    }

    void sameResultsInProcess_data() {
        QTest::addColumn<QString>("wire");
        QTest::addColumn<double>("latency");
        QTest::addColumn<bool>("batchFrames");  // the fast pass's reads of a kind in one write
        QTest::newRow("uart:9600, 16 ms") << "uart" << 16.0 << false;
        QTest::newRow("uart:9600, 1 ms") << "uart" << 1.0 << false;
        QTest::newRow("fifo, 16 ms") << "fifo" << 16.0 << false;
        QTest::newRow("uart:9600, 16 ms, frames batched") << "uart" << 16.0 << true;
        QTest::newRow("instant, frames batched") << "instant" << 0.0 << true;
    }
    void sameResultsInProcess() {
        QFETCH(QString, wire);
        QFETCH(double, latency);
        QFETCH(bool, batchFrames);
        QCOMPARE(inProcess(wireOf(wire), latency, batchFrames), instant_);
    }

    // zmx7730-sim on the strict wire, through the serial link.
    void sameResultsOverAPty() {
        QProcess sim;
        sim.start(QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath("zmx7730-sim"),
                  {"--sim-boards", QString::number(kRunBoards), "--wire", "uart:9600", "--latency-ms", "1"});
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY(sim.waitForReadyRead(5000));
        const std::string pty = QString::fromLatin1(sim.readLine()).trimmed().toStdString();
        const QStringList got = runEverything(std::make_unique<SerialLink>(pty), [](int ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        });
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(got, instant_);
    }

#ifdef ZMX_WITH_FAKE_FTDI
    // The libftdi1 link on its stand-in: the chip's FIFO, latency timer and purges as libftdi1
    // has them, no written character dropped.
    void sameResultsOverTheLibftdiStandIn() {
        fakeftdi::reset();
        fakeftdi::addDevice({});
        fakeftdi::Device& dev = fakeftdi::device(0);
        QCOMPARE(runEverything(std::make_unique<FtdiLink>(), [&](int ms) { dev.stack->advanceMs(ms); }), instant_);
        QCOMPARE(dev.wire->droppedByTransmitPurge(), std::size_t{0});
    }
#endif
};

ZMX_TEST_MAIN(tst_strictwire, TestStrictWire, Core)
#include "tst_strictwire.moc"
