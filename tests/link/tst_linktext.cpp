// The --link texts: backends, device paths, USB serial numbers, custom USB IDs and line rates,
// and the texts refused with the reason.

#include <QtTest>

#include "link/LinkText.h"

using namespace zmx;

using Kind = ParsedLink::Kind;
Q_DECLARE_METATYPE(ParsedLink::Kind)

class TestLinkText : public QObject {
    Q_OBJECT
private slots:
    void accepted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("vid");  // -1: none
        QTest::addColumn<int>("pid");
        QTest::addColumn<int>("rate");
        QTest::newRow("find one") << "" << Kind::Auto << ""
                                  << "" << -1 << -1 << 9600;
        QTest::newRow("sim") << "sim" << Kind::Sim << ""
                             << "" << -1 << -1 << 9600;
        QTest::newRow("serial") << "serial:/dev/ttyUSB0" << Kind::Serial << "/dev/ttyUSB0"
                                << "" << -1 << -1 << 9600;
        QTest::newRow("serial with rate") << "serial:/dev/ttyUSB0@115200" << Kind::Serial << "/dev/ttyUSB0"
                                          << "" << -1 << -1 << 115200;
        QTest::newRow("serial path with @")
            << "serial:/dev/serial/by-id/usb-x@y-if00" << Kind::Serial << "/dev/serial/by-id/usb-x@y-if00"
            << "" << -1 << -1 << 9600;
        QTest::newRow("ftdi") << "ftdi" << Kind::Ftdi << ""
                              << "" << -1 << -1 << 9600;
        QTest::newRow("ftdi rate") << "ftdi@57600" << Kind::Ftdi << ""
                                   << "" << -1 << -1 << 57600;
        QTest::newRow("ftdi serial") << "ftdi:A10K3XYZ" << Kind::Ftdi << ""
                                     << "A10K3XYZ" << -1 << -1 << 9600;
        QTest::newRow("ftdi ids") << "ftdi:0403:6015" << Kind::Ftdi << ""
                                  << "" << 0x0403 << 0x6015 << 9600;
        QTest::newRow("ftdi ids serial rate") << "ftdi:1d50:60AB:LK01@19200" << Kind::Ftdi << ""
                                              << "LK01" << 0x1d50 << 0x60ab << 19200;
        QTest::newRow("d2xx serial") << "d2xx:LK01" << Kind::D2xx << ""
                                     << "LK01" << -1 << -1 << 9600;
        QTest::newRow("d2xx ids 0x") << "d2xx:0x0403:0x6001" << Kind::D2xx << ""
                                     << "" << 0x0403 << 0x6001 << 9600;
    }
    void accepted() {
        QFETCH(QString, text);
        QFETCH(Kind, kind);
        QFETCH(QString, path);
        QFETCH(QString, serial);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(int, rate);
        const ParsedLink s = parseLinkText(text.toStdString());
        QVERIFY2(s.error.empty(), s.error.c_str());
        QCOMPARE(s.kind, kind);
        QCOMPARE(QString::fromStdString(s.path), path);
        QCOMPARE(QString::fromStdString(s.serial), serial);
        QCOMPARE(s.vendorId ? int(*s.vendorId) : -1, vid);
        QCOMPARE(s.productId ? int(*s.productId) : -1, pid);
        QCOMPARE(int(s.rate), rate);
        QCOMPARE(s.rateGiven, text.contains('@') && !text.contains("x@y"));
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown kind") << "usb"
                                      << "not known";
        QTest::newRow("empty serial path") << "serial:"
                                           << "needs a device path";
        QTest::newRow("rate not a number") << "ftdi@fast"
                                           << "\"fast\" is not a number of baud";
        QTest::newRow("rate zero") << "d2xx@0"
                                   << "not a number of baud";
        QTest::newRow("rate absurd") << "serial:/dev/ttyUSB0@99999999999"
                                     << "not a number of baud";
        QTest::newRow("empty serial number") << "ftdi:"
                                             << "empty USB serial number";
        QTest::newRow("vid not hex") << "ftdi:04g3:6001"
                                     << "VID:PID";
        QTest::newRow("pid too short") << "d2xx:0403:601"
                                       << "VID:PID";
        QTest::newRow("too many parts") << "ftdi:0403:6001:A:B"
                                        << "VID:PID";
        QTest::newRow("ids with empty serial") << "ftdi:0403:6001:"
                                               << "empty USB serial number";
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        const ParsedLink s = parseLinkText(text.toStdString());
        const QString e = QString::fromStdString(s.error);
        QVERIFY2(e.contains(mentions), qPrintable(e));
        QVERIFY2(e.contains(text), qPrintable(e));  // the line names what was given
    }
};

QTEST_APPLESS_MAIN(TestLinkText)
#include "tst_linktext.moc"
