// The libftdi1 backend against the stand-in library (fake_libftdi/), whose devices put the
// simulated stack behind the wire model: open failures and the messages they give, which
// device a reopen takes, the kernel driver given back, and transfers that never lose what
// was written while it still sits in the chip's transmit FIFO.

#include <QtTest>

#include "fake_libftdi/FakeFtdi.h"
#include "link/ControllerLink.h"
#include "link/FtdiLink.h"
#include "link/SimLink.h"
#include "session/StackSession.h"
#include "support/SessionRig.h"
#include "support/TestMain.h"

using namespace zmx;
using namespace zmx::test;
namespace fake = zmx::fakeftdi;

namespace {

fake::DeviceSetup deviceAt(std::string serial, std::vector<uint8_t> ports, int boards = 1) {
    fake::DeviceSetup s;
    s.serial = std::move(serial);
    s.ports = std::move(ports);
    s.stack.boards = boards;
    return s;
}

// Measuring configuration with thresholds on every board, read back, then either the
// window's continuous pass or each board's cells, temperatures and flags in turn.
void runReads(SessionRig& rig, const QString& how) {
    StackState& st = rig.session->state();
    for (int b = 0; b < rig.boards; ++b) st.cfgImage[b] = {"E1", "00", "00", "00", "7F", "C7"};
    rig.session->writeConfig(0, true);
    rig.session->readConfigAll();
    if (how == "continuous") {
        rig.session->beginContinuous();
        for (int i = 0; i < 3 * rig.boards; ++i) rig.session->continuousStep();
        rig.session->endContinuous();
        return;
    }
    for (int b = 0; b < rig.boards; ++b) {
        rig.session->startCellConversion(b, false, 0, "0");
        rig.session->readCells(b, 0);
        rig.session->startTempConversion(b, false, "0");
        rig.session->readTemps(b);
        rig.session->readFlags(b);
    }
}

// Lets the wire run for `ms` of the stack's clock, event by event.
void passMs(fake::Device& d, double ms) {
    const double until = d.stack->nowMs() + ms;
    d.wire->advanceTo(until);
    d.stack->advanceTo(until);
}

std::string concat(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) all += t;
    return all;
}

}  // namespace

class TestFtdiLink : public QObject {
    Q_OBJECT
private slots:
    void init() { fake::reset(); }

