// Board count, addresses, board selection and the broadcast boxes.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "rules/BitControlLogic.h"
#include "rules/BoardLayout.h"
#include "rules/Colors.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

// The read-indicator step value that means "parked while the board count re-reads the stack".
constexpr int16_t kStepParked = 3;

void setWidthUnits(QWidget* w, int width) {
    const QRect g = w->geometry();
    setGeometryUnits(w, g.x(), g.y(), width, g.height());
}

void setRectUnits(QWidget* w, const QRect& r) { setGeometryUnits(w, r.x(), r.y(), r.width(), r.height()); }

void movePosUnits(QWidget* w, const QPoint& p) { setGeometryUnits(w, p.x(), p.y(), w->width(), w->height()); }

// The broadcast switch of the selected slot that box Check5(i) sets (i = 0..5), or that
// Check8(i) sets (i = 6..7 for Check8(0..1)).
int16_t& broadcastSwitch(StackState& st, int box) {
    const int s = st.selectedBoard;
    switch (box) {
        case 0: return st.bcastPLADC[s];
        case 1: return st.bcastPLINT[s];
        case 2: return st.bcastSTCVAD[s];
        case 3: return st.bcastSTOWAD[s];
        case 4: return st.bcastSTTMPAD[s];
        case 5: return st.bcastWRCFG[s];
        case 6: return st.bcastSTCVDC[s];
        default: return st.bcastSTOWDC[s];
    }
}

// Caption, width and companion label of a broadcast box, and the switch it sets.
void applyBroadcastBox(QCheckBox* box, QLabel* companion, int16_t& sw) {
    const bool on = box->isChecked();
    sw = on ? 1 : 0;
    box->setText(on ? QStringLiteral("BROADCAST") : QStringLiteral("B'CAST"));
    setWidthUnits(box, on ? layout::kBroadcastWideWidth : layout::kBroadcastNarrowWidth);
    // The companion label names the board an addressed command goes to.
    companion->setVisible(!on);
}

void redrawCellDisplayMode(Form1& f);

// The cell-conversion boxes are one setting shown four times (STCVAD, STOWAD, STCVDC,
// STOWDC); the single-cell display follows it between its addressed and broadcast modes.
void followCellConversionBroadcast(Form1& f, bool on) {
    for (QCheckBox* box : {f.ui.Check5[2], f.ui.Check5[3], f.ui.Check8[0], f.ui.Check8[1]}) box->setChecked(on);
    if (on && f.st.singleCellMode == 1) {
        f.st.singleCellMode = 2;
        redrawCellDisplayMode(f);
    } else if (!on && f.st.singleCellMode == 2) {
        f.st.singleCellMode = 1;
        redrawCellDisplayMode(f);
    }
}

// Redraws the single-cell display in its current mode: the lamps dimmed for the old mode or
// the old board are restored, then the selection is dimmed again.
void redrawCellDisplayMode(Form1& f) {
    if (f.st.singleCellMode == 0) return;
    for (int s = 0; s <= f.st.lastBoardIndex; ++s)
        for (int i = 0; i < 12; ++i) f.ui.Shape1[12 * s + i]->setDimmed(false);
    for (int i = 0; i < 12; ++i) {
        if (f.ui.Check6[i]->isChecked()) {
            f.SelectSingleCell(i);
            return;
        }
    }
}

// The cell values of the selected board, as volts or in the self-test hex view.
void redrawCellValues(Form1& f) {
    f.ClearCellValues();
    if (f.st.cellHexView == 1) f.ShowCellHex(f.st.tenCellMode);
    else f.ShowCellVolts(f.st.tenCellMode);
}

