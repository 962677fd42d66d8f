// Top band and threshold frame: I/O mode (Frame3), transfer monitor (Frame7),
// configuration registers (Frame4) and voltage limits (Frame2).

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/Pictures.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zmx {
namespace {

using E = InventoryBuilder;

// Highlight frames: an unfilled rectangle drawn around the control it marks.
ShapeWidget* marker(InventoryBuilder& b, QWidget* parent, const QString& name, const QRect& r, const QColor& colour,
                    const QString& description) {
    ShapeWidget* s = b.shape(parent, name, ShapeWidget::Kind::Rectangle, r, description);
    s->setFilled(false);
    s->setBorderColor(colour);
    s->setBorderWidth(2);
    s->hide();
    return s;
}

void stepButton(QPushButton* button, ArrowDirection direction) {
    button->setIcon(QIcon(arrowPixmap(direction, 10, Qt::black)));
    button->setIconSize(QSize(10, 10));
}

void buildIoModeFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame3 =
        b.frame(central, QStringLiteral("Frame3"), QStringLiteral("SET I/O MODE CFGR0"), QRect(2, 0, 336, 186));

    // Column titles of the conversion-mode table; the CDC number is the box below.
    ui.Label4 = b.label(f, QStringLiteral("Label4"),
                        QStringLiteral("|  UV/OV COMPARE  |   VREF POWER DOWN   |   CELL MEASURE TIME   |"),
                        QRect(6, 12, 312, 12));
    // 314 wide: each row of the table takes one line of the box (the box wraps).
    ui.Text3 = b.textArea(f, QStringLiteral("Text3"), QRect(4, 24, 314, 38), QStringLiteral("Conversion mode table"));

    // Bit boxes, bit 7 at the top; the CDC bits 2..0 are kept hidden below them.
    static const char* const captions[8] = {"CDC[0] (Bit 0)",
                                            "CDC[1] (Bit 1)",
                                            "CDC[2] (Bit 2)",
                                            "10CELLS bit3  1 = 10, 0 = 12 CELLs",
                                            "LVLPL bit4  1 = Level, 0 = Toggle Poll.",
                                            "GPIO1 bit5  1 = Hi-Z, 0 = Out Low.",
                                            "GPIO2 bit6  1 = Hi-Z, 0 = Out Low.",
                                            "WDTB STATUS bit7  1 = HI, 0 = LOW."};
    for (int bit = 7; bit >= 0; --bit) {
        ui.Check0[bit] = b.check(f, E::element("Check0", bit), QString::fromLatin1(captions[bit]), {},
                                 QRect(6, 64 + 15 * (7 - bit), 178, 14));
    }
    for (int bit = 0; bit <= 2; ++bit) ui.Check0[bit]->hide();
    ui.Check0[3]->setEnabled(false);

    // CDC group: decrement, value, increment; the standby marker frames it while CDC is 0.
    ui.Shape16[6] = marker(b, f, E::element("Shape16", 6), QRect(186, 62, 82, 26), QColor(255, 128, 0),
                           QStringLiteral("Standby marker around the CDC value"));
    ui.Command0[0] = b.button(f, E::element("Command0", 0), {}, QStringLiteral("COMPARATOR DUTY CYCLE DECREMENT."),
                              QRect(190, 66, 20, 18));
    stepButton(ui.Command0[0], ArrowDirection::Down);
    ui.Command0[0]->setAccessibleDescription(QStringLiteral("CDC decrement"));
    ui.Text15 = b.textBox(f, QStringLiteral("Text15"), QStringLiteral("0"), QRect(212, 66, 30, 18),
                          QStringLiteral("CDC value"));
    ui.Text15->setAlignment(Qt::AlignCenter);
    ui.Command0[1] = b.button(f, E::element("Command0", 1), {}, QStringLiteral("COMPARATOR DUTY CYCLE INCREMENT."),
                              QRect(244, 66, 20, 18));
    stepButton(ui.Command0[1], ArrowDirection::Up);
    ui.Command0[1]->setAccessibleDescription(QStringLiteral("CDC increment"));

    ui.Option3[0] = b.option(f, E::element("Option3", 0), QStringLiteral("CUSTOM BRD# 1"), QRect(190, 94, 140, 14));
    ui.Option3[1] = b.option(f, E::element("Option3", 1), QStringLiteral("GLOBAL CFGR0"), QRect(190, 110, 140, 14));

    // A legend of the box states; it has no behaviour and stays hidden.
    ui.Check4[0] = b.check(f, E::element("Check4", 0), QStringLiteral("Checked  = 1"), {}, QRect(190, 134, 100, 14));
    ui.Check4[1] = b.check(f, E::element("Check4", 1), QStringLiteral(" Unchecked = 0"), {}, QRect(190, 149, 100, 14));
    ui.Check4[0]->setChecked(true);
    ui.Label17 = b.label(f, QStringLiteral("Label17"), QStringLiteral("   LEGEND"), QRect(190, 164, 100, 12));
    ui.Check4[0]->hide();
    ui.Check4[1]->hide();
    ui.Label17->hide();
}

void buildMonitorFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame7 =
        b.frame(central, QStringLiteral("Frame7"), QStringLiteral("PACKET ERROR CODE "), QRect(342, 0, 240, 64));
    ui.Label8[1] = b.label(f, E::element("Label8", 1), QStringLiteral("Command = 0x54 RDDGNR"), QRect(5, 12, 116, 12));
    ui.Label8[1]->setAccessibleDescription(QStringLiteral("Command of the last transfer"));  // emptied when cleared
    ui.Label8[3] =
        b.label(f, E::element("Label8", 3), QStringLiteral(" Address = 0x8F BRD#10"), QRect(122, 12, 115, 12));
    ui.Label25 = b.label(f, QStringLiteral("Label25"), QStringLiteral("W R"), QRect(6, 47, 22, 12));
    ui.Label8[2] =
        b.label(f, E::element("Label8", 2), QStringLiteral("| SENT  | SENT | SENT  |"), QRect(30, 25, 200, 10));
    ui.Label8[0] =
        b.label(f, E::element("Label8", 0), QStringLiteral("| ADDR |  Cmd  | DATA |"), QRect(30, 35, 200, 11));
    ui.Text8 = b.textBox(f, QStringLiteral("Text8"), QStringLiteral("   8F  |  6B  |  6B  |  "), QRect(30, 46, 200, 15),
                         QStringLiteral("Transfer monitor PEC bytes"));
    setBackground(ui.Text8, Qt::white);
}

void buildRegisterFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame4 =
        b.frame(central, QStringLiteral("Frame4"), QStringLiteral("CONFIGURATION REGISTERS"), QRect(342, 68, 240, 98));
    // The headers wrap: the title on the first line, the register columns on the second
    // (231 wide is where both headers break that way).
    ui.Label5[1] = b.label(f, E::element("Label5", 1),
                           QStringLiteral("CONFIGURATION WRITTEN TO ZMX7730                       "
                                          "| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"),
                           QRect(4, 12, 231, 22), true);
    ui.Label5[0] = b.label(f, E::element("Label5", 0),
                           QStringLiteral("CONFIGURATION READ FROM ZMX7730                       "
                                          "| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"),
                           QRect(4, 53, 231, 22), true);
    for (int k = 0; k < 6; ++k) {
        const QString initial = k == 0 ? QStringLiteral("0xE0") : QStringLiteral("0x00");
        ui.Text4[k] = b.textBox(f, E::element("Text4", k), initial, QRect(5 + 38 * k, 34, 36, 15),
                                QStringLiteral("CFGR%1 written").arg(k));
        ui.Text5[k] = b.textBox(f, E::element("Text5", k), initial, QRect(5 + 38 * k, 75, 36, 15),
                                QStringLiteral("CFGR%1 read back").arg(k));
        ui.Text4[k]->setAlignment(Qt::AlignCenter);
        ui.Text5[k]->setAlignment(Qt::AlignCenter);
    }
}

void buildLimitsFrame(InventoryBuilder& b, QWidget* central, Controls& ui) {
    QGroupBox* f = ui.Frame2 =
        b.frame(central, QStringLiteral("Frame2"), QStringLiteral("SET VOLTAGE LIMITS"), QRect(2, 300, 225, 82));
    static const char* const texts[2] = {
        "Enter VUV Undervoltage                                  -0.744V                            to 5.376V",
        "Enter VOV Overvoltage                                    -0.768V                            to 5.352V"};
    static const char* const initial[2] = {"Set VUV", "Set VOV"};
    static const char* const tips[2] = {"CLICK TO TYPE UNDERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE.",
                                        "CLICK TO TYPE OVERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE."};
    static const char* const names[2] = {"VUV", "VOV"};
    for (int k = 0; k < 2; ++k) {
        const int x = 4 + 110 * k;
        ui.Label3[k] = b.label(f, E::element("Label3", k), QString::fromLatin1(texts[k]), QRect(x, 11, 106, 34), true);
        // Zero-code marker: framed around the box while the code is 0.
        ui.Shape16[7 + k] = marker(b, f, E::element("Shape16", 7 + k), QRect(x - 2, 44, 66, 19), QColor(255, 0, 0),
                                   QStringLiteral("%1 zero-code marker").arg(QLatin1String(names[k])));
        ui.Text2[k] = b.textBox(f, E::element("Text2", k), QString::fromLatin1(initial[k]), QRect(x, 46, 62, 15),
                                QStringLiteral("%1 threshold in volts").arg(QLatin1String(names[k])), false);
        ui.Text2[k]->setToolTip(QString::fromLatin1(tips[k]));
        // Step buttons down/up; hidden, thresholds are typed.
        for (int d = 0; d < 2; ++d) {
            QPushButton* step = ui.Command2[2 * k + d] =
                b.button(f, E::element("Command2", 2 * k + d), {}, {}, QRect(x + 64 + 20 * d, 46, 18, 15));
            stepButton(step, d == 0 ? ArrowDirection::Down : ArrowDirection::Up);
            step->setAccessibleDescription(
                QStringLiteral("Step %1 %2")
                    .arg(QLatin1String(names[k]), d == 0 ? QStringLiteral("down") : QStringLiteral("up")));
            step->hide();
        }
    }
    ui.Option1[0] = b.option(f, E::element("Option1", 0), {}, QRect(4, 64, 14, 14),
                             QStringLiteral("Thresholds for the selected board only"));
    ui.Label13[0] = b.label(f, E::element("Label13", 0), QStringLiteral("CUSTOM  BOARD # 1"), QRect(19, 65, 92, 12));
    ui.Option1[1] =
        b.option(f, E::element("Option1", 1), {}, QRect(114, 64, 14, 14), QStringLiteral("Thresholds for every board"));
    ui.Label13[1] = b.label(f, E::element("Label13", 1), QStringLiteral("GLOBAL VUV,  VOV"), QRect(129, 65, 92, 12));
}

}  // namespace

void buildConfigurationArea(InventoryBuilder& b, QWidget* central, Controls& ui) {
    buildIoModeFrame(b, central, ui);
    buildMonitorFrame(b, central, ui);
    buildRegisterFrame(b, central, ui);
    buildLimitsFrame(b, central, ui);
}

}  // namespace zmx