    void openFailures_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("no device") << "none"
                                   << "" << int(FtdiOpenFailure::NoDevice) << QStringList{"plugged in"};
        QTest::newRow("no access") << "denied"
                                   << "" << int(FtdiOpenFailure::Permission)
                                   << QStringList{"udev", "plugdev", "libusb_open() failed"};
        QTest::newRow("held by another handle")
            << "held"
            << "LK200A01" << int(FtdiOpenFailure::KernelDriver) << QStringList{"unable to claim usb device"};
        QTest::newRow("unknown serial lists those present")
            << "two"
            << "NOPE1234" << int(FtdiOpenFailure::NoDevice)
            << QStringList{"NOPE1234", "LK200A01 (LK200)", "(no serial number, usb 1-2) (LK200)"};
        QTest::newRow("unreadable strings listed")
            << "two denied"
            << "NOPE1234" << int(FtdiOpenFailure::NoDevice) << QStringList{"(unreadable)", "(no serial number"};
    }

    void openFailures() {
        QFETCH(QString, situation);
        QFETCH(QString, serial);
        QFETCH(int, failure);
        QFETCH(QStringList, mentions);
        if (situation != "none") fake::addDevice(deviceAt("LK200A01", {1}));
        if (situation.startsWith("two")) fake::addDevice(deviceAt("", {2}));
        if (situation.endsWith("denied")) fake::denyAccess(0, true);
        if (situation == "held") fake::holdElsewhere(0, true);

        FtdiLink link({.serial = serial.toStdString()});
        QVERIFY(!link.open());
        QVERIFY(!link.isOpen());
        QCOMPARE(int(link.lastOpenFailure()), failure);
        const QString error = QString::fromStdString(link.lastError());
        for (const QString& m : mentions) QVERIFY2(error.contains(m), qPrintable(error));
        for (int i = 0; i < fake::deviceCount(); ++i) QVERIFY(fake::device(i).kernelDriverBound);
    }

    void openSetsTheLineAndTellsIt() {
        fake::addDevice(deviceAt("LK200A01", {1}));
        FtdiLink link;
        QVERIFY2(link.open(), link.lastError().c_str());
        const fake::Device& d = fake::device(0);
        QCOMPARE(d.baudrate, 9600);
        QCOMPARE(d.bits, 8);
        QCOMPARE(d.stopBits, 0);     // one stop bit
        QCOMPARE(d.parity, 0);       // none
        QCOMPARE(d.flowControl, 0);  // off
        QCOMPARE(d.latencyMs, 1);
        QCOMPARE(link.wireTiming().lineRate, 9600u);
        QCOMPARE(link.wireTiming().latencyMs, 1);
        QCOMPARE(link.usbSerial(), std::string("LK200A01"));
    }

    // Every open lets ftdi_sio go for the device it takes, and every close binds it again,
    // so the adapter's tty comes back; listing the bus detaches nothing.
    void kernelDriverIsGivenBack() {
        fake::addDevice(deviceAt("LK200A01", {1}));
        fake::addDevice(deviceAt("FTOTHER1", {2}));
        std::string error;
        QCOMPARE(FtdiLink::listDevices(&error)->size(), std::size_t{2});
        FtdiLink link({.serial = "LK200A01"});
        for (int round = 0; round < 3; ++round) {
            QVERIFY2(link.open(), link.lastError().c_str());
            QVERIFY(!fake::device(0).kernelDriverBound);
            QVERIFY(fake::device(1).kernelDriverBound);
            link.close();
            QVERIFY(fake::device(0).kernelDriverBound);
        }
        QCOMPARE(fake::device(0).detaches, 3);
        QCOMPARE(fake::device(0).reattaches, 3);
        QCOMPARE(fake::device(1).detaches, 0);
    }

    // The first open pins its device; after it was unplugged a reopen takes no other, and
    // once it is back the reopen finds it again.
    void reopenTakesTheSameDevice_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("missing");
        QTest::newRow("by serial number") << "LK200A01"
                                          << "ftdi serial LK200A01"
                                          << "LK200A01";
        QTest::newRow("blank serial, by bus location") << ""
                                                       << "ftdi usb 1-3.2"
                                                       << "usb 1-3.2";
    }

    void reopenTakesTheSameDevice() {
        QFETCH(QString, serial);
        QFETCH(QString, identity);
        QFETCH(QString, missing);
        fake::addDevice(deviceAt(serial.toStdString(), {3, 2}));
        fake::addDevice(deviceAt("FTOTHER1", {1}));
        const auto seen = FtdiLink::listDevices(nullptr);
        QCOMPARE(QString::fromStdString(seen->at(0).serial), serial);
        QCOMPARE(seen->at(0).description, std::string("LK200"));
        FtdiLink link;
        QVERIFY2(link.open(), link.lastError().c_str());
        QCOMPARE(fake::device(0).opens, 1);
        QCOMPARE(QString::fromStdString(link.deviceIdentity()), identity);
        QCOMPARE(QString::fromStdString(link.usbSerial()), serial);

        fake::setPlugged(0, false);
        QVERIFY(!link.open());
        const QString error = QString::fromStdString(link.lastError());
        QVERIFY2(error.contains(missing) && error.contains("FTOTHER1"), qPrintable(error));
        QCOMPARE(fake::device(1).opens, 0);

        fake::setPlugged(0, true);
        QVERIFY2(link.open(), link.lastError().c_str());
        QCOMPARE(fake::device(0).opens, 2);
        QCOMPARE(fake::device(1).opens, 0);
    }

    // Neither a serial number nor a bus location: with several devices present a reopen
    // cannot tell which was meant and takes none.
    void reopenRefusedWhenTheDeviceCannotBePinned() {
        fake::addDevice(deviceAt("", {}));
        FtdiLink link;
        QVERIFY2(link.open(), link.lastError().c_str());
        link.close();
        QVERIFY(link.open());  // alone on the bus it is the one
        link.close();
        fake::addDevice(deviceAt("FTOTHER1", {1}));
        QVERIFY(!link.open());
        QVERIFY2(QString::fromStdString(link.lastError()).contains("--link ftdi:SERIAL"), link.lastError().c_str());
        QCOMPARE(fake::device(1).opens, 0);
    }

    // An unplugged controller fails the transfer and closes the link; plugged in again it
    // is opened again by the next transfer.
    void unplugAndReopen() {
        fake::addDevice(deviceAt("LK200A01", {1}));
        ControllerLink link(std::make_unique<FtdiLink>());
        QVERIFY(QString::fromStdString(link.Identify()).startsWith("ZMX7730"));
        fake::setPlugged(0, false);
        QVERIFY(link.Identify().empty());
        QVERIFY(!link.backend().isOpen());
        QVERIFY2(QString::fromStdString(link.backend().lastError()).contains("FTDI device"),
                 link.backend().lastError().c_str());
        QVERIFY(link.Identify().empty());  // still gone: the open finds nothing
        fake::setPlugged(0, true);
        QVERIFY(QString::fromStdString(link.Identify()).startsWith("ZMX7730"));
        QCOMPARE(fake::device(0).opens, 2);
    }

    // Stale input goes; the text written just before, still in the transmit FIFO, does not.
    void purgeDropsReceivedDataOnly() {
        fake::addDevice(deviceAt("LK200A01", {1}));
        fake::Device& d = fake::device(0);
        FtdiLink link;
        QVERIFY(link.open());
        QCOMPARE(link.write("IZ"), std::size_t{2});
        passMs(d, 200);  // the identification has come in and waits unread
        QVERIFY(d.wire->hostAvailable() > 0);
        const std::string wrcfg = "MSxT01SC7SE1S00S00S00S00S00SD7X";
        QCOMPARE(link.write(wrcfg), wrcfg.size());
        link.purgeInput();
        QCOMPARE(d.wire->hostAvailable(), std::size_t{0});
        QCOMPARE(d.wire->droppedByTransmitPurge(), std::size_t{0});
        passMs(d, 100);
        QCOMPARE(d.wire->transmitPending(), std::size_t{0});
        QVERIFY(QString::fromStdString(d.wire->arrivedAtController()).endsWith(QString::fromStdString(wrcfg)));
    }

    // The drain waits until the chip's line status says the transmitter is empty, and no
    // longer than asked. On the real clock: 100 characters take 104 ms at 9600 baud.
    void drainWaitsUntilTheTextHasLeft_data() {
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<bool>("drained");
        QTest::newRow("time enough") << 1000 << true;
        QTest::newRow("bounded") << 2 << false;
    }

    void drainWaitsUntilTheTextHasLeft() {
        QFETCH(int, timeoutMs);
        QFETCH(bool, drained);
        fake::DeviceSetup setup = deviceAt("LK200A01", {1});
        setup.manualClock = false;
        fake::addDevice(setup);
        fake::setFastForward(false);
        FtdiLink link;
        QVERIFY(link.open());
        QCOMPARE(link.write(std::string(100, 'S')), std::size_t{100});
        QCOMPARE(link.drainOutput(timeoutMs), drained);
        QCOMPARE(fake::device(0).wire->transmitPending() == 0, drained);
        QVERIFY(link.isOpen());
    }

    // A configuration written, then read back at 9600 baud: the read-back's purge must not
    // cut the write short, on the stand-in's fast-forward clock and on the real one.
    void writtenConfigurationReadsBack_data() {
        QTest::addColumn<bool>("fastForward");
        QTest::newRow("fast-forward clock") << true;
        QTest::newRow("real clock") << false;
    }

    void writtenConfigurationReadsBack() {
        QFETCH(bool, fastForward);
        fake::DeviceSetup setup = deviceAt("LK200A01", {1}, 2);
        setup.manualClock = fastForward;
        fake::addDevice(setup);
        fake::setFastForward(fastForward);
        SessionRig rig(2, {.backend = std::make_unique<FtdiLink>()});
        QVERIFY(rig.ok);
        rig.session->state().cfgImage[0] = {"E1", "00", "00", "00", "7F", "C7"};
        rig.session->state().cfgImage[1] = rig.session->state().cfgImage[0];
        rig.session->writeConfig(0, true);
        const BoardRead back = rig.session->readConfig(0);
        QVERIFY(back.pecMatch);
        QCOMPARE(back.config, (std::array<uint8_t, 6>{0xE1, 0x00, 0x00, 0x00, 0x7F, 0xC7}));
        QVERIFY(!rig.session->readbackDiffers(0, 0) && !rig.session->readbackDiffers(0, 5));
        QCOMPARE(fake::device(0).wire->droppedByTransmitPurge(), std::size_t{0});
    }

    // The session over libftdi1 at 9600 baud: every text written reaches the controller
    // whole and in order (conversion starts included), and the reads, values and verdicts
    // are those of the same session on the instant in-process link.
    void sessionMatchesTheInstantLink_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("window-pace continuous pass") << "continuous";
        QTest::newRow("cell, temperature and flag reads") << "each board";
    }

    void sessionMatchesTheInstantLink() {
        QFETCH(QString, how);
        constexpr int kBoards = 3;
        fake::addDevice(deviceAt("LK200A01", {1}, kBoards));
        fake::Device& d = fake::device(0);
        sim::SimOptions o;
        o.boards = kBoards;
        auto instantStack = std::make_shared<sim::SimStack>(o);
        for (sim::SimStack* s : {d.stack.get(), instantStack.get()}) {
            s->setCellVolts(1, 3, 1.2);   // under VUV
            s->setCellVolts(2, 12, 4.1);  // over VOV
        }

        SessionRig overFtdi(kBoards, {.backend = std::make_unique<FtdiLink>()});
        SessionRig instant(kBoards, {.backend = std::make_unique<SimLink>(
                                         instantStack, sim::WireOptions{.kind = sim::WireOptions::Kind::Instant})});
        QVERIFY(overFtdi.ok && instant.ok);
        runReads(overFtdi, how);
        runReads(instant, how);

        QVERIFY(overFtdi.link->backend().drainOutput(1000));
        QCOMPARE(d.wire->droppedByTransmitPurge(), std::size_t{0});
        const std::string written = concat(d.stack->received());
        QVERIFY(written.find("S10SB0X") != std::string::npos);  // a cell conversion start went out
        QCOMPARE(QString::fromStdString(d.wire->arrivedAtController()), QString::fromStdString(written));

        QCOMPARE(overFtdi.log.reads.size(), instant.log.reads.size());
        for (std::size_t i = 0; i < instant.log.reads.size(); ++i) {
            const BoardRead& got = overFtdi.log.reads[i];
            const BoardRead& want = instant.log.reads[i];
            QVERIFY2(got.pecMatch, got.reply.c_str());
            QCOMPARE(got.request, want.request);
            QCOMPARE(got.reply, want.reply);
            QCOMPARE(got.cellStatus, want.cellStatus);
            QCOMPARE(got.lampState, want.lampState);
        }
        QCOMPARE(overFtdi.session->state().cellStatus, instant.session->state().cellStatus);
    }
};

ZMX_TEST_MAIN(tst_ftdilink, TestFtdiLink, Core)
#include "tst_ftdilink.moc"
