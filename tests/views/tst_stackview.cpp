// The stack view on the real window over the simulated stack: what continuous mode reads
// shows on the right board's health row and the right heatmap cell, a replay shows the
// recorded values and sends nothing, the view works from the keyboard, and the window
// dump lists the view's controls.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <QAccessible>
#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineSeries>
#include <QMenuBar>
#include <QSlider>
#include <QTabWidget>

#include "rules/Colors.h"
#include "session/StackSession.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"
#include "views/ReplayTimeline.h"
#include "views/StackHistory.h"
#include "views/TrendDescription.h"
#include "views/ViewTexts.h"
#include "views/widgets/HealthTable.h"
#include "views/widgets/HeatmapTable.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/TrendPanel.h"
#include "views/widgets/ViewMenus.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/WindowDump.h"

using namespace zmx;
using namespace zmx::test;

namespace {

constexpr int kRunBoards = 10;
constexpr int kTicksPerPass = 3 * kRunBoards;  // cells, temperatures, flags of each board

void enterThreshold(Form1& w, int box, const QString& text) {
    w.Text2_GotFocus(box);
    w.ui.Text2[box]->setText(text);
    w.Text2_LostFocus(box);
}

// Ten boards measuring with VUV 2.304 V and VOV 4.008 V, written to the whole stack and
// read back; then continuous mode on.
void startRun(WindowFixture& f) {
    Form1& w = *f.form;
    f.fixedNow = QDateTime::currentDateTime();
    w.ui.Combo1->setCurrentIndex(kRunBoards - 1);
    w.Combo1_Click();
    w.Command0_Click(1);                            // CDC up: measuring
    enterThreshold(w, 1, QStringLiteral("4.008"));  // VOV first: VUV must stay below it
    enterThreshold(w, 0, QStringLiteral("2.304"));
    w.Command1_Click(5);  // WRITE CONFIG, broadcast
    for (int b = 0; b < kRunBoards; ++b) {
        w.Command4_Click(b);
        w.Command1_Click(6);  // READ CONFIG
    }
    w.Command4_Click(0);
    w.Command1_Click(10);  // START CONTINUOUS
    QCOMPARE(int(w.st.continuousRunning), 1);
}

// One timer tick, 100 ms after the last one.
void tick(WindowFixture& f) {
    f.fixedNow = f.fixedNow.addMSecs(100);
    f.form->Timer1_Timer();
}

QString cellText(QTableWidget* t, int row, int column) {
    QTableWidgetItem* it = t->item(row, column);
    return it ? it->text() : QString();
}

QColor cellFill(QTableWidget* t, int row, int column) {
    QTableWidgetItem* it = t->item(row, column);
    return it ? it->background().color() : QColor();
}

int column(QTableWidget* t, const QString& title) {
    for (int c = 0; c < t->columnCount(); ++c)
        if (t->horizontalHeaderItem(c)->text() == title) return c;
    return -1;
}

struct Captured : SessionListener {
    std::vector<BoardRead> reads;
    std::vector<ConfigWrite> writes;
    void onRead(const BoardRead& r) override { reads.push_back(r); }
    void onConfigWrite(const ConfigWrite& w) override { writes.push_back(w); }
};

}  // namespace