// Which boards are on screen: their buttons, row markers and lamps; cells 11 and 12 stay
// off the grid in ten-cell mode.
void showBoardRows(Form1& f, int lastBoardIndex) {
    const bool tenCells = f.ui.Check0[3]->isChecked();
    for (int slot = 0; slot < kBoards; ++slot) {
        const bool used = slot <= lastBoardIndex;
        f.ui.Command4[slot]->setVisible(used);
        f.ui.Shape12[slot]->setVisible(used);
        for (int i = 0; i < 12; ++i) {
            QWidget* lamp = f.ui.Shape1[12 * slot + i];
            if (used && tenCells && i >= 10) {
                lamp->setProperty(kHiddenByTenCellsProperty, true);
                lamp->hide();
            } else {
                lamp->setProperty(kHiddenByTenCellsProperty, QVariant());
                lamp->setVisible(used);
            }
        }
    }
    // The lamp header sits over the top row in use, and the stack bar spans the rows in use.
    movePosUnits(f.ui.Label9[1], layout::lampHeaderPos(lastBoardIndex));
    setRectUnits(f.ui.Shape15, layout::stackBarRect(lastBoardIndex));
}

void writeGridHeaders(Form1& f) {
    f.ui.Label12->setText(QString::fromStdString(boardHeaderText(f.st.lastBoardIndex)));
    f.ui.Label15->setText(QString::fromStdString(addressHeaderText(f.st.boardAddressHex, f.st.lastBoardIndex)));
}

// The selected board's row stands out: a shorter button and black, wider borders.
void highlightBoardRow(Form1& f, int selected) {
    const QColor black = toQColor(kBlack), lightGrey = toQColor(kLightGrey);
    for (int a = 0; a < kBoards; ++a) {
        const bool sel = a == selected;
        setRectUnits(f.ui.Command4[a], layout::boardButtonRect(a, sel));
        for (int i = 0; i < 12; ++i) {
            f.ui.Shape1[12 * a + i]->setBorderColor(sel ? black : lightGrey);
            f.ui.Shape1[12 * a + i]->setBorderWidth(sel ? 2 : 1);
        }
        f.ui.Shape12[a]->setBorderColor(sel ? black : lightGrey);
        f.ui.Shape12[a]->setBorderWidth(sel ? 2 : 1);
    }
}

void captionBoardButtons(Form1& f) {
    for (int i = 0; i < kBoards; ++i)
        f.ui.Command4[i]->setText(QString::fromStdString(boardButtonCaption(i, f.st.boardAddressHex[i])));
}

}  // namespace

void Form1::Combo1_Click() {
    const int k = std::clamp(ui.Combo1->currentIndex(), 0, kBoards - 1);
    st.lastBoardIndex = static_cast<int16_t>(k);
    writeGridHeaders(*this);
    showBoardRows(*this, k);
    if (st.selectedBoard > k) Command4_Click(k);
    CopyImageToAll();
    ApplyScope();
    redrawCellDisplayMode(*this);

    // Re-read the configuration of every board. The read indicators are parked meanwhile,
    // so these reads neither count as the user's read-back nor arm a mark.
    int16_t* steps[] = {&st.readbackPending, &st.lastCellStep, &st.lastTempStep};
    for (int16_t* step : steps)
        if (*step == 1) *step = kStepParked;
    for (int s = 0; s <= k; ++s) runPanelButton(6, s);  // READ CONFIG of board s
    Command1_Click(6);
    for (int16_t* step : steps)
        if (*step == kStepParked) *step = 1;
}

void Form1::Combo2_Click() {
    const int d = ui.Combo2->currentIndex();
    if (d < 0 || d > 15) return;
    st.boardAddressHex[st.selectedBoard] = addressOfDigitIndex(d);
    captionBoardButtons(*this);
    Combo1_Click();
}

