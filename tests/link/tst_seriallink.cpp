// The serial link on a pseudo-terminal: raw bytes both ways, replies that come late, in
// pieces or not at all within the read time-out, a device that disappears, and a path that
// cannot be opened.

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

#include "link/ControllerLink.h"
#include "link/SerialLink.h"

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
};

using Pieces = QList<QPair<int, QString>>;  // delay before the piece (ms), piece

}  // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!SerialLink::available()) QSKIP("built without Qt Serial Port");
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

    void openFailureSaysWhy() {
        SerialLink link("/dev/zmx-no-such-port");
        QVERIFY(!link.open());
        QVERIFY(QString::fromStdString(link.lastError()).contains("/dev/zmx-no-such-port"));
        // A transfer on a device that cannot be opened reads nothing and does not block.
        ControllerLink cl(std::make_unique<SerialLink>("/dev/zmx-no-such-port"));
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
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
