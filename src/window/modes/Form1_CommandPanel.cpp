// The command panel: the row of chip-command buttons. Every click releases a pending poll
// frame, runs the button's sequence, refreshes the three read indicators and moves the
// keyboard focus to the button that is the natural next step.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "protocol/Frames.h"
#include "rules/CommandPanel.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"

namespace zmx {

namespace {

// WRITE CONFIG: the composed image goes out, the status codes follow the written bits,
// a thermal shutdown that has cleared is confirmed by a read-back, READ CONFIG becomes
// the next step and the keep-alive follows the CDC now written.
void runWriteConfig(Form1& f) {
    StackState& st = f.st;
    f.CopyImageToAll();
    f.WriteConfig();
    st.configChanged = 0;
    f.ShowWritePending();
    if (f.ui.Check5[5]->isChecked()) {
        f.EvaluateCellStatusAll();
        f.paintAllStatus();
    } else {
        f.EvaluateCellStatus(st.selectedBoard);
        f.ShowCellStatus();
    }
    if (st.thermalCleared == 1) {
        // The latches go before the confirming read, so its lamp shows the read's own
        // verdict instead of a thermal shutdown that is no longer latched.
        for (int s = 0; s <= st.lastBoardIndex; ++s) st.thsdLatched[s] = 0;
        st.thermalCleared = 0;
        st.showValidOnly = 0;
        f.ReadConfig();
        f.CompareReadback();
        f.Check_AUTO_Click();
    }
    if (f.ui.Command1[kReadConfig]->isEnabled()) {
        st.readbackPending = kStepIssued;
        f.ui.Command1[kReadConfig]->setFocus();
    }
    if (st.continuousRunning == 0) f.evaluateKeepAlive();
}

// Cell conversion start from the row (STCVAD or STOWAD): the old values and codes go,
// of every board when the STCVAD broadcast box is ticked, else of the selected board.
void runCellStart(Form1& f, int kind) {
    StackState& st = f.st;
    f.StartCellConversion(kind, st.cellSelectDigit);
    f.ClearCellValues();
    if (f.ui.Check5[2]->isChecked()) {
        f.ClearCellStatus(true);
        f.paintAllStatus();
    } else {
        f.ClearCellStatus(false);
        f.ShowCellStatus();
    }
    f.showDischargeHeld(false);
    st.cellHexView = 0;
    st.lastCellStep = 1;
    st.cellSelfTestPending = 0;
}

// The poll and standby buttons stop continuous mode whether or not it runs: the toggle
// always stops when it finds the mode on.
void forceContinuousOff(Form1& f) {
    f.st.continuousRunning = 1;
    f.toggleContinuous();
}

}  // namespace

void Form1::Command1_Click(int index) { runPanelButton(index, st.selectedBoard); }

void Form1::runPanelButton(int index, int readSlot) {
    st.suspendIdentify = 0;
    if (st.pollPending == 1) session_->closeOpenFrame();
    switch (index) {
        case kPollAdc:
        case kPollInt:
            forceContinuousOff(*this);
            SendPoll(index == kPollAdc ? 0 : 1);  // leaves the frame open: pollPending 1
            break;
        case kStartCellVolt: runCellStart(*this, 0); break;
        case kStartOpenWire: runCellStart(*this, 1); break;
        case kStartTemp:
            StartTempConversion(st.tempSelectDigit);
            st.tempHexView = 0;
            ClearTemps();
            st.lastTempStep = 1;
            st.tempSelfTestPending = 0;
            break;
        case kWriteConfig: runWriteConfig(*this); break;
        case kReadConfig:
            st.showValidOnly = 0;
            ReadConfig(readSlot);
            CompareReadback();
            Check_AUTO_Click();
            if (st.readbackPending == kStepIssued) st.readbackPending = kStepRead;
            break;
        case kReadCellVolt:
            panelCellRead();
            st.cellHexView = 0;
            st.lastCellStep = 2;
            break;
        case kReadFlag:
            st.showValidOnly = 0;
            st.forceShowAll = 1;
            ReadFlags();
            deriveStatusFromFlags();
            ShowCellStatus();
            Check_AUTO_Click();
            break;
        case kReadTemp:
            panelTempRead(0);
            st.lastTempStep = 2;
            break;
        case kContinuous: toggleContinuous(); break;
        case kStartDatalog: st.datalogArmed = 1; break;
        case kLowCurrentStandby:
            forceContinuousOff(*this);
            prepareLowCurrentStandby();
            st.suspendIdentify = 1;
            ShowTempIndicators();
            break;
        default: break;  // STOP and VIEW: only the common steps
    }
    refreshAfterClick(ReadIndicator::Cell);
    refreshAfterClick(ReadIndicator::Temp);
    refreshAfterClick(ReadIndicator::Config);
    if (const int next = panelFocusTarget(index); next >= 0) ui.Command1[next]->setFocus();
}

void Form1::panelCellRead() {
    st.showValidOnly = 0;
    st.forceShowAll = 1;
    ReadCells(st.tenCellMode);
    EvaluateCellStatus(st.selectedBoard);
    ShowCellStatus();
    Check_AUTO_Click();
}

void Form1::panelTempRead(int16_t hexView) {
    st.showValidOnly = 0;
    st.forceShowAll = 1;
    st.tempHexView = hexView;  // ReadTemps shows codes or volts by it
    ReadTemps();
    applyThermalStatus();
    Check_AUTO_Click();
}

void Form1::connectModeHandlers() {
    for (int i = 0; i < static_cast<int>(ui.Command1.size()); ++i)
        connect(ui.Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    for (int i = 0; i < static_cast<int>(ui.Command3.size()); ++i)
        connect(ui.Command3[i], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
    for (int i = 0; i < static_cast<int>(ui.Command5.size()); ++i)
        connect(ui.Command5[i], &QPushButton::clicked, this, [this, i] { Command5_Click(i); });
    for (int i = 0; i < static_cast<int>(ui.Option2.size()); ++i)
        connect(ui.Option2[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option2_Click(i);
        });
    connect(ui.Check_AUTO, &QCheckBox::toggled, this, [this] { Check_AUTO_Click(); });
}

}  // namespace zmx
