// The trend chart in words: the board or the stack, each cell's latest value, the lowest
// and highest value in view, cells beyond VOV or VUV with the start of their current run,
// the values at the keyboard cursor, and where the cursor steps.

#include <QtTest>

#include <cmath>

#include "support/LogicSupport.h"
#include "support/TestMain.h"
#include "views/StackHistory.h"
#include "views/TrendCursor.h"
#include "views/TrendDescription.h"

using namespace zmx;
using namespace zmx::test;

namespace {

// 10:40:00 local time: the texts give local wall-clock times.
const int64_t kT0 = QDateTime(QDate(2026, 7, 12), QTime(10, 40, 0)).toMSecsSinceEpoch();

int64_t at(int seconds) { return kT0 + 1000 * int64_t(seconds); }

// A matching read of all twelve cells: cell n at 3.69 + 0.01 n volts unless overridden.
BoardRead cellRead(int slot, int64_t ms, std::initializer_list<std::pair<int, float>> cells = {}) {
    BoardRead r = twelveCellRead(slot, ms);
    for (auto [cell, volts] : cells) setCellVolts(r, cell, volts);
    return r;
}

// VUV 2.976 V and VOV 4.008 V on every board; board 3 read four times, 10 s apart. Its
// cell 5 is over VOV at the first read, back in range at the second and over again from
// the third on; cell 2 drops under VUV at the last read. Board 1 is never read.
void fill(StackHistory& h) {
    ConfigWrite w;
    w.broadcast = true;
    w.bytes[4] = 155;  // VUV (155 + 1) * 0.024 - 0.768 = 2.976 V
    w.bytes[5] = 199;  // VOV (199 - 32) * 0.024 = 4.008 V
    h.onConfigWrite(w);
    h.onRead(cellRead(2, at(0), {{5, 4.05f}}));
    h.onRead(cellRead(2, at(10), {{5, 3.74f}}));
    h.onRead(cellRead(2, at(20), {{5, 4.10f}}));
    h.onRead(cellRead(2, at(30), {{5, 4.20f}, {2, 2.90f}}));
}

TrendScene scene(int slot, int fromS, int toS, std::optional<int> cursorS = std::nullopt) {
    TrendScene s;
    s.stack = slot < 0;
    s.slot = std::max(slot, 0);
    s.fromMs = at(fromS);
    s.toMs = at(toS);
    if (cursorS) s.cursorMs = at(*cursorS);
    return s;
}

}  // namespace

Q_DECLARE_METATYPE(TrendScene)

class TestTrendDescription : public QObject {
    Q_OBJECT

private slots:
    void describes_data() {
        QTest::addColumn<TrendScene>("shown");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QStringList>("neverSays");
        const int kStack = -1;
        QTest::newRow("board and range named")
            << scene(2, 0, 30) << QStringList{"Board 3, 10:40:00 to 10:40:30."} << QStringList{"At "};
        QTest::newRow("latest value of every cell")
            << scene(2, 0, 30)
            << QStringList{"Latest: cell 1 3.700 V, cell 2 2.900 V, cell 3 3.720 V, cell 4 3.730 V, cell 5 4.200 V",
                           "cell 12 3.810 V."}
            << QStringList{};
        QTest::newRow("lowest and highest in view")
            << scene(2, 0, 30) << QStringList{"In view: lowest 2.900 V, highest 4.200 V."} << QStringList{};
        QTest::newRow("only the range's readings count for lowest and highest")
            << scene(2, 5, 15) << QStringList{"In view: lowest 3.700 V, highest 3.810 V.", "cell 5 4.200 V"}
            << QStringList{};
        QTest::newRow("nothing in view") << scene(2, -60, -30)
                                         << QStringList{"No readings in view.", "Latest: cell 1 3.700 V"}
                                         << QStringList{"In view:"};
        QTest::newRow("over VOV since its current run began")
            << scene(2, 0, 30) << QStringList{"Cell 5 over VOV since 10:40:20."}
            << QStringList{"since 10:40:00", "Cell 5 under"};
        QTest::newRow("under VUV") << scene(2, 0, 30) << QStringList{"Cell 2 under VUV since 10:40:30."}
                                   << QStringList{"Cell 1 ", "Cell 3 "};
        QTest::newRow("cursor on a reading comes first")
            << scene(2, 0, 30, 10)
            << QStringList{"At 10:40:10: cell 1 3.700 V, cell 2 3.710 V, cell 3 3.720 V, cell 4 3.730 V, "
                           "cell 5 3.740 V,"}
            << QStringList{};
        QTest::newRow("cursor between readings holds the earlier one")
            << scene(2, 0, 30, 15) << QStringList{"At 10:40:15: cell 1 3.700 V", "cell 5 3.740 V,"} << QStringList{};
        QTest::newRow("cursor before the first reading")
            << scene(2, -60, 30, -30) << QStringList{"At 10:39:30: no reading yet."} << QStringList{};
        QTest::newRow("cursor outside the view is not read")
            << scene(2, 0, 15, 25) << QStringList{"Board 3, 10:40:00 to 10:40:15."} << QStringList{"At "};
        QTest::newRow("board never read")
            << scene(0, 0, 30) << QStringList{"Board 1: no readings yet."} << QStringList{"Latest", "VOV"};
        QTest::newRow("stack: lowest and highest cell, beyond cells with their board")
            << scene(kStack, 0, 30)
            << QStringList{"Whole stack, 10:40:00 to 10:40:30.", "Latest: lowest cell 2.900 V, highest cell 4.200 V.",
                           "Board 3 cell 5 over VOV since 10:40:20.", "Board 3 cell 2 under VUV since 10:40:30."}
            << QStringList{"Board 1 "};
        QTest::newRow("stack cursor") << scene(kStack, 0, 30, 10)
                                      << QStringList{"At 10:40:10: lowest cell 3.700 V, highest cell 3.810 V."}
                                      << QStringList{};
    }
    void describes() {
        QFETCH(TrendScene, shown);
        QFETCH(QStringList, says);
        QFETCH(QStringList, neverSays);
        StackHistory h;
        fill(h);
        const QString text = trendDescription(h, shown);
        for (const QString& s : says) QVERIFY2(text.contains(s), qPrintable(text));
        for (const QString& s : neverSays) QVERIFY2(!text.contains(s), qPrintable(text));
        if (shown.cursorMs && text.startsWith(QStringLiteral("At ")))
            QCOMPARE(text.section(QStringLiteral(". "), 0, 0) + QLatin1Char('.'), trendCursorText(h, shown));
    }

