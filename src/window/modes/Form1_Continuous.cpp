// The timer tick (keep-alive, re-identification, continuous mode, banners), the
// "PEC Match Only" box, and continuous mode: its start and stop and the one step of the
// sequence each tick runs.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "rules/CommandPanel.h"
#include "rules/ContinuousSequence.h"
#include "rules/DatalogStamp.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

void Form1::Timer1_Timer() {
    if (ended_) return;
    if (controllerLost()) {
        waitForController();
        return;
    }
    tickLinkStatus();
    if (st.suspendIdentify == 0) {
        if (st.keepAliveActive == 1 &&
            (st.keepAliveCounter == 1 || st.keepAliveCounter == 3 || st.keepAliveCounter == 5))
            sendKeepAlivePoll();
        if (watch_) {
            if (!identifyWatched()) return;  // lost: continuous mode and the rest wait for it
        } else {
            Identify();
        }
    }
    if (st.boardIdentified == Identified::No) {
        st.continuousRunning = 0;
        endOnLostController();
        return;
    }
    if (st.continuousRunning == 1) {
        Check_AUTO_Click();
        continuousStep();
    }
    readbackPrompt();
    keepAliveTick();
}

void Form1::Check_AUTO_Click() {
    if (ui.Check_AUTO->isChecked()) {
        st.showValidOnly = 1;
        ui.Label_AUTOstatus->setText(QStringLiteral("DISPLAY ONLY VALID DATA TRANSFERS!"));
        setForeground(ui.Label_AUTOstatus, toQColor(kDarkGreen));
    } else {
        st.showValidOnly = 0;
        ui.Label_AUTOstatus->setText(QStringLiteral("DISPLAY ALL DATA TRANSFERS!"));
        setForeground(ui.Label_AUTOstatus, toQColor(kMaroon));
    }
}

namespace {

constexpr int kSelfTestButtons = 7;

// The controls that would issue commands of their own while the sequence owns the bus;
// the start disables them and the stop enables them again.
void setManualCommandsEnabled(Form1& f, bool enabled) {
    Controls& ui = f.ui;
    for (int i : {kStartCellVolt, kReadCellVolt, kStartTemp, kReadTemp, kReadFlag, kStartOpenWire})
        ui.Command1[i]->setEnabled(enabled);
    ui.Check5[3]->setEnabled(enabled);
    ui.Command3[0]->setEnabled(enabled);
    ui.Check8[0]->setEnabled(enabled);
    ui.Command3[1]->setEnabled(enabled);
    ui.Check8[1]->setEnabled(enabled);
    for (int i = 0; i < kSelfTestButtons; ++i) ui.Command5[i]->setEnabled(enabled);
}

void setBoardOnlyLabelsEnabled(Form1& f, bool enabled) {
    for (int i = 1; i <= 3; ++i) f.ui.Label18[i]->setEnabled(enabled);
}

// A single-cell selection on the selected board becomes one on every board for the run,
// as the conversions now go out in broadcast form.
void widenSingleCellSelection(Form1& f) {
    if (f.st.singleCellMode != 1) return;
    f.st.singleCellMode = 2;
    for (int i = 0; i < kCellsPerBoard; ++i)
        if (f.ui.Check6[i]->isChecked()) f.SelectSingleCell(i);
}

void startContinuous(Form1& f) {
    StackState& st = f.st;
    Controls& ui = f.ui;
    ui.Command1[kContinuous]->setText(QStringLiteral("STOP  CONTINUOUS READ CELLS"));
    ui.Shape3->setFillColor(toQColor(kGreen));
    st.sequenceStep = 0;
    st.forceShowAll = 0;
    f.Check_AUTO_Click();
    setManualCommandsEnabled(f, false);
    f.showDischargeHeld(false);
    ui.Command1[kReadConfig]->setEnabled(st.datalogArmed == 0);
    f.Command1_Click(kReadConfig);
    st.scanBoard = 0;
    // The run converts every board at once: STCVAD and STTMPAD go out in broadcast form.
    for (int i : {2, 4}) {
        ui.Check5[i]->setChecked(true);
        ui.Check5[i]->setEnabled(false);
    }
    setBoardOnlyLabelsEnabled(f, false);
    widenSingleCellSelection(f);
    f.ClearCellValues();
    f.ClearTemps();
    f.ClearFlags();
    st.monitorKind = MonitorKind::Cleared;
    f.ClearMonitor();
    f.EvaluateCellStatus(st.selectedBoard);
    f.paintAllStatus();
    st.keepAliveActive = 0;
}

void stopContinuous(Form1& f) {
    StackState& st = f.st;
    Controls& ui = f.ui;
    ui.Command1[kContinuous]->setText(QStringLiteral("START CONTINUOUS READ CELLS"));
    ui.Shape3->setFillColor(toQColor(kRed));
    st.scanBoard = st.selectedBoard;
    setManualCommandsEnabled(f, true);
    ui.Command1[kReadConfig]->setEnabled(true);
    for (int s = 0; s <= st.lastBoardIndex; ++s) st.rdcvGood[s] = 0;
    ui.Check5[2]->setEnabled(true);  // their ticks stay
    ui.Check5[4]->setEnabled(true);
    setBoardOnlyLabelsEnabled(f, true);
    f.Command4_Click(st.selectedBoard);
    zeroStoredVoltages(st);
    // The value boxes follow the zeroed store instead of showing readings that are gone.
    f.ClearCellValues();
    f.ClearTemps();
    f.evaluateKeepAlive();
}

}  // namespace

