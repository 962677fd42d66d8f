// Flag and temperature display, and the single-channel selection of the temperatures.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "protocol/ReadDecode.h"
#include "rules/CellFormat.h"
#include "rules/Colors.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

constexpr int kTempBoxes = 3;

// A channel whose box is disabled is dimmed by the selection of another channel.
bool channelDimmed(const Controls& ui, int j) { return !ui.Check7[j]->isEnabled(); }

void styleIndicators(Controls& ui, int j, const QColor& border, bool dim) {
    for (ShapeWidget* shape : {ui.Shape6[j], ui.Shape7[j], ui.Shape8[j]}) {
        shape->setBorderColor(border);
        shape->setDimmed(dim);
    }
}

// Dims or restores one temperature channel (title, box caption, value, indicators).
void styleChannel(Controls& ui, const StackState& st, int j, bool dim) {
    const QColor ink = toQColor(dim ? kGrey : kBlack);
    setForeground(ui.Label6[j], ink);
    setForeground(ui.Check7[j], ink);
    // The restored value background follows the view: black under volts, white under codes.
    const QColor value = st.tempHexView == 1 ? toQColor(kWhite) : toQColor(kBlack);
    setBackground(ui.Text6[j], dim ? toQColor(kGrey) : value);
    ui.Check7[j]->setEnabled(!dim);
    styleIndicators(ui, j, ink, dim);
}

}  // namespace

void Form1::ShowFlags() {
    for (int k = 0; k < 3; ++k)
        ui.Text7[k]->setText(QString::fromStdString(flagBoxText(st.flgrText[st.selectedBoard][k])));
}

void Form1::ClearFlags() {
    for (auto* box : ui.Text7) box->clear();
}

void Form1::ShowTemps() {
    for (int j = 0; j < kTempBoxes; ++j) {
        const float volts = st.cellVolts[tempValueIndex(st.selectedBoard, tempChannelOfBox(j))];
        ui.Text6[j]->setText(QString::fromStdString(tempVoltsText(volts)));
        setForeground(ui.Text6[j], toQColor(kWhite));
        setBackground(ui.Text6[j], toQColor(channelDimmed(ui, j) ? kGrey : kBlack));
    }
    ShowTempIndicators();
}

void Form1::ShowTempsHex() {
    for (int j = 0; j < kTempBoxes; ++j) {
        const std::string& code = st.cellCodeHex[tempValueIndex(st.selectedBoard, tempChannelOfBox(j))];
        ui.Text6[j]->setText(QString::fromStdString(tempHexText(code.empty() ? "000" : code)));
        setForeground(ui.Text6[j], systemWindowText());
        setBackground(ui.Text6[j], toQColor(channelDimmed(ui, j) ? kGrey : kWhite));
    }
    ShowTempIndicators();
}

void Form1::ShowTempIndicators() {
    const int s = st.selectedBoard;
    const bool live = st.measureMode[s] != 0 || st.rdtmpGood[s] == 1;
    for (int j = 0; j < kTempBoxes; ++j) {
        ui.Shape6[j]->setFillColor(live ? toQColor(kRed) : systemWindowBackground());
        ui.Shape7[j]->setFillColor(live ? toQColor(kRed) : systemWindowBackground());
        ui.Shape8[j]->setFillColor(live ? toQColor(kLightGrey) : systemWindowBackground());
    }
}

void Form1::ClearTemps() {
    for (int j = 0; j < kTempBoxes; ++j) {
        for (ShapeWidget* shape : {ui.Shape6[j], ui.Shape7[j], ui.Shape8[j]}) shape->setFillColor(toQColor(kWhite));
        ui.Text6[j]->setText(QString::fromUtf8(kClearedTempText.data()));
        setForeground(ui.Text6[j], toQColor(kWhite));
        setBackground(ui.Text6[j], channelDimmed(ui, j) ? toQColor(kGrey) : systemWindowText());
    }
}

void Form1::SelectTempChannel(int index) {
    // The channel boxes exclude each other by disabling the others, so at most one is
    // checked; the toggled box decides when it is checked.
    int chosen = -1;
    if (index >= 0 && index < kTempBoxes && ui.Check7[index]->isChecked()) chosen = index;
    for (int j = 0; chosen < 0 && j < kTempBoxes; ++j)
        if (ui.Check7[j]->isChecked()) chosen = j;

    for (int j = 0; j < kTempBoxes; ++j) {
        if (chosen < 0) {
            if (channelDimmed(ui, j)) styleChannel(ui, st, j, false);
        } else {
            styleChannel(ui, st, j, j != chosen);
        }
    }
    st.tempSelectDigit = chosen < 0 ? "0" : tempSelectDigitFor(chosen);
}

}  // namespace zmx
