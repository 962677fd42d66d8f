// The stack view's history: bounded, decimated trends that keep every extreme, the latest
// value and status of each cell, thresholds from writes and read-backs, and per-board link
// health (PEC mismatches, failed passes, round trips, keep-alive, thermal latch).

#include <QtTest>

#include <cmath>

#include "support/LogicSupport.h"
#include "support/TestMain.h"
#include "views/ReplayTimeline.h"
#include "views/StackHistory.h"
#include "views/ViewTexts.h"

using namespace zmx;
using namespace zmx::test;

namespace {

BoardRead otherRead(int slot, int64_t ms, ReadKind kind, bool match) {
    BoardRead r;
    r.slot = slot;
    r.utcMs = ms;
    r.kind = kind;
    r.pecMatch = match;
    return r;
}

}  // namespace

class TestStackHistory : public QObject {
    Q_OBJECT

private slots:
    void trendKeepsEverySampleUntilFull() {
        TrendBuffer b(8);
        for (int i = 0; i < 8; ++i) b.add(i * 100, static_cast<float>(i));
        QCOMPARE(int(b.points().size()), 8);
        QCOMPARE(b.samplesPerPoint(), 1);
        std::vector<DrawPoint> out;
        appendDrawPoints(b, 0, 10000, out);
        QCOMPARE(int(out.size()), 8);
        QCOMPARE(out[3].value, 3.0f);
    }

