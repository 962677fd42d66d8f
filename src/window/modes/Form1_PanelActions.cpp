// Panel sequences besides the command row: the discharge-held conversion starts, the
// low-current standby preparation and the discharge-held lamp.

#include <QCheckBox>
#include <QPushButton>

#include "protocol/Frames.h"
#include "rules/CommandPanel.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

void Form1::Command3_Click(int index) {
    if (index < 0 || index > 1) return;
    StartCellConversion(index == 0 ? 2 : 3, st.cellSelectDigit);  // STCVDC / STOWDC
    st.cellSelfTestPending = 0;
    ClearCellValues();
    if (ui.Check8[index]->isChecked()) {
        ClearCellStatus(true);
        paintAllStatus();
    } else {
        ClearCellStatus(false);
        ShowCellStatus();
    }
    armReadIndicator(ReadIndicator::Cell);
    markReadIndicator(ReadIndicator::Cell);
    showDischargeHeld(true);
    ui.Command1[kReadCellVolt]->setFocus();
}

// Puts every board of the stack into standby (CDC 0, default image) with a broadcast
// write, reads each configuration back, and finally has the controller force its SPI
// lines high ("MI") so the chips' standby current can be measured.
void Form1::prepareLowCurrentStandby() {
    resetImagesForStandby(st);
    // The bit boxes show the selected board's new image before the CDC and scope rules
    // read them back, so no stale box can put an old bit into the standby image.
    for (int n = 0; n < 4; ++n) LoadCfgrBoxes(n);
    ApplyCdc();
    ShowThresholds();

    ui.Check5[5]->setChecked(true);  // WRCFG in broadcast form (runs its handler on change)
    Command1_Click(kWriteConfig);

    for (int s = 0; s <= st.lastBoardIndex; ++s) runPanelButton(kReadConfig, s);
    // The read-back boxes belong to the board that is selected again, not the last one read.
    ShowReadback();
    CompareReadback();

    resetReadIndicator(ReadIndicator::Cell);
    resetReadIndicator(ReadIndicator::Temp);
    resetReadIndicator(ReadIndicator::Config);
    session_->sendLowCurrentStandby();
}

void Form1::showDischargeHeld(bool held) { ui.Shape13->setFillColor(toQColor(held ? kLightBlue : kWhite)); }

}  // namespace zmx
