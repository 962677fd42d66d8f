// The serial link on a pseudo-terminal: raw bytes both ways, replies that come late, in
// pieces or not at all within the read time-out, a device that disappears, a path that
// cannot be opened, line settings that outlive the close, the lock on the device, purge and
// drain; and what sysfs tells of a USB adapter, on a tree built by the test.

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

#include "link/ControllerLink.h"
#include "link/SerialLink.h"
#include "link/TtySysfs.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

// The controller's side of a pseudo-terminal. The slave stays open here as well, so the
// master does not see a hang-up while the link has the device closed (after a failure).
struct Pty {
    int master = -1;
    int keepSlave = -1;
    std::string slavePath;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        slavePath = ::ptsname(master);
        keepSlave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(keepSlave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(keepSlave, TCSANOW, &t);
    }
    ~Pty() {
        if (keepSlave >= 0) ::close(keepSlave);
        if (master >= 0) ::close(master);
    }
    std::string take(int waitMs) {
        std::string out;
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, static_cast<std::size_t>(n));
            waitMs = 20;
        }
        return out;
    }
    void give(const std::string& s) { QCOMPARE(::write(master, s.data(), s.size()), ssize_t(s.size())); }
    // Writes into the link's direction until the terminal takes no more (the master reads
    // nothing meanwhile); returns how much went in. Through the slave held here: the link
    // holds the device exclusive, a new open would be refused.
    std::size_t fillTowardsMaster() {
        const int flags = ::fcntl(keepSlave, F_GETFL);
        ::fcntl(keepSlave, F_SETFL, flags | O_NONBLOCK);
        const std::string block(1024, 'f');
        std::size_t total = 0;
        for (;;) {
            const ssize_t n = ::write(keepSlave, block.data(), block.size());
            if (n > 0) total += static_cast<std::size_t>(n);
            pollfd p{keepSlave, POLLOUT, 0};
            if (n <= 0 && ::poll(&p, 1, 50) <= 0) break;  // no room came back: full
        }
        ::fcntl(keepSlave, F_SETFL, flags);
        return total;
    }
    void setHupcl() {
        termios t{};
        ::tcgetattr(keepSlave, &t);
        t.c_cflag |= HUPCL;  // as a USB serial tty comes up
        ::tcsetattr(keepSlave, TCSANOW, &t);
    }
};

// A file with its folders, for the sysfs tree of a test.
void writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