void Form1::toggleContinuous() {
    resetReadIndicator(ReadIndicator::Cell);
    resetReadIndicator(ReadIndicator::Temp);
    st.continuousRunning = toggledRunState(st.continuousRunning);
    if (st.continuousRunning == 1) startContinuous(*this);
    else stopContinuous(*this);
}

namespace {

// Paints each command of a continuous-mode step as the session makes it. Each start is
// followed in the same tick by a read, which draws every label of the monitor again; the
// start draws only its byte line, the part that stays when "PEC Match Only" hides the
// read's mismatch. The labels then change once a tick instead of twice and back, which
// would repaint them on every tick.
class WindowStepPainter : public StepHooks {
public:
    explicit WindowStepPainter(Form1& f) : f_(f) {}
    void configRead(const BoardRead& r) override { f_.paintConfigRead(r.slot); }
    void started(const StartResult& s) override { f_.paintStart(s, true); }
    void cellsRead(const BoardRead& r, int selector) override { f_.paintCellRead(r.slot, selector); }
    void tempsRead(const BoardRead& r, const ThermalChanges& thermal) override {
        f_.paintTempRead(r.slot);
        f_.paintThermalChanges(thermal);
    }
    void flagsRead(const BoardRead& r) override { f_.paintFlagRead(r.slot); }
    void datalogStamped() override {
        f_.ui.Command1[kViewDatalog]->setToolTip(datalogViewToolTip(f_.st.datalogSamplesShown, f_.st.datalogSeconds));
    }
    void stepDone() override {
        // The marker points at the board the next step reads, as the board buttons place it.
        if (f_.st.datalogArmed != 1) f_.ui.Image1->move(layout::boardMarkerPos(f_.st.scanBoard));
        f_.ShowCellStatus();
    }

private:
    Form1& f_;
};

}  // namespace

void Form1::continuousStep() {
    WindowStepPainter painter(*this);
    session_->continuousStep(&painter);
}

void Form1::makeDatalogStamp() {
    updateDatalogStamp(st, seams().now ? seams().now() : QDateTime::currentDateTime());
    ui.Command1[kViewDatalog]->setToolTip(datalogViewToolTip(st.datalogSamplesShown, st.datalogSeconds));
}

}  // namespace zmx
