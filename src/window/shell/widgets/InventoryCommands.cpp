// Right column: the chip command buttons (Command1, Command3) at left 796, with the
// broadcast boxes, board labels and highlight frames to their left, and below them the
// hidden datalog buttons, the controller identification and the version.

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/Pictures.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace zmx {
namespace {

using E = InventoryBuilder;
namespace L = layout;

constexpr int kBoardLabelLeft = L::kBroadcastLeft + L::kBroadcastNarrowWidth + 2;
constexpr int kBoardLabelWidth = L::kCommandLeft - 3 - kBoardLabelLeft;

struct Row {
    int index;  // Command1 index, or -1 for a Command3 row
    const char* caption;
    const char* tip;
    int top;
    int height;
};

// Command1 rows top to bottom; the two Command3 rows sit between START OPENWIRE and
// START TEMP under the "DCC PERMITTED CMD" header.
const Row kRows[] = {
    {0, "POLL ADC", "0x40 PLADC", 2, 17},
    {1, "POLL INT", "0x50 PLINT", 22, 17},
    {2, "STARTCELLVOLT", "0x10 STCVAD", 42, 17},
    {3, "START OPENWIRE", "0x20 STOWAD", 62, 17},
    {4, "START TEMP", "0x30 STTMPAD", 137, 17},
    {5, "WRITE CONFIG", "0x01 WRCFG", 157, 17},
    {6, "READ CONFIG", "0x02 RDCFG", 177, 17},
    {7, "READCELLVOLT", "0x04 RDCV", 197, 17},
    {8, "READ FLAG", "0x0C RDFLG", 217, 17},
    {9, "READ TEMP", "0x0E RDTMP", 237, 17},
    {10, " START CONTINUOUS   READ CELLS", "CONTINUOUS  READ = 1) STCVAD and RDCV. 2) STTMPAD and  RDTMP. 3) RDFLG.",
     259, 30},
    {14, "LOW CURRENT STBY", "LK200B'S SPI LINES ARE FORCED HIGH  TO SHOW ZMX7720-1'S LOW CURRENT STANDBY.", 293, 17},
    {11, "START D-LOG", "START/ PAUSE DATA LOGGING", 314, 17},
    {12, "STOP", "STOP DATA LOGGING!", 333, 17},
    {13, "VIEW", "VIEW DATA TEXT FILE", 352, 17},
};
constexpr int kHoldRowTops[2] = {97, 117};

int rowTop(int command1Index) {
    for (const Row& r : kRows)
        if (r.index == command1Index) return r.top;
    return 0;
}

// The frame around a narrowed command button (left 804, width 81) at a row.
QRect highlightAround(int top, int height = L::kCommandHeight) {
    return QRect(L::kCommandNarrowLeft - 4, top - 2, L::kCommandNarrowWidth + 8, height + 4);
}

ShapeWidget* highlight(InventoryBuilder& b, QWidget* central, const QString& name, const QRect& r, const QColor& colour,
                       const QString& description) {
    ShapeWidget* s = b.shape(central, name, ShapeWidget::Kind::Rectangle, r, description);
    s->setFilled(false);
    s->setBorderColor(colour);
    s->setBorderWidth(2);
    s->hide();
    return s;
}

QCheckBox* broadcastBox(InventoryBuilder& b, QWidget* central, const QString& name, int top) {
    // Starts unchecked, so narrow; the broadcast handler widens it when checked.
    return b.check(central, name, QStringLiteral("BROADCAST"), {},
                   QRect(L::kBroadcastLeft, top, L::kBroadcastNarrowWidth, L::kCommandHeight));
}

QLabel* boardLabel(InventoryBuilder& b, QWidget* central, const QString& name, const QString& text, int top) {
    QLabel* l = b.label(central, name, text, QRect(kBoardLabelLeft, top + 2, kBoardLabelWidth, 13));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

void buildHighlights(InventoryBuilder& b, QWidget* central, Controls& ui) {
    const QColor mark(255, 0, 0);
    ui.Shape_KA = highlight(b, central, QStringLiteral("Shape_KA"), highlightAround(rowTop(0)), QColor(0, 160, 0),
                            QStringLiteral("WDT SERVICE frame around POLL ADC"));
    ui.Shape14 = highlight(b, central, QStringLiteral("Shape14"), highlightAround(rowTop(5)), QColor(128, 128, 0),
                           QStringLiteral("Write pending frame around WRITE CONFIG"));
    ui.Shape16[0] = highlight(b, central, E::element("Shape16", 0), highlightAround(rowTop(6)), mark,
                              QStringLiteral("Read pending frame around READ CONFIG"));
    ui.Shape16[1] = highlight(b, central, E::element("Shape16", 1), highlightAround(rowTop(7)), mark,
                              QStringLiteral("Read pending frame around READCELLVOLT"));
    ui.Shape16[2] = highlight(b, central, E::element("Shape16", 2), highlightAround(rowTop(9)), mark,
                              QStringLiteral("Read pending frame around READ TEMP"));
    for (int k = 3; k <= 5; ++k) {
        ui.Shape16[k] = highlight(b, central, E::element("Shape16", k), highlightAround(rowTop(8 + k)), mark,
                                  QStringLiteral("Unused highlight frame %1").arg(k));
    }
}

void buildCommandButtons(InventoryBuilder& b, QWidget* central, Controls& ui) {
    for (const Row& r : kRows) {
        ui.Command1[r.index] =
            b.button(central, E::element("Command1", r.index), QString::fromLatin1(r.caption),
                     QString::fromLatin1(r.tip), QRect(L::kCommandLeft, r.top, L::kCommandWidth, r.height));
    }
    for (int k = 11; k <= 13; ++k) ui.Command1[k]->hide();

    // Broadcast switches and the board an addressed command goes to.
    static const int boxRows[6] = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        const int top = rowTop(boxRows[i]);
        ui.Check5[i] = broadcastBox(b, central, E::element("Check5", i), top);
        ui.Label19[i] = boardLabel(b, central, E::element("Label19", i), QStringLiteral("BRD#1"), top);
    }
    // "WDT SERVICE" takes the place of the POLL ADC broadcast box while the keep-alive runs.
    ui.Label_KA[0] = b.label(central, E::element("Label_KA", 0), QStringLiteral("WDT SERVICE"),
                             QRect(L::kBroadcastLeft, rowTop(0) + 2, L::kBroadcastNarrowWidth, 13), false, 6.0);
    ui.Label_KA[0]->setFont(E::arial(6.0, true));
    setForeground(ui.Label_KA[0], QColor(0, 128, 0));

    // Conversions with the discharge switches held.
    ui.Shape13 = b.shape(central, QStringLiteral("Shape13"), ShapeWidget::Kind::Oval, QRect(781, 82, 12, 12),
                         QStringLiteral("Discharge held lamp"));
    ui.Label20[0] = b.label(central, E::element("Label20", 0), QStringLiteral("DCC PERMITTED CMD"),
                            QRect(L::kCommandLeft, 82, L::kCommandWidth, 13));
    ui.Label20[0]->setAlignment(Qt::AlignCenter);
    ui.Label20[0]->setFont(E::arial(6.5, true));
    static const char* const holdCaptions[2] = {"STARTCELL hold DCC", "STARTOPEN hold DCC"};
    static const char* const holdTips[2] = {"0x60 STCVDC", "0x70 STOWDC"};
    for (int k = 0; k < 2; ++k) {
        const int top = kHoldRowTops[k];
        ui.Command3[k] = b.button(central, E::element("Command3", k), QString::fromLatin1(holdCaptions[k]),
                                  QString::fromLatin1(holdTips[k]),
                                  QRect(L::kCommandLeft, top, L::kCommandWidth, L::kCommandHeight), 6.5);
        ui.Check8[k] = broadcastBox(b, central, E::element("Check8", k), top);
        ui.Label20[k + 1] = boardLabel(b, central, E::element("Label20", k + 1), QStringLiteral("BRD#1"), top);
    }

    // Reads are always addressed: they name the board they read.
    static const int readRows[4] = {6, 7, 8, 9};
    for (int k = 0; k < 4; ++k) {
        ui.Label18[k] = b.label(central, E::element("Label18", k), QStringLiteral("BOARD# 1 ONLY"),
                                QRect(719, rowTop(readRows[k]) + 2, 74, 13));
        ui.Label18[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    ui.Shape3 = b.shape(central, QStringLiteral("Shape3"), ShapeWidget::Kind::Oval, QRect(777, rowTop(10) + 7, 16, 16),
                        QStringLiteral("Continuous mode lamp"));
    ui.Shape3->setFillColor(QColor(255, 0, 0));
}

void buildIdentification(InventoryBuilder& b, QWidget* central, Controls& ui) {
    ui.Picture2 =
        b.picture(central, QStringLiteral("Picture2"),
                  badgePixmap(QStringLiteral("LK200"), QStringLiteral("USB - SPI"), QSize(93, 44), QColor(128, 0, 0)),
                  QRect(798, 380, 95, 48), QStringLiteral("Controller badge"));
    ui.Label_IDstring = b.label(central, QStringLiteral("Label_IDstring"), {}, QRect(798, 434, 95, 13));
    ui.Label_IDstring->setAlignment(Qt::AlignCenter);
    ui.Label_IDstring->setAccessibleDescription(QStringLiteral("Controller identification"));
    ui.Label_version = b.label(central, QStringLiteral("Label_version"),
                               QStringLiteral("VERSION %1").arg(QStringLiteral(ZMX_VERSION)), QRect(798, 450, 95, 13));
    ui.Label_version->setAlignment(Qt::AlignCenter);

    ui.Cmd_DIAG = b.button(central, QStringLiteral("Cmd_DIAG"), QStringLiteral("SHOW   D  I AGNOST   I  C"), {},
                           QRect(798, 540, 95, 28));
    ui.Cmd_4CELL = b.button(central, QStringLiteral("Cmd_4CELL"), QStringLiteral("4CELL"), {}, QRect(798, 572, 95, 20));
    ui.Cmd_DIAG->hide();
    ui.Cmd_4CELL->hide();
}

}  // namespace

void buildCommandColumn(InventoryBuilder& b, QWidget* central, Controls& ui) {
    buildHighlights(b, central, ui);
    buildCommandButtons(b, central, ui);
    buildIdentification(b, central, ui);
}

}  // namespace zmx
