// The read-with-time-out of the hardware links: bytes that come late, in pieces, too many,
// or never, against a device and a clock that the test drives.

#include <QtTest>

#include "link/ReadDeadline.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {

// A device whose bytes arrive at given times of a fake clock; waiting moves the clock.
struct TimedDevice {
    struct Arrival {
        int64_t atMs;
        std::string bytes;
    };
    std::vector<Arrival> arrivals;
    int64_t failAtMs = -1;  // the device fails from this time on
    int64_t clock = 0;
    std::string ready;  // arrived, not yet taken
    std::vector<int> waits;

    void deliverUpTo(int64_t t) {
        while (!arrivals.empty() && arrivals.front().atMs <= t) {
            ready += arrivals.front().bytes;
            arrivals.erase(arrivals.begin());
        }
    }
    std::optional<std::string> readSome(std::size_t want, int waitMs) {
        waits.push_back(waitMs);
        deliverUpTo(clock);
        if (ready.empty() && waitMs > 0) {
            const int64_t until = clock + waitMs;
            const bool comes = !arrivals.empty() && arrivals.front().atMs <= until;
            clock = comes ? arrivals.front().atMs : until;
            deliverUpTo(clock);
        }
        if (failAtMs >= 0 && clock >= failAtMs) return std::nullopt;
        // Hands over everything that is there, even beyond `want`, as a careless driver might.
        std::string out = ready;
        ready.clear();
        (void)want;
        return out;
    }
};

using Arrivals = std::vector<TimedDevice::Arrival>;

}  // namespace

Q_DECLARE_METATYPE(Arrivals)

class TestReadDeadline : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<Arrivals>("arrivals");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("failAtMs");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("endsAtMs");
        QTest::addColumn<bool>("timedOut");
        QTest::addColumn<bool>("failed");

        QTest::newRow("whole reply at once")
            << Arrivals{{0, "ZMX7730-4"}} << 9 << 200 << -1 << "ZMX7730-4" << 0 << false << false;
        QTest::newRow("in pieces, complete before the deadline")
            << Arrivals{{3, "0C"}, {40, "A1"}, {41, "0"}, {990, "0FF"}} << 8 << 1000 << -1 << "0CA100FF" << 990 << false
            << false;
        QTest::newRow("late piece after the deadline is not waited for")
            << Arrivals{{10, "AB"}, {1500, "CD"}} << 4 << 1000 << -1 << "AB" << 1000 << true << false;
        QTest::newRow("nothing ever comes") << Arrivals{} << 22 << 1000 << -1 << "" << 1000 << true << false;
        QTest::newRow("identification shorter than 50 ends at its time-out")
            << Arrivals{{5, "ZMX7730-2 LK200"}} << 50 << 200 << -1 << "ZMX7730-2 LK200" << 200 << true << false;
        QTest::newRow("piece exactly at the deadline is kept")
            << Arrivals{{1000, "EF"}} << 2 << 1000 << -1 << "EF" << 1000 << false << false;
        QTest::newRow("more than asked is cut to the request")
            << Arrivals{{0, "0123456789"}} << 4 << 1000 << -1 << "0123" << 0 << false << false;
        QTest::newRow("zero time-out still takes what is there")
            << Arrivals{{0, "AB"}, {1, "CD"}} << 4 << 0 << -1 << "AB" << 0 << true << false;
        QTest::newRow("device fails mid-reply keeps what came")
            << Arrivals{{0, "12"}, {100, "34"}} << 6 << 1000 << 60 << "12" << 60 << false << true;
    }

    void reads() {
        QFETCH(Arrivals, arrivals);
        QFETCH(int, maxBytes);
        QFETCH(int, timeoutMs);
        QFETCH(int, failAtMs);
        QFETCH(QString, expected);
        QFETCH(int, endsAtMs);
        QFETCH(bool, timedOut);
        QFETCH(bool, failed);

        TimedDevice dev;
        dev.arrivals = arrivals;
        dev.failAtMs = failAtMs;
        const DeadlineRead r = readWithDeadline(
            static_cast<std::size_t>(maxBytes), timeoutMs,
            [&](std::size_t want, int waitMs) { return dev.readSome(want, waitMs); }, [&] { return dev.clock; });

        QCOMPARE(QString::fromStdString(r.bytes), expected);
        QCOMPARE(dev.clock, int64_t(endsAtMs));
        QCOMPARE(r.timedOut, timedOut);
        QCOMPARE(r.failed, failed);
        // No single wait is longer than a slice or than the time that was left.
        for (int w : dev.waits) QVERIFY2(w >= 0 && w <= kReadSliceMs, qPrintable(QString::number(w)));
    }

    // A device that never waits by itself (libftdi1's read) is looked at again after naps,
    // with the same results and the same deadline.
    void polls_data() { reads_data(); }
    void polls() {
        QFETCH(Arrivals, arrivals);
        QFETCH(int, maxBytes);
        QFETCH(int, timeoutMs);
        QFETCH(int, failAtMs);
        QFETCH(QString, expected);
        QFETCH(int, endsAtMs);
        QFETCH(bool, timedOut);
        QFETCH(bool, failed);

        TimedDevice dev;
        dev.arrivals = arrivals;
        dev.failAtMs = failAtMs;
        int looks = 0;
        const DeadlineRead r = pollWithDeadline(
            static_cast<std::size_t>(maxBytes), timeoutMs,
            [&](std::size_t want) {
                ++looks;
                return dev.readSome(want, 0);
            },
            [&] { return dev.clock; },
            [&](int ms) {
                QVERIFY(ms >= 1 && ms <= kPollNapMs);
                dev.clock += ms;
            });

        QCOMPARE(QString::fromStdString(r.bytes), expected);
        QCOMPARE(dev.clock, int64_t(endsAtMs));
        QCOMPARE(r.timedOut, timedOut);
        QCOMPARE(r.failed, failed);
        // No busy loop: one look per nap, and one more per slice of the outer loop.
        const int bound = endsAtMs / kPollNapMs + endsAtMs / kReadSliceMs + 3 + int(arrivals.size());
        QVERIFY2(looks <= bound, qPrintable(QString::number(looks)));
    }

    void nothingAskedNothingRead() {
        int calls = 0;
        const DeadlineRead r = readWithDeadline(
            0, 1000,
            [&](std::size_t, int) -> std::optional<std::string> {
                ++calls;
                return std::string("X");
            },
            [] { return int64_t(0); });
        QCOMPARE(calls, 0);
        QVERIFY(r.bytes.empty());
        QVERIFY(!r.timedOut);
    }

    // With the real clock a silent device costs the time-out, not more.
    void realClockKeepsTheTimeout() {
        QElapsedTimer t;
        t.start();
        const DeadlineRead r = readWithDeadline(
            10, 60,
            [](std::size_t, int waitMs) -> std::optional<std::string> {
                QThread::msleep(static_cast<unsigned long>(waitMs));
                return std::string();
            },
            steadyNowMs);
        QVERIFY(r.timedOut);
        QVERIFY2(t.elapsed() >= 59 && t.elapsed() < 200, qPrintable(QString::number(t.elapsed())));
    }
};

ZMX_TEST_MAIN(tst_readdeadline, TestReadDeadline, None)
#include "tst_readdeadline.moc"
