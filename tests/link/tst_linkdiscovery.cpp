// Choosing a controller link without --link, listing links, and the reasons given when the
// FTDI device cannot be opened.

#include <QtTest>

#include "link/FtdiLink.h"
#include "link/LinkDiscovery.h"

using namespace zmx;

namespace {

struct FakeMachine {
    std::vector<SerialPortSeen> ports;
    int ftdiCount = 0;
    std::string ftdiError;
    bool d2xx = false;
    int serialLooks = 0, ftdiLooks = 0, d2xxLooks = 0;

    LinkProbes probes() {
        LinkProbes p;
        p.serialPorts = [this] {
            ++serialLooks;
            return ports;
        };
        p.ftdiDevices = [this](std::string* e) {
            ++ftdiLooks;
            if (ftdiCount < 0) *e = ftdiError;
            return ftdiCount;
        };
        p.d2xxLoadable = [this](std::string* e) {
            ++d2xxLooks;
            if (!d2xx) *e = "the D2XX library libftd2xx.so could not be loaded (not found)";
            return d2xx;
        };
        return p;
    }
};

SerialPortSeen port(const std::string& path, std::optional<uint16_t> vid, std::optional<uint16_t> pid = {}) {
    return {path, vid, pid, "USB serial"};
}

}  // namespace

class TestLinkDiscovery : public QObject {
    Q_OBJECT
private slots:
    void choosesInOrder_data() {
        QTest::addColumn<int>("portSet");  // 0 none, 1 non-FTDI only, 2 FTDI second of three
        QTest::addColumn<int>("ftdiCount");
        QTest::addColumn<bool>("d2xx");
        QTest::addColumn<QString>("expected");
        QTest::newRow("FTDI serial port wins over everything") << 2 << 1 << true << "serial:/dev/ttyUSB1";
        QTest::newRow("other serial ports are skipped for libftdi1") << 1 << 2 << true << "ftdi";
        QTest::newRow("libftdi1 search error falls through to D2XX") << 1 << -5 << true << "d2xx";
        QTest::newRow("D2XX when nothing else") << 0 << 0 << true << "d2xx";
        QTest::newRow("nothing at all") << 1 << 0 << false << "";
    }

    void choosesInOrder() {
        QFETCH(int, portSet);
        QFETCH(int, ftdiCount);
        QFETCH(bool, d2xx);
        QFETCH(QString, expected);
        FakeMachine m;
        if (portSet >= 1) m.ports = {port("/dev/ttyS0", std::nullopt), port("/dev/ttyACM0", 0x2341, 0x0043)};
        if (portSet == 2) m.ports.insert(m.ports.begin() + 1, port("/dev/ttyUSB1", kFtdiVendorId, 0x6001));
        m.ftdiCount = ftdiCount;
        m.ftdiError = "libusb_get_device_list() failed";
        m.d2xx = d2xx;
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        QCOMPARE(QString::fromStdString(d.link), expected);
        QCOMPARE(d.error.empty(), !expected.isEmpty());
        // A later way is only looked at when the earlier ones found nothing.
        if (expected.startsWith("serial:")) QCOMPARE(m.ftdiLooks + m.d2xxLooks, 0);
        if (expected == "ftdi") QCOMPARE(m.d2xxLooks, 0);
    }

    // The one error line lists every way that was tried and points at --simulate.
    void nothingFoundSaysWhatWasTried() {
        FakeMachine m;
        m.ftdiCount = -5;
        m.ftdiError = "libusb_get_device_list() failed";
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        const QString e = QString::fromStdString(d.error);
        QVERIFY(d.link.empty());
        QVERIFY(e.contains("serial ports of vendor 0403: none"));
        QVERIFY(e.contains("libftdi1: libusb_get_device_list() failed"));
        QVERIFY(e.contains("D2XX: the D2XX library libftd2xx.so could not be loaded"));
        QVERIFY(e.contains("--simulate"));
        QVERIFY(!e.contains('\n'));
    }

    void listsEveryKind() {
        FakeMachine m;
        m.ports = {port("/dev/ttyUSB0", kFtdiVendorId, 0x6014), port("/dev/ttyS0", std::nullopt)};
        m.ftdiCount = 0;
        const std::vector<std::string> lines = listLinks(m.probes());
        QStringList all;
        for (const auto& l : lines) all << QString::fromStdString(l);
        QCOMPARE(all.size(), 5);
        QVERIFY(all[0].startsWith("serial:/dev/ttyUSB0  usb 0403:6014"));
        QVERIFY(all[0].endsWith("(FTDI)"));
        QVERIFY(all[1].startsWith("serial:/dev/ttyS0") && !all[1].contains("FTDI"));
        QVERIFY(all[2].startsWith("ftdi  (none: no FTDI device)"));
        QVERIFY(all[3].startsWith("d2xx  (none:"));
        QVERIFY(all[4].startsWith("sim "));
    }

    // libftdi1's answers to a failed search or open, sorted into causes the user can act on.
    void ftdiOpenFailures_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("duringFind");
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("fixMentions");
        QTest::newRow("no device on the bus") << 0 << "" << true << int(FtdiOpenFailure::NoDevice) << "plugged in";
        QTest::newRow("bus cannot be listed") << -5 << "libusb_get_device_list() failed" << true
                                              << int(FtdiOpenFailure::UsbUnavailable) << "/dev/bus/usb";
        QTest::newRow("permissions") << -8 << "inappropriate permissions on device!" << false
                                     << int(FtdiOpenFailure::Permission) << "udev";
        QTest::newRow("kernel driver holds it")
            << -5 << "unable to claim usb device. Make sure the default FTDI driver is not in use" << false
            << int(FtdiOpenFailure::KernelDriver) << "ftdi_sio";
        QTest::newRow("libusb_open failed")
            << -4 << "libusb_open() failed" << false << int(FtdiOpenFailure::Other) << "could not be opened";
        QTest::newRow("device gone between search and open")
            << -3 << "usb device not found" << false << int(FtdiOpenFailure::NoDevice) << "plugged in";
    }

    void ftdiOpenFailures() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(bool, duringFind);
        QFETCH(int, cause);
        QFETCH(QString, fixMentions);
        const FtdiOpenFailure why = classifyFtdiOpenError(code, message.toStdString(), duringFind);
        QCOMPARE(int(why), cause);
        const QString text = QString::fromStdString(ftdiOpenErrorText(why, message.toStdString()));
        QVERIFY2(text.contains(fixMentions), qPrintable(text));
        if (!message.isEmpty()) QVERIFY(text.contains(message));
    }
};

QTEST_APPLESS_MAIN(TestLinkDiscovery)
#include "tst_linkdiscovery.moc"
