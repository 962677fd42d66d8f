// Waiting for a lost controller: when it counts as lost, which controller that answers is
// taken back (the adapter's USB serial number, else the identification text and the boards
// answering), and how long it was gone.

#include <QtTest>

#include "session/ReconnectWatch.h"
#include "support/TestMain.h"

using namespace zmx;

namespace {
using Event = ReconnectWatch::Event;
using Mismatch = ReconnectWatch::Mismatch;
constexpr const char* kId = "ZMX7730-4 LK200 SIMULATED STACK";

BoardRead configRead(int slot, bool pecMatch, const std::string& reply = "E000000000004A") {
    BoardRead r;
    r.kind = ReadKind::Config;
    r.slot = slot;
    r.reply = reply;
    r.pecMatch = pecMatch;
    return r;
}

// Slots 0..5 read again after the return, '1' where the read's PEC matched.
std::vector<BoardRead> rereadOf(const QString& answering) {
    std::vector<BoardRead> reads;
    for (int s = 0; s < answering.size(); ++s) reads.push_back(configRead(s, answering[s] == '1'));
    return reads;
}

// Before the loss boards 1..3 answered (board 2's last read was cut short by the loss and
// tells nothing), board 4 returned a reply that failed its PEC (not there), board 5 only
// empty replies and board 6 was never read: neither of those two is known.
void feedBoardsBeforeTheLoss(ReconnectWatch& w) {
    for (int s = 0; s < 3; ++s) w.onRead(configRead(s, true));
    w.onRead(configRead(1, false, ""));
    w.onRead(configRead(3, false, "FFFFFFFFFFFFFF"));
    w.onRead(configRead(4, false, ""));
}
}  // namespace

Q_DECLARE_METATYPE(ReconnectWatch::Event)
Q_DECLARE_METATYPE(ReconnectWatch::Mismatch)

class TestReconnectWatch : public QObject {
    Q_OBJECT
private slots:
    // A run: the controller (serial knownSerial) answering, lost at t=1000, then at t=1100 one
    // that answers with a reply and serial; its boards are read when it may be the lost one.
    void whoIsTakenBack_data() {
        QTest::addColumn<QString>("knownSerial");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("boards");  // slots 0..5 after the return, '1' answering
        QTest::addColumn<Event>("event");
        QTest::addColumn<Mismatch>("why");
        const QString same = "111000";
        QTest::newRow("serial same, id same, boards same")
            << "A1"
            << "A1" << kId << true << same << Event::Back << Mismatch::None;
        QTest::newRow("serial same, boards differ: the serial proves it")
            << "A1"
            << "A1" << kId << true << "100000" << Event::Back << Mismatch::None;
        QTest::newRow("serial same, id different")
            << "A1"
            << "A1"
            << "ZMX7730-4 LK200 OTHER" << true << same << Event::Stranger << Mismatch::Identification;
        QTest::newRow("serial different, id and boards same")
            << "A1"
            << "B2" << kId << true << same << Event::Stranger << Mismatch::UsbSerial;
        QTest::newRow("serial absent, id same, boards same")
            << ""
            << "" << kId << true << same << Event::Back << Mismatch::None;
        QTest::newRow("serial absent, padded reply")
            << ""
            << "" << QString(kId) + "  \r" << true << same << Event::Back << Mismatch::None;
        QTest::newRow("serial absent, a known board missing")
            << ""
            << "" << kId << true << "101000" << Event::Stranger << Mismatch::Boards;
        QTest::newRow("serial absent, a board answers where none did")
            << ""
            << "" << kId << true << "111100" << Event::Stranger << Mismatch::Boards;
        QTest::newRow("serial absent, boards never known answer now")
            << ""
            << "" << kId << true << "111011" << Event::Back << Mismatch::None;
        QTest::newRow("serial absent, id different")
            << ""
            << ""
            << "ZMX7730-4 LK200 OTHER" << true << same << Event::Stranger << Mismatch::Identification;
        QTest::newRow("serial known, answering one tells none, boards same")
            << "A1"
            << "" << kId << true << same << Event::Back << Mismatch::None;
        QTest::newRow("serial known, answering one tells none, boards differ")
            << "A1"
            << "" << kId << true << "011000" << Event::Stranger << Mismatch::Boards;
        QTest::newRow("nothing answers") << "A1"
                                         << "A1"
                                         << "" << false << same << Event::StillLost << Mismatch::None;
        QTest::newRow("unsupported answer") << "A1"
                                            << "A1"
                                            << "ZMX7730-3" << false << same << Event::StillLost << Mismatch::None;
    }
    void whoIsTakenBack() {
        QFETCH(QString, knownSerial);
        QFETCH(QString, serial);
        QFETCH(QString, reply);
        QFETCH(bool, ok);
        QFETCH(QString, boards);
        QFETCH(Event, event);
        QFETCH(Mismatch, why);
        ReconnectWatch w;
        w.start({kId, knownSerial.toStdString()});
        feedBoardsBeforeTheLoss(w);
        QCOMPARE(w.identified(true, {kId, {}}, 900), Event::Answering);
        QVERIFY(!w.lost());
        QCOMPARE(w.identified(false, {}, 1000), Event::Lost);
        QVERIFY(w.lost());
        QCOMPARE(w.lostForMs(1050), qint64(50));
        // Reads while lost (of whatever answers) change nothing known.
        w.onRead(configRead(0, false, "FFFFFFFFFFFFFF"));

        Event e = w.identified(ok, {reply.toStdString(), serial.toStdString()}, 1100);
        if (e == Event::Candidate) e = w.boardsRead(rereadOf(boards), 1100);
        QCOMPARE(e, event);
        QCOMPARE(w.mismatch(), why);
        QCOMPARE(w.mismatchText().empty(), why == Mismatch::None);
        QCOMPARE(w.lost(), event != Event::Back);
        if (event == Event::Back) {
            QCOMPARE(w.lastGapMs(), qint64(100));
            QCOMPARE(w.lostForMs(1200), qint64(0));
        }
    }

    // A stranger never ends the wait, however often it answers; the lost one still does, and
    // the gap counts from the loss, not from the stranger's answers. The refusal names both.
    void strangerDoesNotEndTheWait() {
        ReconnectWatch w;
        w.start({kId, "A1"});
        QCOMPARE(w.identified(false, {}, 100), Event::Lost);
        for (int t = 200; t < 1000; t += 100) QCOMPARE(w.identified(true, {kId, "B2"}, t), Event::Stranger);
        QCOMPARE(QString::fromStdString(w.mismatchText()), QString("USB serial B2, not A1"));
        QCOMPARE(w.identified(true, {kId, "A1"}, 2600), Event::Candidate);
        QCOMPARE(w.boardsRead(rereadOf("1"), 2600), Event::Back);
        QCOMPARE(w.lastGapMs(), qint64(2500));
        // Lost again later: a new gap.
        QCOMPARE(w.identified(false, {}, 5000), Event::Lost);
        QCOMPARE(w.identified(true, {kId, "A1"}, 5300), Event::Candidate);
        QCOMPARE(w.boardsRead(rereadOf("1"), 5300), Event::Back);
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

ZMX_TEST_MAIN(tst_reconnectwatch, TestReconnectWatch, None)
#include "tst_reconnectwatch.moc"
