// Choosing a controller link without --link, listing links, and the reasons given when the
// FTDI device cannot be opened.

#include <QtTest>

#include <algorithm>

#include "link/FtdiLink.h"
#include "link/LinkDiscovery.h"

using namespace zmx;

namespace {

struct FakeMachine {
    std::vector<SerialPortSeen> ports;
    int ftdiCount = 0;  // negative: the bus cannot be searched
    std::string ftdiError;
    bool d2xx = false;
    std::vector<std::string> answering;  // link texts at which a controller identifies itself
    std::vector<std::string> asked;      // link texts that were sent an identification
    int serialLooks = 0, ftdiLooks = 0, d2xxLooks = 0;

    LinkProbes probes() {
        LinkProbes p;
        p.serialPorts = [this] {
            ++serialLooks;
            return ports;
        };
        p.ftdiDevices = [this](std::string* e) -> UsbDeviceList {
            ++ftdiLooks;
            if (ftdiCount < 0) {
                *e = ftdiError;
                return std::nullopt;
            }
            std::vector<UsbDeviceSeen> list;
            for (int i = 0; i < ftdiCount; ++i)
                list.push_back({kFtdiVendorId, 0x6001, "FT00" + std::to_string(i), "FT232R USB UART"});
            return list;
        };
        p.identifies = [this](const std::string& link) {
            asked.push_back(link);
            return std::find(answering.begin(), answering.end(), link) != answering.end();
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
        QTest::newRow("other serial ports are skipped for libftdi1") << 1 << 1 << true << "ftdi";
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

    // Each FTDI device is listed with the --link text that picks it, its USB IDs, serial
    // number and description.
    void listsEachUsbDeviceWithItsSerial() {
        FakeMachine m;
        m.ports = {port("/dev/ttyUSB0", kFtdiVendorId, 0x6001)};
        m.ports[0].serialNumber = "A10K3XYZ";
        m.ftdiCount = 2;
        QStringList all;
        for (const auto& l : listLinks(m.probes())) all << QString::fromStdString(l);
        QVERIFY2(all[0].contains("serial A10K3XYZ"), qPrintable(all[0]));
        QCOMPARE(all[1], QString("ftdi:FT000  usb 0403:6001  serial FT000  FT232R USB UART"));
        QCOMPARE(all[2], QString("ftdi:FT001  usb 0403:6001  serial FT001  FT232R USB UART"));
        QVERIFY(m.asked.empty());  // listing sends nothing to any device
    }

    // Several candidates of one kind: each is asked for its identification, and the one
    // that answers as a controller is taken, not simply the first.
    void severalCandidatesAreProbed_data() {
        QTest::addColumn<int>("ftdiPorts");
        QTest::addColumn<int>("ftdiCount");
        QTest::addColumn<QStringList>("answering");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("asked");
        QTest::newRow("one port: taken without asking") << 1 << 0 << QStringList{} << "serial:/dev/ttyUSB0" << 0;
        QTest::newRow("second port answers")
            << 2 << 0 << QStringList{"serial:/dev/ttyUSB1"} << "serial:/dev/ttyUSB1" << 2;
        QTest::newRow("no port answers: libftdi1 next") << 2 << 1 << QStringList{} << "ftdi" << 2;
        QTest::newRow("second USB device answers") << 0 << 3 << QStringList{"ftdi:FT001"} << "ftdi:FT001" << 2;
        QTest::newRow("none of several answers") << 0 << 2 << QStringList{} << "" << 2;
    }
    void severalCandidatesAreProbed() {
        QFETCH(int, ftdiPorts);
        QFETCH(int, ftdiCount);
        QFETCH(QStringList, answering);
        QFETCH(QString, expected);
        QFETCH(int, asked);
        FakeMachine m;
        for (int i = 0; i < ftdiPorts; ++i) m.ports.push_back(port("/dev/ttyUSB" + std::to_string(i), kFtdiVendorId));
        m.ftdiCount = ftdiCount;
        for (const QString& a : answering) m.answering.push_back(a.toStdString());
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        QCOMPARE(QString::fromStdString(d.link), expected);
        QCOMPARE(int(m.asked.size()), asked);
        if (expected.isEmpty()) QVERIFY2(d.error.find("none answered") != std::string::npos, d.error.c_str());
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
        QTest::newRow("libusb_open failed: no access")
            << -4 << "libusb_open() failed" << false << int(FtdiOpenFailure::Permission) << "plugdev";
        QTest::newRow("device gone between search and open")
            << -3 << "usb device not found" << false << int(FtdiOpenFailure::NoDevice) << "plugged in";
    }

    // Each USB read may wait until the reply's deadline (a read that times out in libusb can
    // lose the bytes it carried), but never less than the floor.
    void usbReadWaitsForTheTimeLeft_data() {
        QTest::addColumn<qint64>("left");
        QTest::addColumn<int>("timeout");
        QTest::newRow("whole identification") << qint64(200) << 200;
        QTest::newRow("whole transfer") << qint64(1000) << 1000;
        QTest::newRow("little left") << qint64(3) << kMinUsbReadTimeoutMs;
        QTest::newRow("deadline passed") << qint64(-20) << kMinUsbReadTimeoutMs;
    }
    void usbReadWaitsForTheTimeLeft() {
        QFETCH(qint64, left);
        QFETCH(int, timeout);
        QCOMPARE(usbReadTimeoutMs(left), timeout);
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
