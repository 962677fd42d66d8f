// Cell values, status codes, lamps and bars, and the single-cell selection.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
#include "rules/CellFormat.h"
#include "rules/CellStatus.h"
#include "rules/Colors.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

constexpr int kTwipsPerUnit = 15;

QCheckBox* dischargeBox(Controls& ui, int i) { return i < 8 ? ui.Check1[i] : ui.Check2[i - 8]; }
QCheckBox* maskBox(Controls& ui, int i) { return i < 4 ? ui.Check2[i + 4] : ui.Check3[i - 4]; }

// A cell whose "READ Only" box is disabled belongs to a panel dimmed by the selection.
bool cellDimmed(const Controls& ui, int i) { return !ui.Check6[i]->isEnabled(); }

// Background of a value box that is not dimmed: white in the self-test code view, the
// window-text colour (black) under the white volts otherwise.
QColor valueBackground(const StackState& st) { return st.cellHexView == 1 ? toQColor(kWhite) : systemWindowText(); }

void paintLamps(Controls& ui, const StackState& st, int slot) {
    for (int i = 0; i < kCellsPerBoard; ++i)
        ui.Shape1[statusIndex(slot, i)]->setFillColor(
            toQColor(cellStatusStyle(st.cellStatus[statusIndex(slot, i)]).color));
}

// Bars and their backgrounds of the selected board; top and height come from the status
// table, left and width stay where the panel layout put them.
void paintBars(Controls& ui, const StackState& st) {
    for (int i = 0; i < kCellsPerBoard; ++i) {
        const int code = st.cellStatus[statusIndex(st.selectedBoard, i)];
        const CellStatusStyle& style = cellStatusStyle(code);
        ShapeWidget* bar = ui.Shape2[i];
        setGeometryTwips(bar, bar->x() * kTwipsPerUnit, style.barTop, bar->width() * kTwipsPerUnit, style.barHeight);
        bar->setFillColor(toQColor(style.color));
        ui.Shape4[i]->setFillColor(toQColor(code == kStatusClear ? kWhite : kLightGrey));
    }
}

// Dims (grey, dimmed style, "READ Only" disabled) or restores one cell panel.
void styleCellPanel(Controls& ui, const StackState& st, int i, bool dim) {
    const QColor ink = dim ? toQColor(kGrey) : toQColor(kBlack);
    setForeground(ui.Frame1[i], ink);
    setBackground(ui.Text1[i], dim ? toQColor(kGrey) : valueBackground(st));
    for (ShapeWidget* line : {ui.Line7[i], ui.Line9[i], ui.Line10[i]}) line->setBorderColor(ink);
    for (ShapeWidget* shape : {ui.Shape2[i], ui.Shape4[i], ui.Shape5[i]}) {
        shape->setBorderColor(ink);
        shape->setDimmed(dim);
    }
    setForeground(dischargeBox(ui, i), ink);
    setForeground(maskBox(ui, i), ink);
    setForeground(ui.Check6[i], ink);
    ui.Check6[i]->setEnabled(!dim);
}

}  // namespace

void Form1::ShowCellVolts(int selector) {
    const CellReadVariant& v = cellReadVariant(selector);
    for (int n = v.firstCell; n < v.firstCell + v.cellCount; ++n) {
        QLineEdit* box = ui.Text1[n - 1];
        box->setText(QString::fromStdString(cellVoltsText(st.cellVolts[cellValueIndex(st.selectedBoard, n)])));
        setForeground(box, toQColor(kWhite));
        setBackground(box, cellDimmed(ui, n - 1) ? toQColor(kGrey) : systemWindowText());
    }
}

void Form1::ShowCellHex(int selector) {
    const CellReadVariant& v = cellReadVariant(selector);
    for (int n = v.firstCell; n < v.firstCell + v.cellCount; ++n) {
        const std::string& code = st.cellCodeHex[cellValueIndex(st.selectedBoard, n)];
        QLineEdit* box = ui.Text1[n - 1];
        // A board never read has no code yet; it shows the code of an empty register.
        box->setText(QString::fromStdString(cellHexText(code.empty() ? "000" : code)));
        setForeground(box, systemWindowText());
        setBackground(box, cellDimmed(ui, n - 1) ? toQColor(kGrey) : toQColor(kWhite));
    }
}

void Form1::ClearCellValues() {
    const bool hex = st.cellHexView == 1;
    for (int i = 0; i < kCellsPerBoard; ++i) {
        QLineEdit* box = ui.Text1[i];
        box->setText(QString::fromUtf8(hex ? kClearedCellHexText.data() : kClearedCellText.data()));
        setForeground(box, hex ? systemWindowText() : toQColor(kWhite));
        setBackground(box, cellDimmed(ui, i) ? toQColor(kGrey) : (hex ? toQColor(kWhite) : systemWindowText()));
    }
}

void Form1::EvaluateCellStatus(int slot) { evaluateCellStatus(st, slot); }

void Form1::EvaluateCellStatusAll() {
    for (int s = 0; s <= st.lastBoardIndex; ++s) evaluateCellStatus(st, s);
}

void Form1::ShowCellStatus() {
    paintLamps(ui, st, servedBoard(st));
    paintBars(ui, st);
}

void Form1::ClearCellStatus(bool allBoards) { clearCellStatus(st, allBoards); }

void Form1::SelectSingleCell(int index) {
    // The box that decides is the one just toggled; should it be unchecked while another
    // stays checked (only possible from code), that other one keeps the selection.
    int chosen = -1;
    if (index >= 0 && index < kCellsPerBoard && ui.Check6[index]->isChecked()) chosen = index;
    for (int i = 0; chosen < 0 && i < kCellsPerBoard; ++i)
        if (ui.Check6[i]->isChecked()) chosen = i;

    if (chosen < 0) st.singleCellMode = 0;
    else st.singleCellMode = st.bcastSTCVAD[st.selectedBoard] == 1 ? 2 : 1;

    // Start from the restored state, so that a change between modes 1 and 2 also undoes
    // the dimming of the boards the new mode leaves alone.
    for (int i = 0; i < kCellsPerBoard; ++i) styleCellPanel(ui, st, i, false);
    for (ShapeWidget* lamp : ui.Shape1) lamp->setDimmed(false);
    if (chosen < 0) {
        st.cellSelectDigit = "0";
        return;
    }

    for (int i = 0; i < kCellsPerBoard; ++i) {
        if (i == chosen) continue;
        styleCellPanel(ui, st, i, true);
        if (st.singleCellMode == 2) {
            for (int s = 0; s < kBoards; ++s) ui.Shape1[statusIndex(s, i)]->setDimmed(true);
        } else {
            ui.Shape1[statusIndex(st.selectedBoard, i)]->setDimmed(true);
        }
    }
    st.cellSelectDigit = cellSelectDigitFor(chosen);
}

void Form1::connectDisplayHandlers() {
    for (int i = 0; i < kCellsPerBoard; ++i)
        connect(ui.Check6[i], &QCheckBox::toggled, this, [this, i] { SelectSingleCell(i); });
    for (int j = 0; j < static_cast<int>(ui.Check7.size()); ++j)
        connect(ui.Check7[j], &QCheckBox::toggled, this, [this, j] { SelectTempChannel(j); });
}

}  // namespace zmx
