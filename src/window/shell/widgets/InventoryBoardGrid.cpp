// Lower right: board count and address lists, the watchdog banner, and the board grid
// (one row per board slot, slot 0 at the bottom; geometry in Layout.h).

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/Pictures.h"
#include "window/shell/widgets/TextFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace zmx {
namespace {

using E = InventoryBuilder;
namespace L = layout;

const QColor kUnselectedBorder(224, 224, 224);

void buildBoardLists(InventoryBuilder& b, QWidget* central, Controls& ui) {
    ui.Label7 = b.label(central, QStringLiteral("Label7"), QStringLiteral("NUMBER OF BOARDS IN SYSTEM"),
                        QRect(457, 304, 150, 12));
    QStringList counts;
    for (int n = 1; n <= 10; ++n) counts << QString::number(n);
    ui.Combo1 = b.combo(central, QStringLiteral("Combo1"), counts, 0, QRect(610, 301, 44, 18),
                        QStringLiteral("Number of boards"));

    ui.Label14 = b.label(central, QStringLiteral("Label14"), QStringLiteral("SET/ DISPLAY BOARD # 1 AT HEX ADDRESS"),
                         QRect(457, 324, 192, 12));
    ui.Label16 = b.label(central, QStringLiteral("Label16"), QStringLiteral("0x8"), QRect(651, 324, 17, 12));
    QStringList digits;
    for (int d = 0; d < 16; ++d) digits << QString::number(d, 16).toUpper();
    ui.Combo2 = b.combo(central, QStringLiteral("Combo2"), digits, 1, QRect(670, 321, 44, 18),
                        QStringLiteral("Address digit of the selected board"));

    ui.Check_AUTO =
        b.check(central, QStringLiteral("Check_AUTO"), QStringLiteral("PEC Match Only"),
                QStringLiteral("Auto Retry Command on Detection of CRC8 (PEC) Error"), QRect(712, 302, 83, 16));
    ui.Check_AUTO->hide();
}

void buildBanner(InventoryBuilder& b, QWidget* central, Controls& ui) {
    const QRect place(L::kBannerLeft, L::kBannerTop, L::kBannerWidth, L::kBannerHeight);
    ui.Label_KA[1] = b.label(central, E::element("Label_KA", 1),
                             QStringLiteral(" CONTINUOUS MODE CONSTANTLY SENDS COMMANDS   TO PREVENT WATCHDOG TIMER "
                                            "FROM TIMEOUT!"),
                             place, true, 9);
    setBackground(ui.Label_KA[1], QColor(0xC0, 0xFF, 0xC0));
    // Shares the banner's place; hidden.
    ui.Label_AUTOstatus = b.label(central, QStringLiteral("Label_AUTOstatus"),
                                  QStringLiteral("DISPLAY ONLY VALID DATA TRANSFERS!"), place, true, 9);
    setForeground(ui.Label_AUTOstatus, QColor(0x00, 0x80, 0x00));
    ui.Label_AUTOstatus->hide();
}

void buildGrid(InventoryBuilder& b, QWidget* central, Controls& ui) {
    ui.Label9[1] = b.label(central, E::element("Label9", 1),
                           QStringLiteral("PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    C 3    C 2    "
                                          "C 1"),
                           {}, false, 6.0);
    // Its names stand over the 13 lamp columns: PEC, then cell 12 .. cell 1.
    const int headerWidth = L::kCommandLeft - L::kLampHeaderLeft;
    ui.Label9[1]->setGeometry(QRect(L::lampHeaderPos(9), QSize(headerWidth, 12)));
    spreadOverWidth(ui.Label9[1], headerWidth - 2, SpreadBy::Letters);

    ui.Shape15 = b.shape(central, QStringLiteral("Shape15"), ShapeWidget::Kind::Rectangle, L::stackBarRect(9),
                         QStringLiteral("Stack bar"));
    ui.Shape15->setFillColor(QColor(0, 0, 128));

    ui.Image1 = b.picture(central, QStringLiteral("Image1"), arrowPixmap(ArrowDirection::Right, 12, QColor(0, 0, 160)),
                          QRect(L::boardMarkerPos(0), QSize(12, 12)), QStringLiteral("Continuous mode board marker"));

    for (int slot = 0; slot < 10; ++slot) {
        const int n = slot + 1;
        const QString caption = n < 10 ? QStringLiteral("BRD# %1    0x8%1").arg(n) : QStringLiteral("BRD#10   0x8A");
        ui.Command4[slot] =
            b.button(central, E::element("Command4", slot), caption, {}, L::boardButtonRect(slot, false));

        ShapeWidget* pec = ui.Shape12[slot] =
            b.shape(central, E::element("Shape12", slot), ShapeWidget::Kind::Rectangle, L::pecLampRect(slot),
                    QStringLiteral("Board %1 PEC status lamp").arg(n));
        pec->setBorderColor(kUnselectedBorder);
        for (int i = 0; i < 12; ++i) {
            ShapeWidget* lamp = ui.Shape1[12 * slot + i] =
                b.shape(central, E::element("Shape1", 12 * slot + i), ShapeWidget::Kind::Oval, L::cellLampRect(slot, i),
                        QStringLiteral("Board %1 cell %2 status lamp").arg(n).arg(i + 1));
            lamp->setBorderColor(kUnselectedBorder);
        }
    }
}

}  // namespace

void buildBoardGrid(InventoryBuilder& b, QWidget* central, Controls& ui) {
    buildBoardLists(b, central, ui);
    buildBanner(b, central, ui);
    buildGrid(b, central, ui);
}

}  // namespace zmx