using Pieces = QList<QPair<int, QString>>;  // delay before the piece (ms), piece

}  // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!SerialLink::available()) QSKIP("built without serial port support");
    }

    void repliesWithinTheTimeout_data() {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("at once") << Pieces{{0, "0CA1B2C3D4E5F6A7B8C9D0"}} << 22 << "0CA1B2C3D4E5F6A7B8C9D0" << 0 << 500;
        QTest::newRow("in pieces") << Pieces{{30, "0CA1B2"}, {60, "C3D4E5F6"}, {40, "A7B8C9D0"}} << 22
                                   << "0CA1B2C3D4E5F6A7B8C9D0" << 120 << 700;
        QTest::newRow("late, after the deadline") << Pieces{{50, "0CA1"}, {600, "B2C3"}} << 8 << "0CA1" << 295 << 580;
        QTest::newRow("never") << Pieces{} << 22 << "" << 295 << 580;
    }

    void repliesWithinTheTimeout() {
        QFETCH(Pieces, pieces);
        QFETCH(int, asked);
        QFETCH(QString, expected);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        Pty pty;
        QVERIFY(!pty.slavePath.empty());
        SerialLink link(pty.slavePath);
        QVERIFY2(link.open(), link.lastError().c_str());
        link.setTimeouts(300, 300);
        QCOMPARE(link.write("MSxT80T49T02TCERRRRRRRX"), std::size_t(23));
        QCOMPARE(pty.take(200), std::string("MSxT80T49T02TCERRRRRRRX"));
        std::thread controller([&] {
            for (const auto& [delay, piece] : pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                pty.give(piece.toStdString());
            }
        });
        QElapsedTimer t;
        t.start();
        const std::string got = link.read(static_cast<std::size_t>(asked));
        const qint64 ms = t.elapsed();
        controller.join();
        link.close();
        QCOMPARE(QString::fromStdString(got), expected);
        QVERIFY2(ms >= minMs && ms <= maxMs, qPrintable(QString::number(ms)));
    }

    // Every byte value crosses unchanged: no echo, no line-end translation, no flow control.
    void bytesAreRaw() {
        Pty pty;
        SerialLink link(pty.slavePath);
        QVERIFY(link.open());
        link.setTimeouts(200, 200);
        std::string all;
        for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
        QCOMPARE(link.write(all), all.size());
        QCOMPARE(pty.take(300), all);
        pty.give(all);
        QCOMPARE(link.read(all.size()), all);
        link.close();
    }

    // A stale reply of an earlier exchange never starts the next reply.
    void transferDropsStaleInput() {
        Pty pty;
        ControllerLink link(std::make_unique<SerialLink>(pty.slavePath));
        pty.give("FFFF");  // left over from an earlier exchange
        std::thread controller([&] {
            if (pty.take(500) == "IZ") pty.give("ZMX7730-4");
        });
        QCOMPARE(link.Identify(), std::string("ZMX7730-4"));
        controller.join();
    }

    void openFailureSaysWhy_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("hint");
        QTest::newRow("no such port") << "/dev/zmx-no-such-port"
                                      << "is the LK200 plugged in? --list-links";
        QTest::newRow("a device that is not a terminal") << "/dev/null"
                                                         << "not a serial device";
    }
    void openFailureSaysWhy() {
        QFETCH(QString, path);
        QFETCH(QString, hint);
        SerialLink link(path.toStdString());
        QVERIFY(!link.open());
        QVERIFY(!link.isOpen());
        const QString why = QString::fromStdString(link.lastError());
        QVERIFY2(why.contains(path) && why.contains(hint), qPrintable(why));
        // A transfer on a device that cannot be opened reads nothing and does not block.
        ControllerLink cl(std::make_unique<SerialLink>(path.toStdString()));
        QElapsedTimer t;
        t.start();
        QCOMPARE(cl.SendAndReceive("MSxT80T49T02TCERRRRRRRX", 22), std::string());
        QVERIFY(t.elapsed() < 500);
    }

    // The controller goes away while a reply is awaited: the read ends, it does not hang.
    void controllerVanishesDuringRead() {
        auto pty = std::make_unique<Pty>();
        SerialLink link(pty->slavePath);
        QVERIFY(link.open());
        link.setTimeouts(1000, 1000);
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pty.reset();
        });
        QElapsedTimer t;
        t.start();
        const std::string got = link.read(22);
        killer.join();
        link.close();
        QVERIFY(got.empty());
        QVERIFY2(t.elapsed() <= 1100, qPrintable(QString::number(t.elapsed())));
    }

    // The line is raw 8N1 at the rate asked for, standard or not, and stays without HUPCL
    // after the close, so the close does not drop DTR and RTS; a rate no chip runs is refused
    // by name.
    void lineSettingsOutliveTheClose_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9600, the default") << 9600 << true;
        QTest::newRow("115200") << 115200 << true;
        QTest::newRow("250000, not in the table") << 250000 << true;
        QTest::newRow("31250, not in the table") << 31250 << true;
        QTest::newRow("0 refused") << 0 << false;
        QTest::newRow("20000000 refused") << 20000000 << false;
    }
    void lineSettingsOutliveTheClose() {
        QFETCH(int, rate);
        QFETCH(bool, accepted);
        Pty pty;
        pty.setHupcl();
        SerialLink link(pty.slavePath, static_cast<uint32_t>(rate));
        if (!accepted) {
            QVERIFY(!link.open());
            QVERIFY2(QString::fromStdString(link.lastError()).contains(QString::number(rate) + " baud"),
                     link.lastError().c_str());
            QVERIFY(!link.isOpen());
            return;
        }
        QVERIFY2(link.open(), link.lastError().c_str());
        QCOMPARE(link.wireTiming().lineRate, uint32_t(rate));
        QCOMPARE(link.wireTiming().latencyMs, kDefaultLatencyMs);  // a pty has no latency timer
        QCOMPARE(link.usbSerial(), std::string());
        link.close();
        termios t{};
        QVERIFY(::tcgetattr(pty.keepSlave, &t) == 0);
        QVERIFY(!(t.c_cflag & HUPCL));
        QCOMPARE(int(t.c_cflag & CSIZE), int(CS8));
        QVERIFY(!(t.c_cflag & (PARENB | CSTOPB | CRTSCTS)));
        QVERIFY(t.c_cflag & CLOCAL);
        QVERIFY(!(t.c_iflag & (IXON | IXOFF)));
        QVERIFY(!(t.c_lflag & (ICANON | ECHO)));
    }

    // A second link on the same device is refused whatever name it came by, and the message
    // names the process that holds it; once the first is closed the second opens.
    void secondOpenOfTheDeviceRefused_data() {
        QTest::addColumn<bool>("throughSymlink");
        QTest::newRow("same name") << false;
        QTest::newRow("through a symlink") << true;
    }
    void secondOpenOfTheDeviceRefused() {
        QFETCH(bool, throughSymlink);
        Pty pty;
        QTemporaryDir dir;
        std::string path = pty.slavePath;
        if (throughSymlink) {
            path = dir.filePath("lk200").toStdString();
            QVERIFY(::symlink(pty.slavePath.c_str(), path.c_str()) == 0);
        }
        SerialLink first(pty.slavePath);
        QVERIFY2(first.open(), first.lastError().c_str());
        SerialLink second(path);
        QVERIFY(!second.open());
        const QString why = QString::fromStdString(second.lastError());
        QVERIFY2(why.contains("another program has the port open"), qPrintable(why));
        // The holder is named by its program (this test program) and process.
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY2(why.contains(QString("%1, process %2").arg(self).arg(::getpid())), qPrintable(why));
        first.close();
        QVERIFY2(second.open(), second.lastError().c_str());
    }

    // A purge drops what came in, never what the link wrote and the controller has not read.
    void purgeDropsInputOnly() {
        Pty pty;
        SerialLink link(pty.slavePath);
        QVERIFY(link.open());
        link.setTimeouts(300, 300);
        QCOMPARE(link.write("MSxT80T49T02TCERRRRRRRX"), std::size_t(23));
        pty.give("FFFF");
        link.purgeInput();
        QVERIFY(link.isOpen());
        pty.give("0CA1");
        QCOMPARE(link.read(8), std::string("0CA1"));
        QCOMPARE(pty.take(200), std::string("MSxT80T49T02TCERRRRRRRX"));
    }

    // A drain is not over while the other end has not taken the output (within its time-out,
    // it does not hang), and is once it has.
    void drainWaitsForTheOutputToLeave() {
        Pty pty;
        SerialLink link(pty.slavePath);
        QVERIFY(link.open());
        link.setTimeouts(300, 1000);
        const std::string command(512, 'W');
        QCOMPARE(link.write(command), command.size());
        QVERIFY(pty.fillTowardsMaster() > 0);
        QVERIFY(!link.drainOutput(100));
        QVERIFY(link.isOpen());
        QVERIFY(pty.take(200).starts_with(command));
        QVERIFY(link.drainOutput(1000));
    }

    // The USB serial number is the nearest USB device's above the tty, never the root hub's.
    void usbSerialFromSysfs_data() {
        QTest::addColumn<QString>("tty");
        QTest::addColumn<QString>("expected");
        QTest::newRow("FTDI adapter") << "ttyUSB0"
                                      << "A10K3XYZ";
        QTest::newRow("USB adapter without a serial number") << "ttyUSB1"
                                                             << "";
        QTest::newRow("built-in UART") << "ttyS0"
                                       << "";
        QTest::newRow("no such tty") << "ttyUSB9"
                                     << "";
    }
    void usbSerialFromSysfs() {
        QFETCH(QString, tty);
        QFETCH(QString, expected);
        QTemporaryDir sys;
        const QString hub = sys.filePath("devices/pci0000:00/0000:00:14.0/usb1");
        writeFile(hub + "/idVendor", "1d6b\n");
        writeFile(hub + "/serial", "0000:00:14.0\n");
        writeFile(hub + "/1-1/idVendor", "0403\n");
        writeFile(hub + "/1-1/serial", "A10K3XYZ\n");
        writeFile(hub + "/1-1/1-1:1.0/ttyUSB0/uevent", "");
        writeFile(hub + "/1-2/idVendor", "0403\n");
        writeFile(hub + "/1-2/1-2:1.0/ttyUSB1/uevent", "");
        writeFile(sys.filePath("devices/platform/serial8250/ttyS0/uevent"), "");
        const QStringList devices{hub + "/1-1/1-1:1.0/ttyUSB0", hub + "/1-2/1-2:1.0/ttyUSB1",
                                  sys.filePath("devices/platform/serial8250/ttyS0")};
        for (const QString& device : devices) {
            const QString classDir = sys.filePath("class/tty/" + QFileInfo(device).fileName());
            QDir().mkpath(classDir);
            QVERIFY(QFile::link(device, classDir + "/device"));
        }
        QCOMPARE(QString::fromStdString(usbSerialOfTty(tty.toStdString(), sys.path().toStdString())), expected);
    }

    // The latency timer is lowered through a writable latency_timer file when the driver's
    // flag cannot be set (as on a pty), and read back; without a file it is the default.
    void latencyFromSysfs_data() {
        QTest::addColumn<QByteArray>("timerFile");  // empty: none
        QTest::addColumn<int>("expectedMs");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::newRow("16 lowered to 1") << QByteArray("16\n") << 1 << QByteArray("1");
        QTest::newRow("no latency_timer") << QByteArray() << kDefaultLatencyMs << QByteArray();
    }
    void latencyFromSysfs() {
        QFETCH(QByteArray, timerFile);
        QFETCH(int, expectedMs);
        QFETCH(QByteArray, fileAfter);
        QTemporaryDir sys;
        const QString file = sys.filePath("class/tty/ttyUSB0/device/latency_timer");
        if (!timerFile.isEmpty()) writeFile(file, timerFile);
        Pty pty;
        QCOMPARE(lowerLatency(pty.keepSlave, "ttyUSB0", sys.path().toStdString()), expectedMs);
        if (!fileAfter.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll().trimmed(), fileAfter);
        }
    }
};

ZMX_TEST_MAIN(tst_seriallink, TestSerialLink, Core)
#include "tst_seriallink.moc"