    // A board without readings and an empty history: words, not a crash or a stray number.
    void emptyHistory() {
        const StackHistory h;
        QCOMPARE(trendDescription(h, scene(-1, 0, 30, 10)), QStringLiteral("At 10:40:10: no reading yet. "
                                                                           "Whole stack: no readings yet."));
        QVERIFY(!steppedCursor(h, scene(3, 0, 30), -1));
        QVERIFY(!steppedCursor(h, scene(-1, 0, 30), 1));
    }

    void cursorSteps_data() {
        QTest::addColumn<TrendScene>("shown");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("want");  // seconds after 10:40:00; -999: no step
        QTest::newRow("back without cursor: newest in view") << scene(2, 0, 30) << -1 << 30;
        QTest::newRow("forward without cursor: oldest in view") << scene(2, 0, 30) << 1 << 0;
        QTest::newRow("back from a reading") << scene(2, 0, 30, 20) << -1 << 10;
        QTest::newRow("forward from between readings") << scene(2, 0, 30, 15) << 1 << 20;
        QTest::newRow("nothing before the first") << scene(2, 0, 30, 0) << -1 << -999;
        QTest::newRow("nothing after the last") << scene(2, 0, 30, 30) << 1 << -999;
        QTest::newRow("cursor left the view: newest in view") << scene(2, 0, 15, 30) << -1 << 10;
        QTest::newRow("only readings in view") << scene(2, 5, 25) << 1 << 10;
        QTest::newRow("stack steps by its readings") << scene(-1, 0, 30, 10) << 1 << 20;
        QTest::newRow("board never read") << scene(0, 0, 30) << -1 << -999;
    }
    void cursorSteps() {
        QFETCH(TrendScene, shown);
        QFETCH(int, direction);
        QFETCH(int, want);
        StackHistory h;
        fill(h);
        const std::optional<int64_t> got = steppedCursor(h, shown, direction);
        if (want == -999) QVERIFY(!got);
        else QCOMPARE(got.value_or(0), at(want));
    }

    // Once points merge, a point only partly beyond the threshold ends the run: the run is
    // said to start with the next point, never before it really began.
    void beyondRunOverMergedPoints() {
        TrendBuffer b(4);
        const float volts[] = {3.0f, 4.5f, 4.5f, 4.6f, 4.7f};
        for (int i = 0; i < 5; ++i) b.add(1000 * (i + 1), volts[i]);
        QCOMPARE(b.samplesPerPoint(), 2);
        QCOMPARE(beyondSinceMs(b, 4.0f, true).value_or(-1), int64_t(3000));
        QVERIFY(!beyondSinceMs(b, 4.0f, false));
        QVERIFY(!beyondSinceMs(b, 4.8f, true));
        QVERIFY(!beyondSinceMs(TrendBuffer(), 4.0f, true));
    }
};

ZMX_TEST_MAIN(tst_trenddescription, TestTrendDescription, Core)
#include "tst_trenddescription.moc"
