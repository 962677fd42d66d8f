// The --link texts: backends, device paths, USB serial numbers, custom USB IDs and line rates,
// and the texts refused with the reason; the window's and the command line's options take and
// refuse every one of them alike.

#include <QtTest>

#include "cli/CliOptions.h"
#include "cli/CommandLine.h"
#include "link/LinkText.h"
#include "support/TestMain.h"

using namespace zmx;

using Kind = ParsedLink::Kind;
Q_DECLARE_METATYPE(ParsedLink::Kind)

namespace {

// What each program's option parser says about --link TEXT (empty: taken).
QString windowVerdict(const QString& text) {
    return QString::fromStdString(parseCommandLine({"--link", text.toStdString()}).error);
}
QString commandLineVerdict(const QString& text) {
    return QString::fromStdString(parseCliArgs({"--link", text.toStdString(), "identify"}).error);
}

}  // namespace

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
        QTest::newRow("ftdi ids serial") << "ftdi:0403:6001:A10K3XYZ" << Kind::Ftdi << ""
                                         << "A10K3XYZ" << 0x0403 << 0x6001 << 9600;
        QTest::newRow("ftdi serial rate") << "ftdi:A10K3XYZ@115200" << Kind::Ftdi << ""
                                          << "A10K3XYZ" << -1 << -1 << 115200;
        QTest::newRow("d2xx") << "d2xx" << Kind::D2xx << ""
                              << "" << -1 << -1 << 9600;
        QTest::newRow("d2xx rate") << "d2xx@230400" << Kind::D2xx << ""
                                   << "" << -1 << -1 << 230400;
        QTest::newRow("d2xx ids serial rate") << "d2xx:0403:6015:FT9QWERT@19200" << Kind::D2xx << ""
                                              << "FT9QWERT" << 0x0403 << 0x6015 << 19200;
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
        if (text.isEmpty()) return;  // no --link at all
        QCOMPARE(windowVerdict(text), QString());
        QCOMPARE(commandLineVerdict(text), QString());
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
        QTest::newRow("rate without a path") << "serial:@9600"
                                             << "needs a device path";
        QTest::newRow("vid without pid") << "d2xx:0403:"
                                         << "VID:PID";
        QTest::newRow("sim with a device") << "sim:1"
                                           << "not known";
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        const ParsedLink s = parseLinkText(text.toStdString());
        const QString e = QString::fromStdString(s.error);
        QVERIFY2(e.contains(mentions), qPrintable(e));
        QVERIFY2(e.contains(text), qPrintable(e));  // the line names what was given
        QCOMPARE(windowVerdict(text), e);
        QCOMPARE(commandLineVerdict(text), e);
    }

    // Both programs' --help list every form the parser takes.
    void usageTextsListEveryForm() {
        const QStringList forms = QString(linkTextForms()).split(QRegularExpression(", | or "));
        QCOMPARE(forms.size(), 6);
        for (const QString& form : forms) {
            QVERIFY2(QString::fromStdString(usageText()).contains(form), qPrintable(form));
            QVERIFY2(QString::fromStdString(cliUsage()).contains(form), qPrintable(form));
        }
    }
};

ZMX_TEST_MAIN(tst_linktext, TestLinkText, None)
#include "tst_linktext.moc"