    void trendStaysBoundedAndKeepsExtremes_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("samples");
        QTest::newRow("small") << 4 << 1000;
        QTest::newRow("odd capacity") << 7 << 333;
        QTest::newRow("day of reads") << 1024 << 28800;
    }
    void trendStaysBoundedAndKeepsExtremes() {
        QFETCH(int, capacity);
        QFETCH(int, samples);
        TrendBuffer b(capacity);
        const int spikeAt = samples / 3;
        for (int i = 0; i < samples; ++i) b.add(1000LL * i, i == spikeAt ? 9.0f : (i == spikeAt + 1 ? -1.0f : 3.7f));
        QVERIFY(int(b.points().size()) <= b.capacity());
        QCOMPARE(b.samples(), int64_t(samples));
        int64_t counted = 0;
        float hi = 0, lo = 10;
        int64_t prevLast = -1;
        for (const TrendPoint& p : b.points()) {
            counted += p.count;
            hi = std::max(hi, p.max);
            lo = std::min(lo, p.min);
            QVERIFY(p.firstMs > prevLast);  // in time order, no overlap
            QVERIFY(p.lastMs >= p.firstMs);
            prevLast = p.lastMs;
        }
        QCOMPARE(counted, int64_t(samples));
        QCOMPARE(hi, 9.0f);
        QCOMPARE(lo, -1.0f);
        QCOMPARE(b.points().back().last, 3.7f);
    }

    void drawPointsCoverOnlyTheAskedRange() {
        TrendBuffer b(4);
        for (int i = 0; i < 16; ++i) b.add(i * 10, static_cast<float>(i));  // four points of four
        std::vector<DrawPoint> out;
        appendDrawPoints(b, 45, 85, out);
        // Points 40..70 and 80..110 overlap the range; each gives its minimum then maximum.
        QCOMPARE(int(out.size()), 4);
        QCOMPARE(out[0].utcMs, int64_t(40));
        QCOMPARE(out[0].value, 4.0f);
        QCOMPARE(out[1].value, 7.0f);
        QCOMPARE(out[3].value, 11.0f);
    }

    void latestCellsComeFromMatchingReadsOnly() {
        StackHistory h;
        h.onRead(twelveCellRead(2, 1000, 3.70f));
        BoardRead bad = twelveCellRead(2, 2000, 0.5f, false);
        bad.cellStatus[4] = 4;
        h.onRead(bad);
        const BoardHistory& b = h.board(2);
        QVERIFY(b.seen);
        QVERIFY(!h.board(1).seen);
        QCOMPARE(h.boardsSeen(), 3);
        QCOMPARE(b.cells[0].volts, 3.70f);
        QCOMPARE(b.cells[0].readMs, int64_t(1000));
        // The status is the window's verdict of the latest read, whatever its PEC.
        QCOMPARE(int(b.cells[4].status), 4);
        QCOMPARE(b.cells[4].statusMs, int64_t(2000));
        QCOMPARE(b.trend[0].samples(), int64_t(1));
    }

    void partialCellReadsTouchTheirCellsOnly() {
        StackHistory h;
        BoardRead r = twelveCellRead(0, 500, 3.6f);
        r.firstCell = 7;
        r.cellCount = 3;  // an RDCVC-like read of cells 7..9
        h.onRead(r);
        QVERIFY(!h.board(0).cells[5].valid);
        QVERIFY(h.board(0).cells[6].valid);
        QVERIFY(h.board(0).cells[8].valid);
        QVERIFY(!h.board(0).cells[9].valid);
    }

    void outOfRangeSlotsAreIgnored() {
        StackHistory h;
        h.onRead(twelveCellRead(10, 1, 3.0f));
        h.onRead(twelveCellRead(-1, 1, 3.0f));
        QCOMPARE(h.boardsSeen(), 0);
    }

    void stackExtremesFollowTheLatestCellsOfEveryBoard() {
        StackHistory h;
        h.onRead(twelveCellRead(0, 1000, 3.70f));
        h.onRead(twelveCellRead(1, 1100, 3.50f));
        h.onRead(twelveCellRead(0, 1200, 3.80f));
        QCOMPARE(h.stackMin().points().back().last, 3.50f);
        QCOMPARE(h.stackMax().points().back().last, 3.80f + 0.11f);
        QCOMPARE(h.stackMin().samples(), int64_t(3));
    }

    void thresholdsFromWritesAndReadBacks() {
        StackHistory h;
        QVERIFY(std::isnan(h.board(3).vuvVolts));
        ConfigWrite w;
        w.broadcast = true;
        w.bytes[4] = 0x71;  // VUV (113 + 1) * 0.024 - 0.768 = 1.968 V
        w.bytes[5] = 0xAB;  // VOV (171 - 32) * 0.024 = 3.336 V
        h.onConfigWrite(w);
        QCOMPARE(h.board(9).vuvVolts, (113 + 1) * 0.024f - 0.768f);
        QCOMPARE(h.board(3).vovVolts, (171 - 32) * 0.024f);
        // An addressed write and a matching read-back change that board only.
        w.broadcast = false;
        w.slot = 3;
        w.bytes[5] = 0xB0;
        h.onConfigWrite(w);
        QCOMPARE(h.board(3).vovVolts, (176 - 32) * 0.024f);
        QCOMPARE(h.board(2).vovVolts, (171 - 32) * 0.024f);
        BoardRead cfg = otherRead(2, 10, ReadKind::Config, false);
        cfg.config[5] = 0xC0;
        h.onRead(cfg);  // wrong PEC: the read-back says nothing
        QCOMPARE(h.board(2).vovVolts, (171 - 32) * 0.024f);
        cfg.pecMatch = true;
        h.onRead(cfg);
        QCOMPARE(h.board(2).vovVolts, (192 - 32) * 0.024f);
    }

    void pecMismatchesCountOnTheirBoard() {
        StackHistory h;
        for (int i = 0; i < 10; ++i) {
            h.onRead(otherRead(1, 100 * i, ReadKind::Flags, i % 4 != 0));  // 3 of 10 fail
            h.onRead(otherRead(4, 100 * i, ReadKind::Flags, true));
        }
        QCOMPARE(h.board(1).health.reads, int64_t(10));
        QCOMPARE(h.board(1).health.pecMismatches, int64_t(3));
        QCOMPARE(h.board(1).health.mismatchRate(), 0.3);
        QCOMPARE(h.board(1).health.lastGoodMs, int64_t(900));
        QCOMPARE(h.board(4).health.pecMismatches, int64_t(0));
        QCOMPARE(h.board(4).health.mismatchRate(), 0.0);
    }

    void boardIsMarkedAfterFailedPassesAndClearedByAGoodAnswer() {
        HistoryOptions o;
        o.failedPassMark = 3;
        StackHistory h(o);
        for (int pass = 0; pass < 2; ++pass) {
            h.onRead(twelveCellRead(5, pass * 300, 3.7f, false));
            h.onRead(otherRead(5, pass * 300 + 100, ReadKind::Temps, false));
            h.onRead(otherRead(5, pass * 300 + 200, ReadKind::Flags, false));
        }
        QVERIFY(!h.notAnswering(5));
        h.onRead(twelveCellRead(5, 900, 3.7f, false));
        QVERIFY(h.notAnswering(5));
        QCOMPARE(h.board(5).health.failedPasses, 3);
        h.onRead(otherRead(5, 1000, ReadKind::Flags, true));
        QVERIFY(!h.notAnswering(5));
    }

    void roundTripMedianAndWorst() {
        BoardHealth hl;
        QCOMPARE(hl.medianRoundTripUs(), int64_t(0));
        for (int64_t us : {500, 700, 600, 90000, 650}) hl.addRoundTrip(us);
        QCOMPARE(hl.medianRoundTripUs(), int64_t(650));
        QCOMPARE(hl.worstRoundTripUs, int64_t(90000));
        // The median looks at recent trips only; the worst is kept for good.
        for (int i = 0; i < 200; ++i) hl.addRoundTrip(100);
        QCOMPARE(hl.medianRoundTripUs(), int64_t(100));
        QCOMPARE(hl.worstRoundTripUs, int64_t(90000));
    }

    void keepAliveReachesTheBoardsOfTheStack() {
        StackHistory h;
        h.onKeepAlive(100, 3);
        h.onKeepAlive(200, 3);
        QCOMPARE(h.board(2).health.keepAlives, int64_t(2));
        QCOMPARE(h.board(3).health.keepAlives, int64_t(0));
    }

    void thermalLatchFollowsCheckedTemperatureReads() {
        StackHistory h;
        BoardRead t = otherRead(0, 1, ReadKind::Temps, true);
        t.thermalBit = 1;
        h.onRead(t);
        QVERIFY(h.board(0).health.thermalLatched);
        t.thermalBit = 0;
        t.pecMatch = false;  // a corrupted reply cannot clear it
        h.onRead(t);
        QVERIFY(h.board(0).health.thermalLatched);
        t.pecMatch = true;
        h.onRead(t);
        QVERIFY(!h.board(0).health.thermalLatched);
        BoardRead f = otherRead(0, 2, ReadKind::Flags, true);
        f.lampState = 3;  // the window's orange lamp
        h.onRead(f);
        QVERIFY(h.board(0).health.thermalLatched);
    }

    void clearForgetsEverything() {
        StackHistory h;
        h.onRead(twelveCellRead(0, 1000, 3.7f));
        const uint64_t rev = h.revision();
        QVERIFY(rev > 0);
        h.clear();
        QCOMPARE(h.boardsSeen(), 0);
        QCOMPARE(h.firstMs(), int64_t(0));
        QVERIFY(!h.board(0).seen);
        QCOMPARE(h.board(0).trend[0].samples(), int64_t(0));
    }

    // A replay fed out of order plays in time order; going back starts again and ends
    // where going forward would have.
    void replayMovesBothWays() {
        ReplayTimeline replay;
        replay.addRead(twelveCellRead(0, 3000, 3.9f));
        replay.addRead(twelveCellRead(0, 1000, 3.7f));
        ConfigWrite w;
        w.utcMs = 500;
        w.broadcast = true;
        w.bytes[5] = 0xC0;
        replay.addWrite(w);
        replay.addRead(twelveCellRead(1, 2000, 3.8f, false));
        replay.seal();
        QCOMPARE(replay.firstMs(), int64_t(500));
        QCOMPARE(replay.lastMs(), int64_t(3000));
        QCOMPARE(replay.history().boardsSeen(), 0);
        replay.seek(1500);
        QCOMPARE(replay.eventsFed(), std::size_t(2));
        QCOMPARE(replay.history().board(0).cells[0].volts, 3.7f);
        QCOMPARE(replay.history().board(0).vovVolts, (192 - 32) * 0.024f);
        replay.seek(3000);
        QCOMPARE(replay.history().board(0).cells[0].volts, 3.9f);
        QCOMPARE(replay.history().board(1).health.pecMismatches, int64_t(1));
        replay.seek(1000);
        QCOMPARE(replay.eventsFed(), std::size_t(2));
        QCOMPARE(replay.history().board(0).cells[0].volts, 3.7f);
        QVERIFY(!replay.history().board(1).seen);
        QCOMPARE(replay.history().board(0).trend[0].samples(), int64_t(1));
    }

    void texts_data() {
        QTest::addColumn<QString>("got");
        QTest::addColumn<QString>("want");
        QTest::newRow("age short") << ageText(400) << "0.4 s";
        QTest::newRow("age seconds") << ageText(12'300) << "12 s";
        QTest::newRow("age minutes") << ageText(185'000) << "3 min 5 s";
        QTest::newRow("age hours") << ageText(7'800'000) << "2 h 10 min";
        QTest::newRow("age never") << ageText(-1) << "never";
        QTest::newRow("round trip") << roundTripText(1250) << "1.25 ms";
        QTest::newRow("status word") << statusWord(4) << "DANGER!";
        QTest::newRow("status meaning") << statusMeaning(3) << "Flag Under Voltage";
        QTest::newRow("bad status code") << statusWord(42) << "CLEAR";
        QTest::newRow("cell never read") << heatmapCellText(CellLatest{}) << "";
    }
    void texts() {
        QFETCH(QString, got);
        QFETCH(QString, want);
        QCOMPARE(got, want);
    }

    void heatmapDescriptionSaysEverything() {
        CellLatest c;
        c.valid = true;
        c.volts = 4.2f;
        c.code = 0xD60;
        c.status = 4;
        c.readMs = QDateTime(QDate(2026, 7, 12), QTime(14, 5, 9, 123)).toMSecsSinceEpoch();
        QCOMPARE(
            heatmapCellDescription(5, 7, c),
            QStringLiteral("Board 6, cell 7: 4.200 V (code 0xD60), DANGER!: Flag Over Voltage, read 14:05:09.123"));
        QCOMPARE(heatmapCellDescription(0, 1, CellLatest{}),
                 QStringLiteral("Board 1, cell 1: no reading, CLEAR: No Voltage Reading"));
    }

    void healthRowMarksTheBoard() {
        StackHistory h;
        QCOMPARE(healthRow(h, 2, 0).last(), QStringLiteral("not read"));
        for (int i = 0; i < 3; ++i) h.onRead(twelveCellRead(2, 1000 + i, 3.7f, false));
        const QStringList row = healthRow(h, 2, 5000);
        QCOMPARE(row.size(), healthColumns().size());
        QCOMPARE(row[0], QStringLiteral("BRD# 3"));
        QCOMPARE(row[3], QStringLiteral("100.0 %"));
        QCOMPARE(row[4], QStringLiteral("never"));
        QCOMPARE(row.last(), QStringLiteral("NOT ANSWERING (3 passes)"));
    }
};

ZMX_TEST_MAIN(tst_stackhistory, TestStackHistory, Core)
#include "tst_stackhistory.moc"
