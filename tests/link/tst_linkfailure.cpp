// A controller that goes away in the middle of a transfer (between the write and the read),
// a hundred times over: nothing crashes, every transfer ends within its time-out, and no file
// descriptor is left behind. Also the serial line's settings once the port is held open.

#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "link/ControllerLink.h"
#include "link/SerialLink.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

int openDescriptors() {
    DIR* d = ::opendir("/proc/self/fd");
    if (!d) return -1;
    int n = 0;
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') ++n;
    ::closedir(d);
    return n - 1;  // the directory's own descriptor
}

// Both ends of a pseudo-terminal, reached through a link of its own name; hangUp() is the
// controller being unplugged: the device and its name go. (The /dev/pts number itself may
// be handed to another program's terminal at once, so the link is opened by the name.)
struct LinkedPty {
    int master = -1, keepSlave = -1;
    std::string path;
    LinkedPty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        const std::string device = ::ptsname(master);
        static int serial = 0;
        path = QDir::temp().filePath(QString("zmx-pty-%1-%2").arg(::getpid()).arg(++serial)).toStdString();
        ::unlink(path.c_str());
        if (::symlink(device.c_str(), path.c_str()) != 0) path.clear();
        keepSlave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        ::tcgetattr(keepSlave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(keepSlave, TCSANOW, &t);
    }
    void hangUp() {
        if (!path.empty()) ::unlink(path.c_str());
        if (keepSlave >= 0) ::close(keepSlave);
        if (master >= 0) ::close(master);
        keepSlave = master = -1;
    }
    ~LinkedPty() { hangUp(); }
};

// Passes everything to a serial link, and pulls the plug right after the write.
class UnplugAfterWrite : public LinkBackend {
public:
    UnplugAfterWrite(LinkedPty& pty) : pty_(pty), inner_(pty.path) {}
    std::string name() const override { return inner_.name(); }
    bool open() override { return inner_.open(); }
    bool isOpen() const override { return inner_.isOpen(); }
    void setTimeouts(int r, int w) override { inner_.setTimeouts(r, w); }
    std::size_t write(std::string_view b) override {
        const std::size_t n = inner_.write(b);
        pty_.hangUp();
        return n;
    }
    std::string read(std::size_t n) override { return inner_.read(n); }
    void purgeInput() override { inner_.purgeInput(); }
    void close() override { inner_.close(); }
    std::string lastError() const override { return inner_.lastError(); }
    WireTiming wireTiming() const override { return inner_.wireTiming(); }
    bool drainOutput(int timeoutMs) override { return inner_.drainOutput(timeoutMs); }

private:
    LinkedPty& pty_;
    SerialLink inner_;
};

// One controller lost mid-transfer: the transfer and the next one (whose open fails) both
// come back empty.
void failOnce() {
    LinkedPty pty;
    QVERIFY(!pty.path.empty());
    ControllerLink link(std::make_unique<UnplugAfterWrite>(pty));
    QCOMPARE(link.Identify(), std::string());
    QVERIFY(!link.backend().isOpen());  // closed after the failure
    QCOMPARE(link.Identify(), std::string());
    QVERIFY(!link.backend().lastError().empty());
}

}  // namespace

class TestLinkFailure : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!SerialLink::available()) QSKIP("built without Qt Serial Port");
    }

    void failuresMidTransferLeakNothing() {
        failOnce();  // the toolkit's own descriptors, opened once, are in place after this
        const int before = openDescriptors();
        QVERIFY(before > 0);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 100; ++i) {
            failOnce();
            if (QTest::currentTestFailed()) return;
        }
        QCOMPARE(openDescriptors(), before);
        // Each transfer ends within its 200 ms time-out; most at once, on the hang-up.
        QVERIFY2(t.elapsed() < 100 * 2 * 250, qPrintable(QString::number(t.elapsed())));
    }

    // A port another program holds is named as such, not as a lack of rights.
    void portInUseIsNamed() {
        LinkedPty pty;
        SerialLink first(pty.path);
        QVERIFY(first.open());
        SerialLink second(pty.path);
        if (second.open()) QSKIP("this Qt Serial Port does not lock the port");
        QVERIFY2(QString::fromStdString(second.lastError()).contains("another program has the port open"),
                 second.lastError().c_str());
    }

    // Held open, the port is raw 8N1 at 9600 (or the rate asked for), and a close no longer
    // drops the modem lines (no HUPCL).
    void lineSettingsOnceOpen_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("speed");
        QTest::newRow("default") << 9600 << int(B9600);
        QTest::newRow("asked for") << 115200 << int(B115200);
    }
    void lineSettingsOnceOpen() {
        QFETCH(int, rate);
        QFETCH(int, speed);
        LinkedPty pty;
        termios t{};
        ::tcgetattr(pty.keepSlave, &t);
        t.c_cflag |= HUPCL;  // as a USB serial tty comes up
        ::tcsetattr(pty.keepSlave, TCSANOW, &t);
        SerialLink link(pty.path, static_cast<uint32_t>(rate));
        QVERIFY2(link.open(), link.lastError().c_str());
        QVERIFY(::tcgetattr(pty.keepSlave, &t) == 0);
        QCOMPARE(int(::cfgetospeed(&t)), speed);
        QCOMPARE(int(t.c_cflag & CSIZE), int(CS8));
        QVERIFY(!(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL)));
        QVERIFY(!(t.c_iflag & (IXON | IXOFF)));
        link.close();
    }
};

ZMX_TEST_MAIN(tst_linkfailure, TestLinkFailure, Core)
#include "tst_linkfailure.moc"
