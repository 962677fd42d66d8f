// The twelve cell panels Frame1(11) .. Frame1(0), laid out right to left under the
// column header Label9(0): CELL12 leftmost, CELL1 rightmost.

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/TextFit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace zmx {
namespace {

using E = InventoryBuilder;

constexpr int kPanelPitch = 59;
constexpr int kPanelWidth = 57;
constexpr int kPanelTop = 202;
constexpr int kPanelHeight = 96;
constexpr int kBandLeft = 2;

// Bar column inside a panel, in twips: the bar background spans the tallest bar
// (top 360, bottom 855); the bar itself starts as the "no reading" bar (top 600).
constexpr int kBarLeftTwips = 60;
constexpr int kBarWidthTwips = 210;
constexpr int kBarTopTwips = 360;
constexpr int kBarBottomTwips = 855;
constexpr int kNoReadingTopTwips = 600;

int panelLeft(int cellIndex) { return kBandLeft + kPanelPitch * (11 - cellIndex); }

// The discharge and mask boxes of cell i (0..11) in the CFGR1..CFGR3 box arrays.
QCheckBox*& dischargeBox(Controls& ui, int i) { return i < 8 ? ui.Check1[i] : ui.Check2[i - 8]; }
QCheckBox*& maskBox(Controls& ui, int i) { return i < 4 ? ui.Check2[i + 4] : ui.Check3[i - 4]; }
QString dischargeName(int i) { return i < 8 ? E::element("Check1", i) : E::element("Check2", i - 8); }
QString maskName(int i) { return i < 4 ? E::element("Check2", i + 4) : E::element("Check3", i - 4); }

void buildPanel(InventoryBuilder& b, QWidget* central, Controls& ui, int i) {
    const int cell = i + 1;
    QGroupBox* f = ui.Frame1[i] = b.frame(central, E::element("Frame1", i), QStringLiteral("CELL%1").arg(cell),
                                          QRect(panelLeft(i), kPanelTop, kPanelWidth, kPanelHeight));
    const QString c = QStringLiteral("Cell %1 ").arg(cell);
    // Ten-cell mode empties the titles of cells 11 and 12: the panel still has a name.
    f->setAccessibleDescription(c + "panel");

    // Cell symbol: lead, terminal cap, bar over its background, lead, base line.
    ui.Line7[i] = b.shape(f, E::element("Line7", i), ShapeWidget::Kind::Line, QRect(10, 13, 3, 8), c + "upper lead");
    ui.Shape5[i] =
        b.shape(f, E::element("Shape5", i), ShapeWidget::Kind::Rectangle, QRect(8, 20, 7, 5), c + "terminal cap");
    ui.Shape5[i]->setFillColor(QColor(128, 128, 128));
    ui.Shape4[i] = b.shape(f, E::element("Shape4", i), ShapeWidget::Kind::Rectangle, {}, c + "bar background");
    setGeometryTwips(ui.Shape4[i], kBarLeftTwips, kBarTopTwips, kBarWidthTwips, kBarBottomTwips - kBarTopTwips);
    ui.Shape2[i] = b.shape(f, E::element("Shape2", i), ShapeWidget::Kind::Rectangle, {}, c + "status bar");
    setGeometryTwips(ui.Shape2[i], kBarLeftTwips, kNoReadingTopTwips, kBarWidthTwips,
                     kBarBottomTwips - kNoReadingTopTwips);
    ui.Line10[i] = b.shape(f, E::element("Line10", i), ShapeWidget::Kind::Line, QRect(10, 57, 3, 7), c + "lower lead");
    ui.Line9[i] = b.shape(f, E::element("Line9", i), ShapeWidget::Kind::Line, QRect(3, 63, 17, 2), c + "base line");

    dischargeBox(ui, i) = b.check(f, dischargeName(i), QStringLiteral("DCC"), {}, QRect(21, 25, 35, 14), 6.5);
    maskBox(ui, i) = b.check(f, maskName(i), QStringLiteral("Mask"), {}, QRect(21, 42, 35, 14), 6.5);

    ui.Text1[i] = b.textBox(f, E::element("Text1", i), QStringLiteral("0.0000V"), QRect(3, 66, 51, 14), c + "voltage");
    ui.Text1[i]->setAlignment(Qt::AlignCenter);
    setForeground(ui.Text1[i], Qt::white);
    setBackground(ui.Text1[i], systemWindowText());

    ui.Check6[i] = b.check(f, E::element("Check6", i), QStringLiteral("READ Only"), {}, QRect(2, 81, 54, 13), 6.0);
}

}  // namespace

void buildCellPanels(InventoryBuilder& b, QWidget* central, Controls& ui) {
    ui.Label9[0] = b.label(central, E::element("Label9", 0),
                           QStringLiteral("CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  CELL 4  "
                                          "CELL 3  CELL 2  CELL 1"),
                           QRect(kBandLeft + 8, 189, kPanelPitch * 12 - 16, 12));
    ui.Label9[0]->setFont(E::arial(E::kControlPoints, true));
    spreadOverWidth(ui.Label9[0], ui.Label9[0]->width() - 8, SpreadBy::Letters);
    for (int i = 11; i >= 0; --i) buildPanel(b, central, ui, i);
}

}  // namespace zmx
