// Choosing a controller link without --link, listing links, and the reasons given when the
// FTDI device cannot be opened.

#include <QtTest>

#include <algorithm>

#include "link/FtdiLink.h"
#include "link/LinkDiscovery.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

struct FakeMachine {
    std::vector<SerialPortSeen> ports;
    int ftdiCount = 0;  // negative: the bus cannot be searched
    std::string ftdiError;
    std::string ftdiDescription = "FT232R USB UART";  // of the ftdiCount devices
    std::vector<UsbDeviceSeen> ftdiExtra;             // devices after those
    bool d2xx = false;
    std::optional<std::vector<UsbDeviceSeen>> d2xxList;  // nullopt: the library lists none
    std::vector<std::string> answering;                  // link texts at which a controller identifies itself
    std::vector<std::string> asked;                      // link texts that were sent an identification
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
                list.push_back({kFtdiVendorId, 0x6001, "FT00" + std::to_string(i), ftdiDescription});
            list.insert(list.end(), ftdiExtra.begin(), ftdiExtra.end());
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
        p.d2xxDevices = [this](std::string* e) -> UsbDeviceList {
            if (!d2xxList) *e = "FT_CreateDeviceInfoList failed";
            return d2xxList;
        };
        return p;
    }
};

SerialPortSeen port(const std::string& path, std::optional<uint16_t> vid, std::optional<uint16_t> pid = {},
                    const std::string& description = "USB serial") {
    return {path, vid, pid, description, {}};
}

// "/dev/ttyUSB0|FT232R USB UART|A10": an FTDI port with its description and serial number.
SerialPortSeen portOf(const QString& text) {
    const QStringList f = text.split('|');
    SerialPortSeen p = port(f.value(0).toStdString(), kFtdiVendorId, 0x6001, f.value(1).toStdString());
    p.serialNumber = f.value(2).toStdString();
    return p;
}

