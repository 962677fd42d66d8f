// Waiting for a lost controller: when it counts as lost, that only the same controller (same
// device, same identification) ends the wait, and how long it was gone.

#include <QtTest>

#include "session/ReconnectWatch.h"

using namespace zmx;

namespace {
using Event = ReconnectWatch::Event;
constexpr const char* kId = "ZMX7730-4 LK200 SIMULATED STACK";
}  // namespace

Q_DECLARE_METATYPE(ReconnectWatch::Event)

class TestReconnectWatch : public QObject {
    Q_OBJECT
private slots:
    // A run: answering, lost at t=1000, then one identification at t=1100 from a device with
    // a reply; Back only when both match what was known before the loss.
    void whoIsTakenBack_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<Event>("event");
        QTest::newRow("same controller") << "serial:/dev/pts/3" << kId << true << Event::Back;
        QTest::newRow("same, padded reply") << "serial:/dev/pts/3" << QString(kId) + "   " << true << Event::Back;
        QTest::newRow("other identification text") << "serial:/dev/pts/3"
                                                   << "ZMX7730-4 LK200 OTHER" << true << Event::Stranger;
        QTest::newRow("other USB serial") << "ftdi serial B2" << kId << true << Event::Stranger;
        QTest::newRow("nothing answers") << "serial:/dev/pts/3"
                                         << "" << false << Event::StillLost;
        QTest::newRow("unsupported answer") << "serial:/dev/pts/3"
                                            << "ZMX7730-3" << false << Event::StillLost;
    }
    void whoIsTakenBack() {
        QFETCH(QString, device);
        QFETCH(QString, reply);
        QFETCH(bool, ok);
        QFETCH(Event, event);
        ReconnectWatch w;
        QCOMPARE(w.identified(true, kId, "serial:/dev/pts/3", 0), Event::Answering);
        QCOMPARE(w.identified(true, kId, "serial:/dev/pts/3", 900), Event::Answering);
        QVERIFY(!w.lost());
        QCOMPARE(w.identified(false, "", "serial:/dev/pts/3", 1000), Event::Lost);
        QVERIFY(w.lost());
        QCOMPARE(w.lostForMs(1050), qint64(50));
        QCOMPARE(w.identified(ok, reply.toStdString(), device.toStdString(), 1100), event);
        QCOMPARE(w.lost(), event != Event::Back);
        if (event == Event::Back) {
            QCOMPARE(w.lastGapMs(), qint64(100));
            QCOMPARE(w.lostForMs(1200), qint64(0));
        }
    }

    // A stranger never ends the wait, however often it answers; the lost one still does, and
    // the gap counts from the loss, not from the stranger's answers.
    void strangerDoesNotEndTheWait() {
        ReconnectWatch w;
        w.identified(true, kId, "ftdi serial A1", 0);
        QCOMPARE(w.identified(false, "", "ftdi serial A1", 100), Event::Lost);
        for (int t = 200; t < 1000; t += 100) QCOMPARE(w.identified(true, kId, "ftdi serial B2", t), Event::Stranger);
        QCOMPARE(w.identified(true, kId, "ftdi serial A1", 2600), Event::Back);
        QCOMPARE(w.lastGapMs(), qint64(2500));
        // Lost again later: a new gap.
        QCOMPARE(w.identified(false, "", "ftdi serial A1", 5000), Event::Lost);
        QCOMPARE(w.identified(true, kId, "ftdi serial A1", 5300), Event::Back);
        QCOMPARE(w.lastGapMs(), qint64(300));
    }

    void gapsReadAsAPersonSaysThem_data() {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("ms") << qint64(340) << "0.3 s";
        QTest::newRow("seconds") << qint64(12345) << "12.3 s";
        QTest::newRow("minutes") << qint64(65000) << "1 min 05 s";
        QTest::newRow("hours") << qint64(2 * 3600000 + 3 * 60000) << "2 h 03 min";
        QTest::newRow("negative clock step") << qint64(-5) << "0.0 s";
    }
    void gapsReadAsAPersonSaysThem() {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(gapText(ms)), text);
    }
};

QTEST_APPLESS_MAIN(TestReconnectWatch)
#include "tst_reconnectwatch.moc"