void Form1::Command4_Click(int index) {
    if (index < 0 || index >= kBoards) return;
    showBoardBanners(index);
    st.selectedBoard = static_cast<int16_t>(index);
    movePosUnits(ui.Image1, layout::boardMarkerPos(index));
    highlightBoardRow(*this, index);

    refreshForBoard(ReadIndicator::Cell);
    refreshForBoard(ReadIndicator::Temp);
    refreshForBoard(ReadIndicator::Config);
    redrawCellValues(*this);

    // The boxes show the broadcast choice; the new slot takes it. The hold-discharge boxes
    // are re-applied too, so what the boxes show is what the new board sends.
    for (int i = 0; i < 6; ++i) Check5_Click(i);
    for (int i = 0; i < 2; ++i) Check8_Click(i);
    redrawCellDisplayMode(*this);

    {
        // Loading the new board's values into the bit boxes must not run the encoders: a
        // box changed while the others still show the previous board would mix the two
        // boards into this board's image.
        std::vector<QSignalBlocker> quiet;
        for (auto* arr : {&ui.Check0, &ui.Check1, &ui.Check2, &ui.Check3})
            for (QCheckBox* box : *arr) quiet.emplace_back(box);
        ApplyCellMode();
        ApplyCdc();
        for (int n = 0; n < 4; ++n) LoadCfgrBoxes(n);
    }
    ShowThresholds();

    ShowFlags();
    ClearTemps();
    if (st.tempHexView == 1) ShowTempsHex();
    else ShowTemps();
    ReshowLastTransfer();
    CompareReadback();
    RefreshConfigView();
    ShowReadback();
    ShowCellStatus();
    paintStatusLamp(index);

    // The address list follows the board; a different digit runs the address handler, which
    // re-reads the configuration of the whole stack.
    const int digit = addressDigitIndex(st.boardAddressHex[index]);
    if (digit >= 0 && digit != ui.Combo2->currentIndex()) {
        ui.Combo2->setCurrentIndex(digit);
        Combo2_Click();
    }
}

void Form1::Check5_Click(int index) {
    if (index < 0 || index > 5) return;
    QCheckBox* box = ui.Check5[index];
    applyBroadcastBox(box, ui.Label19[index], broadcastSwitch(st, index));
    const bool on = box->isChecked();
    if (index == 2 || index == 3) {
        followCellConversionBroadcast(*this, on);
    } else if (index == 5) {
        // The WRCFG box mirrors the scope options.
        (on ? ui.Option1[1] : ui.Option1[0])->setChecked(true);
        (on ? ui.Option3[1] : ui.Option3[0])->setChecked(true);
    }
}

void Form1::Check8_Click(int index) {
    if (index < 0 || index > 1) return;
    QCheckBox* box = ui.Check8[index];
    applyBroadcastBox(box, ui.Label20[index + 1], broadcastSwitch(st, 6 + index));
    followCellConversionBroadcast(*this, box->isChecked());
}

void Form1::showBoardBanners(int index) {
    const BoardBanners b = boardBanners(index);
    ui.Label21->setText(QString::fromStdString(b.label21));
    ui.Label13[0]->setText(QString::fromStdString(b.customVoltage));
    ui.Option3[0]->setText(QString::fromStdString(b.customCfgr0));
    ui.Label14->setText(QString::fromStdString(b.addressPrompt));
    for (QLabel* l : ui.Label18) l->setText(QString::fromStdString(b.boardOnly));
    for (QLabel* l : ui.Label19) l->setText(QString::fromStdString(b.companion));
    ui.Label20[1]->setText(QString::fromStdString(b.companion));
    ui.Label20[2]->setText(QString::fromStdString(b.companion));
    ui.Command5[3]->setToolTip(QString::fromStdString(b.cellHexTip));
    ui.Command5[4]->setToolTip(QString::fromStdString(b.tempHexTip));
}

void Form1::layoutBoardGrid() {
    captionBoardButtons(*this);
    writeGridHeaders(*this);
    showBoardRows(*this, st.lastBoardIndex);
    highlightBoardRow(*this, st.selectedBoard);
    movePosUnits(ui.Image1, layout::boardMarkerPos(st.selectedBoard));
}

}  // namespace zmx
