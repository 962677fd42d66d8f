// Configuration bit boxes, CDC stepping, the custom/global scope and ten-cell mode, and
// the binding of every configuration control to its handler.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "rules/BitControlLogic.h"
#include "rules/Thresholds.h"
#include "window/config/ThresholdBoxEvents.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

// The mark lets twelve-cell mode show again exactly what ten-cell mode hid, and nothing
// that another display keeps hidden.
void hideForTenCells(QWidget* w) {
    if (w->isHidden()) return;
    w->setProperty(kHiddenByTenCellsProperty, true);
    w->hide();
}

void showAfterTenCells(QWidget* w) {
    if (!w->property(kHiddenByTenCellsProperty).toBool()) return;
    w->setProperty(kHiddenByTenCellsProperty, QVariant());
    w->show();
}

}  // namespace

void Form1::Check0_Click(int) {
    EncodeCfgr0();
    ApplyCellMode();
    RefreshConfigView();
}

void Form1::Check1_Click(int) {
    EncodeCfgr(1);
    RefreshConfigView();
}

void Form1::Check2_Click(int) {
    EncodeCfgr(2);
    RefreshConfigView();
}

void Form1::Check3_Click(int) {
    EncodeCfgr(3);
    RefreshConfigView();
}

void Form1::Command0_Click(int index) {
    if (index != 0 && index != 1) return;
    const int s = st.selectedBoard;
    st.cdcValue[s] = static_cast<int16_t>(stepCdc(st.cdcValue[s], index == 0 ? -1 : +1));
    ApplyCdc();
    CopyImageToAll();
    ApplyScope();
}

// The three scope controls mirror each other: each handler sets the other two, and a state
// that is already in place runs nothing, so the chain ends after one round.
void Form1::Option1_Click(int index) {
    if (index == 0) {
        st.globalScope = 0;
        ui.Check5[5]->setChecked(false);
        ui.Option3[0]->setChecked(true);  // an exclusive option is deselected by selecting its partner
    } else if (index == 1) {
        st.globalScope = 1;
        CopyImageToAll();
        ApplyScope();
        ui.Check5[5]->setChecked(true);
        ui.Option3[1]->setChecked(true);
    }
}

void Form1::Option3_Click(int index) {
    if (index == 0) {
        ui.Check5[5]->setChecked(false);
        ui.Option1[0]->setChecked(true);
    } else if (index == 1) {
        CopyImageToAll();
        ApplyScope();
        ui.Check5[5]->setChecked(true);
        ui.Option1[1]->setChecked(true);
    }
}

void Form1::CopyImageToAll() {
    if (st.globalScope != 1) return;
    const int from = st.selectedBoard;
    for (int s = 0; s <= st.lastBoardIndex; ++s)
        if (s != from) st.cfgImage[s] = st.cfgImage[from];
}

void Form1::ApplyScope() {
    // Thresholds from the boxes. A text that gives no code 0..255 (say "99" volts) leaves
    // that code as it is; ShowThresholds then redraws the box from the stored code.
    const auto vuv = codeFromText(Threshold::Vuv, ui.Text2[0]->text().toStdString());
    const auto vov = codeFromText(Threshold::Vov, ui.Text2[1]->text().toStdString());
    auto storeCodes = [&](int s) {
        if (vuv) st.vuvCode[s] = *vuv;
        if (vov) st.vovCode[s] = *vov;
    };
    if (ui.Option1[0]->isChecked()) {
        storeCodes(st.selectedBoard);
    } else if (ui.Option1[1]->isChecked()) {
        for (int s = 0; s <= st.lastBoardIndex; ++s) storeCodes(s);
    }
    ShowThresholds();

    // CDC as the boxes of the selected board encode it.
    int cdc = 0;
    for (int bit = 0; bit < 3; ++bit)
        if (ui.Check0[bit]->isChecked()) cdc |= 1 << bit;
    if (ui.Option3[0]->isChecked()) {
        st.cdcValue[st.selectedBoard] = static_cast<int16_t>(cdc);
    } else if (ui.Option3[1]->isChecked()) {
        for (int s = 0; s <= st.lastBoardIndex; ++s) st.cdcValue[s] = static_cast<int16_t>(cdc);
    }
    ApplyCdc();
}

void Form1::ApplyCellMode() {
    const bool tenCells = ui.Check0[3]->isChecked();
    // One cell mode for the whole stack.
    for (int s = 0; s <= st.lastBoardIndex; ++s) st.cfgImage[s][0] = withTenCellBit(st.cfgImage[s][0], tenCells);

    // Cells 11 and 12 leave the window in ten-cell mode: their panels, their DCC and mask
    // boxes and their lamps on every board of the stack.
    QWidget* cellBoxes[] = {ui.Check2[2], ui.Check2[3], ui.Check3[6], ui.Check3[7]};
    for (int cell = 10; cell < 12; ++cell) {
        QGroupBox* frame = ui.Frame1[cell];
        for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            tenCells ? hideForTenCells(child) : showAfterTenCells(child);
        frame->setTitle(tenCells ? QString() : QStringLiteral("CELL%1").arg(cell + 1));
        for (int s = 0; s <= st.lastBoardIndex; ++s) {
            QWidget* lamp = ui.Shape1[12 * s + cell];
            tenCells ? hideForTenCells(lamp) : showAfterTenCells(lamp);
        }
    }
    for (QWidget* box : cellBoxes) tenCells ? hideForTenCells(box) : showAfterTenCells(box);
}

void Form1::connectConfigHandlers() {
    // Check boxes and option buttons are bound to their state change, so a click, the
    // keyboard, an accessibility action and a change made by code all run the same handler.
    for (int i = 0; i < 8; ++i) {
        connect(ui.Check0[i], &QCheckBox::toggled, this, [this, i] { Check0_Click(i); });
        connect(ui.Check1[i], &QCheckBox::toggled, this, [this, i] { Check1_Click(i); });
        connect(ui.Check2[i], &QCheckBox::toggled, this, [this, i] { Check2_Click(i); });
        connect(ui.Check3[i], &QCheckBox::toggled, this, [this, i] { Check3_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(ui.Command0[i], &QPushButton::clicked, this, [this, i] { Command0_Click(i); });
        connect(ui.Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
        connect(ui.Command2[i + 2], &QPushButton::clicked, this, [this, i] { Command2_Click(i + 2); });
        connect(ui.Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option1_Click(i);
        });
        connect(ui.Option3[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option3_Click(i);
        });
        connect(ui.Check8[i], &QCheckBox::toggled, this, [this, i] { Check8_Click(i); });
    }
    for (int i = 0; i < 6; ++i) connect(ui.Check5[i], &QCheckBox::toggled, this, [this, i] { Check5_Click(i); });
    for (int i = 0; i < 10; ++i) connect(ui.Command4[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
    // A list choice by the user runs its handler; code that sets a list runs it explicitly.
    connect(ui.Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(ui.Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
    installThresholdBoxEvents(*this);
}

}  // namespace zmx