class TestStackView : public QObject {
    Q_OBJECT

private slots:
    void viewMenuOpensANonModalWindowBesideTheMain() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        QCOMPARE(views.viewMenu()->title(), QStringLiteral("&View"));
        QVERIFY(f.form->menuBar()->actions().contains(views.viewMenu()->menuAction()));
        // The window's own menus stay where they were.
        QCOMPARE(f.form->menuBar()->actions().first(), f.form->ui.mnuFile->menuAction());
        views.stackViewAction()->trigger();
        StackViewWindow* v = views.stackView();
        QVERIFY(v);
        QVERIFY(v->isVisible());
        QVERIFY(v->isWindow());
        QCOMPARE(v->windowModality(), Qt::NonModal);
        // Start-up's configuration read is already in the history.
        QVERIFY(views.liveHistory().board(0).health.reads >= 1);
    }

    // Board 4's replies arrive corrupted for three passes: its row shows the mismatches, the
    // rate and the mark; every other board stays clean.
    void pecErrorRateShowsOnTheRightBoard() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        StackViewWindow* v = views.openStackView();
        startRun(f);
        constexpr int kBad = 3;
        for (int pass = 0; pass < 3; ++pass) {
            for (int t = 0; t < kTicksPerPass; ++t) {
                if (f.form->st.scanBoard == kBad) f.sim->corruptNextReplies(1);
                tick(f);
            }
        }
        v->tabs()->setCurrentWidget(v->health());
        v->refresh(true);
        HealthTable* t = v->health();
        QCOMPARE(t->rowCount(), kRunBoards);
        const int reads = column(t, QStringLiteral("Reads"));
        const int mism = column(t, QStringLiteral("PEC mismatches"));
        const int rate = column(t, QStringLiteral("Mismatch rate"));
        const int state = column(t, QStringLiteral("State"));
        QCOMPARE(cellText(t, kBad, mism), QStringLiteral("9"));  // 3 reads a pass, 3 passes
        const double expectedRate = 900.0 / cellText(t, kBad, reads).toDouble();
        QCOMPARE(cellText(t, kBad, rate), QStringLiteral("%1 %").arg(expectedRate, 0, 'f', 1));
        QVERIFY2(cellText(t, kBad, state).startsWith(QStringLiteral("NOT ANSWERING")),
                 qPrintable(cellText(t, kBad, state)));
        QCOMPARE(cellFill(t, kBad, 0), QColor(255, 192, 192));
        for (int b = 0; b < kRunBoards; ++b) {
            if (b == kBad) continue;
            QCOMPARE(cellText(t, b, mism), QStringLiteral("0"));
            QCOMPARE(cellText(t, b, state), QStringLiteral("answering"));
            QVERIFY(cellText(t, b, reads).toInt() >= 9);
        }
        // One good answer lifts the mark.
        for (int t = 0; t < kTicksPerPass && f.form->st.scanBoard != kBad; ++t) tick(f);
        tick(f);
        v->refresh(true);
        QCOMPARE(cellText(t, kBad, state), QStringLiteral("answering"));
    }

    // Cell 7 of board 6 rises over VOV: that heatmap cell turns the legend's over-voltage
    // red and says so; its neighbours, read and in range, show the reads' own code (good, green),
    // the same a replay of the recording shows.
    void crossedThresholdColoursTheRightHeatmapCell() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        StackViewWindow* v = views.openStackView();
        f.sim->setCellVolts(5, 7, 4.3);
        startRun(f);
        for (int t = 0; t < 2 * kTicksPerPass; ++t) tick(f);
        v->tabs()->setCurrentWidget(v->heatmap());
        v->refresh(true);
        HeatmapTable* h = v->heatmap();
        QCOMPARE(h->rowCount(), kRunBoards);
        const QColor red = toQColor(cellStatusStyle(4).color);
        const QColor good = toQColor(cellStatusStyle(1).color);
        QCOMPARE(cellFill(h, 5, 6), red);
        QCOMPARE(cellText(h, 5, 6), QStringLiteral("4.300"));
        for (auto [row, col] : {std::pair{5, 5}, {5, 7}, {4, 6}, {6, 6}, {0, 0}}) {
            QCOMPARE(cellFill(h, row, col), good);
            QVERIFY(!cellText(h, row, col).isEmpty());  // read, in range
        }
        const QString said = h->item(5, 6)->data(Qt::AccessibleTextRole).toString();
        QVERIFY2(said.startsWith(QStringLiteral("Board 6, cell 7: 4.300 V")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("DANGER!")), qPrintable(said));
        QCOMPARE(h->item(5, 6)->toolTip(), said);
        // The trend of that board shows the cell and the VOV line at 4.008 V.
        v->trend()->setSource(6);
        v->tabs()->setCurrentWidget(v->trend());
        v->refresh(true);
        QVERIFY(v->trend()->vovLine()->isVisible());
        QVERIFY(qAbs(v->trend()->vovLine()->at(0).y() - 4.008) < 1e-3);
        QVERIFY(v->trend()->vuvLine()->isVisible());
        QVERIFY(qAbs(v->trend()->vuvLine()->at(0).y() - 2.304) < 1e-3);
        QVERIFY(v->trend()->series(6)->count() >= 2);
        QVERIFY(qAbs(v->trend()->series(6)->at(0).y() - 4.3) < 2e-3);
    }

    // The view's controls answer the keyboard: the chart zooms and pans on the time axis,
    // the heatmap moves its current cell with the arrows.
    void keyboardAlone() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        StackViewWindow* v = views.openStackView();
        startRun(f);
        for (int t = 0; t < kTicksPerPass; ++t) tick(f);
        v->refresh(true);
        TrendPanel* trend = v->trend();
        trend->showAll();
        const int64_t span = trend->viewToMs() - trend->viewFromMs();
        QTest::keyClick(trend->chartView(), Qt::Key_Plus);
        QVERIFY(trend->viewToMs() - trend->viewFromMs() < span);
        QTest::keyClick(trend->chartView(), Qt::Key_Left);
        QVERIFY(!trend->following());
        QTest::keyClick(trend->chartView(), Qt::Key_End);
        QVERIFY(trend->following());

        v->tabs()->setCurrentWidget(v->heatmap());
        v->refresh(true);
        v->heatmap()->setCurrentCell(0, 0);
        QTest::keyClick(v->heatmap(), Qt::Key_Right);
        QTest::keyClick(v->heatmap(), Qt::Key_Down);
        QCOMPARE(v->heatmap()->currentRow(), 1);
        QCOMPARE(v->heatmap()->currentColumn(), 1);
    }

    // Shift+arrows step a cursor between the readings without panning, Escape removes it,
    // and the chart's accessible description follows: the board's values at the cursor
    // first, the plain description again once the cursor is gone or out of view.
    void keyboardCursorAndSpokenDescription() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        StackViewWindow* v = views.openStackView();
        startRun(f);
        for (int t = 0; t < 3 * kTicksPerPass; ++t) tick(f);
        v->tabs()->setCurrentWidget(v->trend());
        v->refresh(true);
        TrendPanel* trend = v->trend();
        trend->showAll();
        QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(trend->chartView());
        QVERIFY(chart);
        QCOMPARE(chart->text(QAccessible::Name), QStringLiteral("Cell voltage trend"));
        auto said = [&] { return chart->text(QAccessible::Description); };
        QVERIFY2(said().startsWith(QStringLiteral("Board 1, ")), qPrintable(said()));
        QVERIFY2(said().contains(QStringLiteral("Latest: cell 1 3.")), qPrintable(said()));

        const int64_t from = trend->viewFromMs(), to = trend->viewToMs();
        QTest::keyClick(trend->chartView(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(trend->cursorMs());
        const int64_t newest = *trend->cursorMs();
        QTest::keyClick(trend->chartView(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(trend->cursorMs() && *trend->cursorMs() < newest);
        QTest::keyClick(trend->chartView(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(trend->cursorMs().value_or(0), newest);
        // The view stays where it was: the cursor keys do not pan.
        QCOMPARE(trend->viewFromMs(), from);
        QCOMPARE(trend->viewToMs(), to);
        QVERIFY(trend->following());
        QVERIFY(trend->cursorLine()->isVisible());
        QCOMPARE(qint64(trend->cursorLine()->at(0).x()), qint64(newest));
        QVERIFY2(said().startsWith(QStringLiteral("At ") + secondsClockText(newest) + QStringLiteral(": cell 1 3.")),
                 qPrintable(said()));

        QTest::keyClick(trend->chartView(), Qt::Key_Escape);
        QVERIFY(!trend->cursorMs());
        QVERIFY(!trend->cursorLine()->isVisible());
        QVERIFY2(said().startsWith(QStringLiteral("Board 1, ")), qPrintable(said()));

        // A cursor on the oldest reading leaves the view when it zooms in on the newest.
        QTest::keyClick(trend->chartView(), Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(trend->cursorMs());
        for (int i = 0; i < 3; ++i) QTest::keyClick(trend->chartView(), Qt::Key_Plus);
        QVERIFY(*trend->cursorMs() < trend->viewFromMs());
        QVERIFY(!trend->cursorLine()->isVisible());
        QVERIFY2(!said().startsWith(QStringLiteral("At ")), qPrintable(said()));
        // The plain arrows still pan.
        QTest::keyClick(trend->chartView(), Qt::Key_Left);
        QVERIFY(!trend->following());
    }

    // Reads kept from a run, played back: the view shows their values at each position and
    // nothing goes to the controller, whatever the slider and play do.
    void replayShowsRecordedValuesAndSendsNothing() {
        WindowFixture f;
        QVERIFY(f.load());
        Captured kept;
        f.form->session().addListener(&kept);
        f.sim->setCellVolts(2, 1, 3.111);
        startRun(f);
        for (int t = 0; t < kTicksPerPass; ++t) tick(f);
        f.sim->setCellVolts(2, 1, 3.999);
        for (int t = 0; t < kTicksPerPass; ++t) tick(f);
        f.form->Command1_Click(10);  // stop
        f.form->session().removeListener(&kept);
        f.form->Timer1.stop();

        ViewMenus views(*f.form);
        StackViewWindow* v = views.openStackView();
        f.takeWrites();
        const std::size_t transfersBefore = f.recorder->transfers.size();
        auto timeline = std::make_unique<ReplayTimeline>(kept.reads, kept.writes);
        const int64_t first = timeline->firstMs(), last = timeline->lastMs();
        v->showReplay(std::move(timeline), QStringLiteral("test run"));
        QVERIFY(v->replaying());
        v->tabs()->setCurrentWidget(v->heatmap());
        v->seekReplay(last);
        QCOMPARE(cellText(v->heatmap(), 2, 0), QStringLiteral("3.999"));
        // Back to the first pass: the earlier value.
        const auto firstPass = std::find_if(kept.reads.rbegin(), kept.reads.rend(), [](const BoardRead& r) {
            return r.slot == 2 && r.kind == ReadKind::Cells && qAbs(r.cellVolts[0] - 3.111f) < 0.002f;
        });
        QVERIFY(firstPass != kept.reads.rend());
        v->seekReplay(firstPass->utcMs);
        QCOMPARE(cellText(v->heatmap(), 2, 0), QStringLiteral("3.111"));
        // Slider, play and speed move the position; nothing is written.
        auto* slider = v->findChild<QSlider*>(QStringLiteral("ReplaySlider"));
        QVERIFY(slider);
        slider->setValue(0);
        QCOMPARE(v->replay()->positionMs(), first);
        v->findChild<QComboBox*>(QStringLiteral("ReplaySpeed"))->setCurrentIndex(4);  // 600x
        v->setPlaying(true);
        QVERIFY(v->playing());
        for (int i = 0; i < 1000 && v->playing(); ++i) v->playStep(100);
        QVERIFY(!v->playing());  // stops at the end
        QCOMPARE(v->replay()->positionMs(), last);
        QCOMPARE(cellText(v->heatmap(), 2, 0), QStringLiteral("3.999"));
        QVERIFY(f.takeWrites().empty());
        QCOMPARE(f.recorder->transfers.size(), transfersBefore);
        // Back to live.
        v->findChild<QPushButton*>(QStringLiteral("ReplayLive"))->click();
        QVERIFY(!v->replaying());
    }

    void dumpListsTheStackViewControls() {
        WindowFixture f;
        ViewMenus views(*f.form);
        QVERIFY(f.load());
        views.openStackView();
        const QJsonObject root = QJsonDocument::fromJson(dumpWindowJson(f.form.get())).object();
        const QJsonArray windows = root.value(QStringLiteral("windows")).toArray();
        QCOMPARE(windows.size(), 1);
        const QJsonObject view = windows.at(0).toObject();
        QCOMPARE(view.value(QStringLiteral("section")).toString(), QStringLiteral("stackView"));
        QCOMPARE(view.value(QStringLiteral("name")).toString(), QStringLiteral("StackView"));
        QHash<QString, QJsonObject> byName;
        for (const QJsonValue& c : view.value(QStringLiteral("controls")).toArray())
            byName.insert(c[QStringLiteral("name")].toString(), c.toObject());
        for (const char* name : {"StackViewTabs", "TrendSource", "TrendChart", "TrendZoomIn", "Heatmap", "HealthTable",
                                 "ReplaySlider", "ReplayPlay", "ReplaySpeed", "RecordStatus"})
            QVERIFY2(byName.contains(QLatin1String(name)), name);
        QCOMPARE(byName.value(QStringLiteral("Heatmap")).value(QStringLiteral("accessibleName")).toString(),
                 QStringLiteral("Cell heatmap"));
        QCOMPARE(byName.value(QStringLiteral("ReplaySlider")).value(QStringLiteral("visible")).toBool(), false);
        QStringList added;
        for (const QJsonValue& c : root.value(QStringLiteral("added")).toArray())
            added << c[QStringLiteral("name")].toString();
        QVERIFY(added.contains(QStringLiteral("mnuView")));
        QVERIFY(added.contains(QStringLiteral("mnuStackView")));
        // The inventory's own list is unchanged by the additions.
        for (const QJsonValue& c : root.value(QStringLiteral("controls")).toArray())
            QVERIFY(c[QStringLiteral("name")].toString() != QLatin1String("mnuView"));
    }
};

ZMX_TEST_MAIN(tst_stackview, TestStackView, Full)
#include "tst_stackview.moc"