// "FT000|FT232R USB UART": a USB device by its serial number and description.
UsbDeviceSeen deviceOf(const QString& text) {
    const QStringList f = text.split('|');
    return {kFtdiVendorId, 0x6001, f.value(0).toStdString(), f.value(1).toStdString()};
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
        QTest::newRow("LK200 serial port wins over everything") << 2 << 1 << true << "serial:/dev/ttyUSB1";
        QTest::newRow("other serial ports are skipped for libftdi1") << 1 << 1 << true << "ftdi:FT000";
        QTest::newRow("libftdi1 search error falls through to D2XX") << 1 << -5 << true << "d2xx:D2X";
        QTest::newRow("D2XX when nothing else") << 0 << 0 << true << "d2xx:D2X";
        QTest::newRow("nothing at all") << 1 << 0 << false << "";
    }

    void choosesInOrder() {
        QFETCH(int, portSet);
        QFETCH(int, ftdiCount);
        QFETCH(bool, d2xx);
        QFETCH(QString, expected);
        FakeMachine m;
        if (portSet >= 1) m.ports = {port("/dev/ttyS0", std::nullopt), port("/dev/ttyACM0", 0x2341, 0x0043)};
        if (portSet == 2) m.ports.insert(m.ports.begin() + 1, port("/dev/ttyUSB1", kFtdiVendorId, 0x6001, "LK200"));
        m.ftdiCount = ftdiCount;
        m.ftdiDescription = "LK200";
        m.ftdiError = "libusb_get_device_list() failed";
        m.d2xx = d2xx;
        m.d2xxList = std::vector<UsbDeviceSeen>{{kFtdiVendorId, 0x6001, "D2X", "LK200"}};
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        QCOMPARE(QString::fromStdString(d.link), expected);
        QCOMPARE(d.error.empty(), !expected.isEmpty());
        // A later way is only looked at when the earlier ones found nothing.
        if (expected.startsWith("serial:")) QCOMPARE(m.ftdiLooks + m.d2xxLooks, 0);
        if (expected.startsWith("ftdi")) QCOMPARE(m.d2xxLooks, 0);
    }

    // The one error line lists every way that was tried and points at --simulate.
    void nothingFoundSaysWhatWasTried() {
        FakeMachine m;
        m.ftdiCount = -5;
        m.ftdiError = "libusb_get_device_list() failed";
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        const QString e = QString::fromStdString(d.error);
        QVERIFY(d.link.empty());
        QVERIFY(e.contains("serial ports naming the LK200: none"));
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

    // Only adapters whose USB description names the LK200 are candidates; no other is opened
    // or asked anything. Among several candidates each is asked for its identification and
    // the one that answers is taken. When FTDI adapters are there but none names the LK200,
    // the error lists them by their --link texts.
    void onlyTheControllerIsProbed_data() {
        QTest::addColumn<QStringList>("ports");  // FTDI ports: path|description|serial
        QTest::addColumn<QStringList>("ftdi");   // libftdi1 devices: serial|description
        QTest::addColumn<QStringList>("answering");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("errorHas");
        const QString uart = "FT232R USB UART";
        QTest::newRow("one LK200 port: taken without asking")
            << QStringList{"/dev/ttyUSB0|LK200|A1"} << QStringList{} << QStringList{} << "serial:/dev/ttyUSB0"
            << QStringList{} << "";
        QTest::newRow("LK200 among other FTDI ports, any case")
            << QStringList{"/dev/ttyUSB0|" + uart + "|X9", "/dev/ttyUSB1|lk200 controller|A1"} << QStringList{}
            << QStringList{} << "serial:/dev/ttyUSB1" << QStringList{} << "";
        QTest::newRow("two LK200 ports: only they are asked")
            << QStringList{"/dev/ttyUSB0|LK200|A1", "/dev/ttyUSB1|" + uart + "|X9", "/dev/ttyUSB2|LK200|A2"}
            << QStringList{} << QStringList{"serial:/dev/ttyUSB2"} << "serial:/dev/ttyUSB2"
            << QStringList{"serial:/dev/ttyUSB0", "serial:/dev/ttyUSB2"} << "";
        QTest::newRow("no LK200 port answers: libftdi1 next")
            << QStringList{"/dev/ttyUSB0|LK200|A1", "/dev/ttyUSB1|LK200|A2"} << QStringList{"B7|LK200"} << QStringList{}
            << "ftdi:B7" << QStringList{"serial:/dev/ttyUSB0", "serial:/dev/ttyUSB1"} << "";
        QTest::newRow("libftdi1: the LK200 among other devices")
            << QStringList{} << QStringList{"FT000|" + uart, "B7|LK200"} << QStringList{} << "ftdi:B7" << QStringList{}
            << "";
        QTest::newRow("libftdi1 LK200 with a tty: taken as the tty")
            << QStringList{"/dev/ttyUSB3||B7"} << QStringList{"B7|LK200"} << QStringList{} << "serial:/dev/ttyUSB3"
            << QStringList{} << "";
        QTest::newRow("second LK200 device answers")
            << QStringList{} << QStringList{"B7|LK200", "B8|LK200", "FT000|" + uart} << QStringList{"ftdi:B8"}
            << "ftdi:B8" << QStringList{"ftdi:B7", "ftdi:B8"} << "";
        QTest::newRow("none of several LK200s answers")
            << QStringList{} << QStringList{"B7|LK200", "B8|LK200"} << QStringList{} << ""
            << QStringList{"ftdi:B7", "ftdi:B8"} << "none answered";
        QTest::newRow("other adapters only: listed, none opened")
            << QStringList{"/dev/ttyUSB0|" + uart + "|X9"} << QStringList{"X9|" + uart, "FT001|FT230X Basic UART"}
            << QStringList{} << "" << QStringList{}
            << "serial:/dev/ttyUSB0 (FT232R USB UART, serial X9), ftdi:X9 (FT232R USB UART, serial X9), "
               "ftdi:FT001 (FT230X Basic UART, serial FT001); name the controller with --link";
        QTest::newRow("LK200 without a serial number among others: not guessed")
            << QStringList{} << QStringList{"FT000|" + uart, "|LK200"} << QStringList{} << "" << QStringList{}
            << "ftdi (LK200, no serial number)";
        QTest::newRow("lone LK200 without a serial number")
            << QStringList{} << QStringList{"|LK200"} << QStringList{} << "ftdi" << QStringList{} << "";
    }
    void onlyTheControllerIsProbed() {
        QFETCH(QStringList, ports);
        QFETCH(QStringList, ftdi);
        QFETCH(QStringList, answering);
        QFETCH(QString, expected);
        QFETCH(QStringList, asked);
        QFETCH(QString, errorHas);
        FakeMachine m;
        for (const QString& p : ports) m.ports.push_back(portOf(p));
        for (const QString& d : ftdi) m.ftdiExtra.push_back(deviceOf(d));
        for (const QString& a : answering) m.answering.push_back(a.toStdString());
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        QCOMPARE(QString::fromStdString(d.link), expected);
        QStringList askedLinks;
        for (const std::string& a : m.asked) askedLinks << QString::fromStdString(a);
        QCOMPARE(askedLinks, asked);
        QVERIFY2(QString::fromStdString(d.error).contains(errorHas), d.error.c_str());
        QCOMPARE(d.error.empty(), !expected.isEmpty());
    }

    // D2XX opens "the first device" unless told which: without the library's list nothing
    // is chosen, since the first one may be another adapter.
    void d2xxWithoutItsListOpensNothing() {
        FakeMachine m;
        m.d2xx = true;
        const DiscoveredLink d = discoverDefaultLink(m.probes());
        QVERIFY(d.link.empty());
        QVERIFY2(d.error.find("D2XX: FT_CreateDeviceInfoList failed") != std::string::npos, d.error.c_str());
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

ZMX_TEST_MAIN(tst_linkdiscovery, TestLinkDiscovery, None)
#include "tst_linkdiscovery.moc"
