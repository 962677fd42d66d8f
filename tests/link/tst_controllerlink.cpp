// The device held open across transfers and reopened after a failure, the echo of
// write-only frames, and time-outs.

#include <QtTest>

#include "link/ControllerLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

// A controller stand-in that answers with a fixed reply and counts what happened.
class ScriptedBackend : public LinkBackend {
public:
    std::string name() const override { return "scripted"; }
    bool open() override {
        ++opens;
        opened = true;
        return true;
    }
    bool isOpen() const override { return opened; }
    void setTimeouts(int r, int w) override {
        readMs = r;
        writeMs = w;
    }
    std::size_t write(std::string_view b) override {
        written += b;
        pending += nextReply;  // the controller answers what it was sent
        nextReply.clear();
        return b.size();
    }
    std::string read(std::size_t n) override {
        lastAsked = n;
        timeoutsOfReads.push_back(readMs);
        std::string out = pending.substr(0, n);
        pending.erase(0, out.size());
        return out;
    }
    void purgeInput() override {
        ++purges;
        stalePurged += pending;
        pending.clear();
    }
    void close() override {
        ++closes;
        opened = false;
    }
    WireTiming wireTiming() const override { return {}; }
    bool drainOutput(int) override {
        ++drains;
        return true;
    }
    bool opened = false;
    std::string pending, nextReply, written, stalePurged;
    int opens = 0, closes = 0, purges = 0, drains = 0, readMs = 0, writeMs = 0;
    std::size_t lastAsked = 0;
    std::vector<int> timeoutsOfReads;
};

}  // namespace

class TestControllerLink : public QObject {
    Q_OBJECT
private slots:
    void deviceIsHeldOpenAcrossTransfers() {
        auto b = std::make_unique<ScriptedBackend>();
        ScriptedBackend* raw = b.get();
        ControllerLink link(std::move(b));
        raw->nextReply = "ZMX7730-4";
        QCOMPARE(link.Identify(), std::string("ZMX7730-4"));
        QCOMPARE(raw->timeoutsOfReads.front(), 200);  // the first character may take the whole time
        QCOMPARE(raw->timeoutsOfReads.back(), quietGapMs(WireTiming{}));  // the end is a quiet gap
        QCOMPARE(raw->writeMs, 50);
        raw->nextReply = "804902CEE000000000001A";
        link.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 22);
        QCOMPARE(raw->lastAsked, std::size_t(22));
        QCOMPARE(raw->readMs, 1000);
        link.SendOnly("MSxS10SB0X");
        link.SendOnly("");
        QCOMPARE(raw->opens, 1);
        QCOMPARE(raw->closes, 0);
        QCOMPARE(raw->purges, 4);  // stale input is still dropped before every transfer
    }

    // A reply that never comes closes the device; the next transfer opens it again.
    void silenceClosesAndTheNextTransferReopens() {
        auto b = std::make_unique<ScriptedBackend>();
        ScriptedBackend* raw = b.get();
        ControllerLink link(std::move(b));
        QCOMPARE(link.Identify(), std::string());
        QCOMPARE(raw->opens, 1);
        QCOMPARE(raw->closes, 1);
        raw->nextReply = "ZMX7730-4";
        QCOMPARE(link.Identify(), std::string("ZMX7730-4"));
        QCOMPARE(raw->opens, 2);
        QCOMPARE(raw->closes, 1);
    }

    // The "T" item of WRCFG makes the controller answer two characters: they are read and
    // dropped within a short bound, and a stale character never reaches a later reply.
    void writeOnlyEchoIsDrained() {
        auto b = std::make_unique<ScriptedBackend>();
        ScriptedBackend* raw = b.get();
        ControllerLink link(std::move(b));
        raw->nextReply = "01";
        link.SendOnly("MSxT01SC7SE0S00S00S00S00S00SFEX");
        QCOMPARE(raw->lastAsked, std::size_t(2));
        QCOMPARE(raw->timeoutsOfReads.back(), replyWaitMs(WireTiming{}, 31, 2));
        QVERIFY(raw->pending.empty());
        raw->pending = "XY";  // stale input left by something else
        raw->stalePurged.clear();
        link.Identify();
        QCOMPARE(raw->stalePurged, std::string("XY"));
    }

    void wrcfgThenRdcfgOnTheSimulatedStack() {
        auto stack = std::make_shared<sim::SimStack>();
        stack->useManualClock(true);
        ControllerLink link(std::make_unique<SimLink>(stack));
        link.SendOnly("MSxT01SC7SE1S00S00S00S00S00S" + std::string("") + "C5X");  // wrong PEC: ignored
        std::string r = link.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 22);
        QCOMPARE(r.size(), std::size_t(22));
        QCOMPARE(r.substr(0, 8), std::string("804902CE"));
        QCOMPARE(r.substr(8), std::string("E00000000000FE"));
        QCOMPARE(link.Identify().substr(0, 9), std::string("ZMX7730-4"));
    }

    void identifyOnUnpluggedControllerReturnsNothing() {
        auto stack = std::make_shared<sim::SimStack>();
        stack->useManualClock(true);
        stack->setPlugged(false);
        ControllerLink link(std::make_unique<SimLink>(stack));
        QVERIFY(link.Identify().empty());
        QVERIFY(link.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 22).empty());
    }

    void traceHasOneLinePerTransfer() {
        QTemporaryDir dir;
        auto b = std::make_unique<ScriptedBackend>();
        ScriptedBackend* raw = b.get();
        ControllerLink link(std::move(b));
        QVERIFY(link.openTrace(dir.filePath("t.log").toStdString()));
        raw->nextReply = "ZMX7730-4";
        link.Identify();
        link.SendOnly("MSxS10SB0X");
        QFile f(dir.filePath("t.log"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3);  // two lines and the final newline
        QVERIFY(lines[0].contains("\tIdentify\tIZ\tZMX7730-4"));
        QVERIFY(lines[1].contains("\tSendOnly\tMSxS10SB0X\t"));
    }
};

ZMX_TEST_MAIN(tst_controllerlink, TestControllerLink, None)
#include "tst_controllerlink.moc"
