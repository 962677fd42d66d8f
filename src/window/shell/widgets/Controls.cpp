#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/AccessibleNames.h"

#include "window/shell/widgets/InventoryBuilder.h"
#include "window/shell/widgets/Layout.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

// Map of the 900 x 600 client area (window units = pixels):
//   top band     y   0..186  Frame3 I/O mode | Frame7 PEC monitor over Frame4 registers |
//                            Frame6 flags, board banner, Picture1
//   cell band    y 189..298  Label9(0) header over Frame1(11) .. Frame1(0), right to left
//   lower left   y 300..600  Frame2 limits, Frame5 temps; Frame9 self test; Frame8 legend
//                            (Frame11 over it); board and address headers Label12/Label15
//   lower right  y 300..600  board count and address lists; watchdog banner at 457,344;
//                            board grid (rows of slot 0 at the bottom upward)
//   right column x 679..893  broadcast boxes and board labels beside the command column
//                            Command1/Command3 at left 796; identification and version below

namespace zmx {
namespace {

void buildMenu(InventoryBuilder& b, QMainWindow* form, Controls& ui) {
    QMenuBar* bar = form->menuBar();
    ui.mnuFile = bar->addMenu(QStringLiteral("File"));
    b.mark(ui.mnuFile, QStringLiteral("mnuFile"));
    ui.mnuExit = ui.mnuFile->addAction(QStringLiteral("Exit"));
    b.mark(ui.mnuExit, QStringLiteral("mnuExit"));

    ui.mnuDatalog = bar->addMenu(QStringLiteral("Datalog"));
    b.mark(ui.mnuDatalog, QStringLiteral("mnuDatalog"));
    ui.mnuExcelOutTest = ui.mnuDatalog->addAction(QStringLiteral("Excel Out Test"));
    b.mark(ui.mnuExcelOutTest, QStringLiteral("mnuExcelOutTest"));
    ui.mnuCreateNewSetup_EB4010 = ui.mnuDatalog->addAction(QStringLiteral("Create New Setup"));
    b.mark(ui.mnuCreateNewSetup_EB4010, QStringLiteral("mnuCreateNewSetup_EB4010"));
    ui.mnuUsePreviousSetup_EB4010 = ui.mnuDatalog->addAction(QStringLiteral("Use Previous Setup"));
    b.mark(ui.mnuUsePreviousSetup_EB4010, QStringLiteral("mnuUsePreviousSetup_EB4010"));
    ui.mnuViewLastDatalog = ui.mnuDatalog->addAction(QStringLiteral("View Last Datalog"));
    b.mark(ui.mnuViewLastDatalog, QStringLiteral("mnuViewLastDatalog"));
}

}  // namespace

void buildInventory(QMainWindow* form, Controls& ui) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(QStringLiteral("ZMX7730-2/-4 ADDRESSABLE MULTICELL MONITOR GUI"));

    auto* central = new QWidget(form);
    central->setObjectName(QStringLiteral("centralArea"));
    central->setFixedSize(layout::kClientWidth, layout::kClientHeight);
    central->setFont(InventoryBuilder::arial());
    form->setCentralWidget(central);

    InventoryBuilder b(form);  // created after the central area, so destroyed after it
    buildMenu(b, form, ui);
    // Creation order is also the stacking order: later areas paint over earlier ones, and
    // each area creates its highlight shapes before the controls they frame.
    buildConfigurationArea(b, central, ui);
    buildCellPanels(b, central, ui);
    buildMeasurementArea(b, central, ui);
    buildBoardGrid(b, central, ui);
    buildCommandColumn(b, central, ui);
    nameCaptionlessControls(form);
}

}  // namespace zmx
