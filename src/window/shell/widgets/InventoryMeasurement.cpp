// Flags (Frame6) and the board banner in the top band; temperatures (Frame5), self tests
// (Frame9), the status legend (Frame8) with the hidden diagnostic frames over and beside
// it, and the board/address headers in the lower left.

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/Pictures.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zmx {
namespace {

using E = InventoryBuilder;

void buildFlagsAndBanner(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame6 =
        b.frame(central, QStringLiteral("Frame6"), QStringLiteral("FLAGS"), QRect(586, 0, 90, 64));
    static const char* const titles[3] = {"FLGR0 ", "FLGR1", "FLGR2"};
    for (int k = 0; k < 3; ++k) {
        ui.Label2[k] =
            b.label(f, E::element("Label2", k), QString::fromLatin1(titles[k]), QRect(6, 14 + 16 * k, 34, 14));
        ui.Text7[k] = b.textBox(f, E::element("Text7", k), QStringLiteral(" 00 "), QRect(42, 13 + 16 * k, 42, 15),
                                QStringLiteral("Flag register FLGR%1").arg(k));
        ui.Text7[k]->setAlignment(Qt::AlignCenter);
    }

    // Selected-board banner.
    ui.Label1 = b.label(central, QStringLiteral("Label1"), QStringLiteral("B O A R D # 1"), QRect(586, 68, 90, 14));
    ui.Label1->setFont(E::arial(8, true));
    ui.Label1->setAlignment(Qt::AlignCenter);
    setForeground(ui.Label1, QColor(0, 0, 160));
    ui.Label21 = b.label(central, QStringLiteral("Label21"), QStringLiteral("1"), QRect(606, 84, 50, 34));
    ui.Label21->setFont(E::arial(20, true));
    ui.Label21->setAlignment(Qt::AlignCenter);
    ui.Label21->setFrameShape(QFrame::Box);
    setForeground(ui.Label21, QColor(0, 0, 160));
    setBackground(ui.Label21, Qt::white);

    ui.Picture1 =
        b.picture(central, QStringLiteral("Picture1"),
                  badgePixmap(QStringLiteral("ZMX7730"), QStringLiteral("-2 / -4"), QSize(86, 48), QColor(0, 0, 128)),
                  QRect(588, 126, 86, 52), QStringLiteral("Chip family badge"));
}

void buildTemperatureFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame5 =
        b.frame(central, QStringLiteral("Frame5"), QStringLiteral("TEMPS"), QRect(231, 300, 222, 82));
    static const char* const titles[3] = {"ITMP ", "ETMP1  ", "ETMP2  "};
    static const char* const boxes[3] = {"ITMP Only", "ETMP1Only", "ETMP2Only"};
    static const char* const names[3] = {"ITMP", "ETMP1", "ETMP2"};
    for (int j = 0; j < 3; ++j) {
        const int x = 4 + 73 * j;
        const QString n = QString::fromLatin1(names[j]);
        // Thermometer: tube over column over bulb.
        ui.Shape8[j] = b.shape(f, E::element("Shape8", j), ShapeWidget::Kind::Rectangle, QRect(x + 3, 14, 6, 22),
                               n + " indicator tube");
        ui.Shape7[j] = b.shape(f, E::element("Shape7", j), ShapeWidget::Kind::Rectangle, QRect(x + 3, 35, 6, 22),
                               n + " indicator column");
        ui.Shape6[j] =
            b.shape(f, E::element("Shape6", j), ShapeWidget::Kind::Oval, QRect(x, 56, 12, 12), n + " indicator bulb");
        ui.Label6[j] = b.label(f, E::element("Label6", j), QString::fromLatin1(titles[j]), QRect(x + 16, 12, 50, 11));
        ui.Label6[j]->hide();
        ui.Text6[j] = b.textBox(f, E::element("Text6", j), QStringLiteral("0.0000V"), QRect(x + 15, 24, 52, 15),
                                n + " temperature");
        ui.Text6[j]->setAlignment(Qt::AlignCenter);
        setForeground(ui.Text6[j], Qt::white);
        setBackground(ui.Text6[j], systemWindowText());
        ui.Check7[j] =
            b.check(f, E::element("Check7", j), QString::fromLatin1(boxes[j]), {}, QRect(x + 14, 44, 58, 14), 6.0);
    }
}

void buildSelfTestFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame9 =
        b.frame(central, QStringLiteral("Frame9"), QStringLiteral("SELF TEST START A/D"), QRect(2, 386, 451, 58));
    struct Button {
        int index;
        const char* caption;
        const char* tip;
        QRect r;
    };
    static const Button buttons[7] = {
        {0, "CELL VOLT", "0x1E STCVAD SELF TEST ALL", QRect(4, 13, 86, 18)},
        {1, "OPEN WIRE", "0x2E STOWAD SELF TEST ALL", QRect(93, 13, 86, 18)},
        {2, "ALL TEMP ", "0x3E STTMPAD SELF TEST ALL", QRect(182, 13, 86, 18)},
        {5, "CELL DCC", "0x6E STCVDC SELF TEST ALL", QRect(271, 13, 86, 18)},
        {6, "OPEN DCC", "0x7E STOWDC SELF TEST ALL", QRect(360, 13, 86, 18)},
        {3, "READCELL HEX VIEW", "READ ONLY BRD#1 CELLS FOR SELFTEST IN HEX.", QRect(4, 35, 130, 18)},
        {4, "READTEMP HEX VIEW", "READ ONLY BRD#1 TEMPS FOR SELFTEST IN HEX.", QRect(137, 35, 130, 18)},
    };
    for (const Button& btn : buttons) {
        ui.Command5[btn.index] = b.button(f, E::element("Command5", btn.index), QString::fromLatin1(btn.caption),
                                          QString::fromLatin1(btn.tip), btn.r);
    }
    static const char* const patterns[3] = {"0x555", "0xAAA", "0xFFF"};
    for (int k = 0; k < 3; ++k) {
        ui.Option2[k] =
            b.option(f, E::element("Option2", k), QString::fromLatin1(patterns[k]), QRect(278 + 57 * k, 37, 55, 14));
    }
    // Self test 1 (0x555, digit E) is the pattern the window starts with.
    ui.Option2[0]->setChecked(true);
}

void buildLegendFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    const QRect area(2, 448, 316, 64);
    QGroupBox* f = ui.Frame8 = b.frame(central, QStringLiteral("Frame8"), QStringLiteral("LEGEND"), area);
    struct Entry {
        const char* swatch;
        const char* meaning;
        QColor colour;
    };
    static const Entry entries[8] = {
        {" DANGER!", "Flag Over Voltage ", QColor(255, 0, 0)},
        {" GOOD", "Voltage In Range", QColor(0, 255, 0)},
        {" CLEAR", "No Voltage Reading", QColor(255, 255, 255)},
        {" MASKED", "Mask Cell Interrupt", QColor(224, 224, 224)},
        {" MASKDCC", "Mask Cell Int w/ DCC", QColor(128, 128, 128)},
        {" DISCHARGE", "DisCharge Cell", QColor(128, 128, 255)},
        {" CAUTION!", "Flag  Under Voltage ", QColor(255, 255, 0)},
        {" THERMAL SD!", "Thermal Shutdown!", QColor(255, 128, 0)},
    };
    for (int k = 0; k < 8; ++k) {
        const int x = 4 + 156 * (k / 4), y = 13 + 12 * (k % 4);
        ui.Label10[k] =
            b.label(f, E::element("Label10", k), QString::fromLatin1(entries[k].swatch), QRect(x, y, 66, 11));
        setBackground(ui.Label10[k], entries[k].colour);
        setForeground(ui.Label10[k], Qt::black);
        ui.Label11[k] =
            b.label(f, E::element("Label11", k), QString::fromLatin1(entries[k].meaning), QRect(x + 68, y, 86, 11));
    }

    // DIAGNOSTIC lies over the legend; READ beside it. Both stay hidden.
    QGroupBox* d = ui.Frame11 = b.frame(central, QStringLiteral("Frame11"), QStringLiteral("DIAGNOSTIC"), area);
    d->setAutoFillBackground(true);  // shown, it covers the legend instead of mixing with it
    d->raise();
    ui.Command7[0] = b.button(d, E::element("Command7", 0), QStringLiteral("START DIAGN"), QStringLiteral("0x52 DAGN"),
                              QRect(4, 13, 70, 18));
    ui.Command7[1] = b.button(d, E::element("Command7", 1), QStringLiteral("READ DIAGN"), QStringLiteral("0x54 RDDGNR"),
                              QRect(4, 35, 70, 18));
    ui.Label23[0] = b.label(d, E::element("Label23", 0), QStringLiteral("| DGNR0  | DGNR1 |"), QRect(80, 12, 90, 11));
    ui.Label23[1] = b.label(d, E::element("Label23", 1), QStringLiteral("DIAGNOSTIC VREF |"), QRect(176, 12, 90, 11));
    ui.Label23[2] = b.label(d, E::element("Label23", 2), QStringLiteral("|    REV   |    MUX   | |  CODE   | CHECK  |"),
                            QRect(80, 46, 226, 11));
    static const char* const diag[5] = {"DGNR0", "DGNR1", "Diagnostic reference", "Revision", "Multiplexer check"};
    static const QRect diagBoxes[5] = {QRect(80, 24, 42, 15), QRect(126, 24, 42, 15), QRect(176, 24, 60, 15),
                                       QRect(240, 24, 30, 15), QRect(274, 24, 30, 15)};
    for (int k = 0; k < 5; ++k) {
        ui.Text14[k] = b.textBox(d, E::element("Text14", k), {}, diagBoxes[k], QString::fromLatin1(diag[k]));
    }
    d->hide();

    QGroupBox* r = ui.Frame12 =
        b.frame(central, QStringLiteral("Frame12"), QStringLiteral("READ"), QRect(322, 448, 131, 64));
    static const char* const reads[3] = {"READ CELL  1 - 4", "READ CELL  5 - 8", "READ CELL   9 -12"};
    for (int k = 0; k < 3; ++k) {
        ui.Command8[k] =
            b.button(r, E::element("Command8", k), QString::fromLatin1(reads[k]), {}, QRect(4, 12 + 17 * k, 84, 16));
    }
    ui.Label24 = b.label(r, QStringLiteral("Label24"), QStringLiteral("4CELLS   ONLY"), QRect(90, 14, 38, 30), true);
    r->hide();
}

void buildBoardHeaders(InventoryBuilder& b, QWidget* central, Controls& ui) {
    ui.Label12 = b.label(central, QStringLiteral("Label12"),
                         QStringLiteral("BOARDS   1       2      3      4      5      6      7      8      9     10"),
                         QRect(6, 518, 300, 12));
    ui.Label15 = b.label(central, QStringLiteral("Label15"),
                         QStringLiteral("ADDRESS 81    82    83    84    85    86    87    88    89    8A"),
                         QRect(6, 532, 300, 12));
}

}  // namespace

void buildMeasurementArea(InventoryBuilder& b, QWidget* central, Controls& ui) {
    buildFlagsAndBanner(b, central, ui);
    buildTemperatureFrame(b, central, ui);
    buildSelfTestFrame(b, central, ui);
    buildLegendFrame(b, central, ui);
    buildBoardHeaders(b, central, ui);
}

}  // namespace zmx
