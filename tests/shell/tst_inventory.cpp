// The main window inventory: every control exists once under its inventory name with its
// caption and tool tip, starts in the stated visibility and enabled state, can be told
// apart without a caption, fits the 900 x 600 client area without visible overlaps, and
// the JSON window dump describes all of it in window coordinates.

#include "support/TestMain.h"
#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/ShapeWidget.h"
#include "window/shell/widgets/WindowDump.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zmx;

namespace {

// Every control array and single control with its element count and class.
struct Family {
    const char* base;
    int count;  // 0 = a single control without index
    const char* className;
};

const Family kFamilies[] = {
    {"Command0", 2, "QPushButton"},
    {"Command1", 15, "QPushButton"},
    {"Command2", 4, "QPushButton"},
    {"Command3", 2, "QPushButton"},
    {"Command4", 10, "QPushButton"},
    {"Command5", 7, "QPushButton"},
    {"Command7", 2, "QPushButton"},
    {"Command8", 3, "QPushButton"},
    {"Cmd_DIAG", 0, "QPushButton"},
    {"Cmd_4CELL", 0, "QPushButton"},
    {"Check0", 8, "QCheckBox"},
    {"Check1", 8, "QCheckBox"},
    {"Check2", 8, "QCheckBox"},
    {"Check3", 8, "QCheckBox"},
    {"Check4", 2, "QCheckBox"},
    {"Check5", 6, "QCheckBox"},
    {"Check6", 12, "QCheckBox"},
    {"Check7", 3, "QCheckBox"},
    {"Check8", 2, "QCheckBox"},
    {"Check_AUTO", 0, "QCheckBox"},
    {"Option1", 2, "QRadioButton"},
    {"Option2", 3, "QRadioButton"},
    {"Option3", 2, "QRadioButton"},
    {"Text1", 12, "QLineEdit"},
    {"Text2", 2, "QLineEdit"},
    {"Text3", 0, "QPlainTextEdit"},
    {"Text4", 6, "QLineEdit"},
    {"Text5", 6, "QLineEdit"},
    {"Text6", 3, "QLineEdit"},
    {"Text7", 3, "QLineEdit"},
    {"Text8", 0, "QLineEdit"},
    {"Text14", 5, "QLineEdit"},
    {"Text15", 0, "QLineEdit"},
    {"Label1", 0, "QLabel"},
    {"Label2", 3, "QLabel"},
    {"Label3", 2, "QLabel"},
    {"Label4", 0, "QLabel"},
    {"Label5", 2, "QLabel"},
    {"Label6", 3, "QLabel"},
    {"Label7", 0, "QLabel"},
    {"Label8", 4, "QLabel"},
    {"Label9", 2, "QLabel"},
    {"Label10", 8, "QLabel"},
    {"Label11", 8, "QLabel"},
    {"Label12", 0, "QLabel"},
    {"Label13", 2, "QLabel"},
    {"Label14", 0, "QLabel"},
    {"Label15", 0, "QLabel"},
    {"Label16", 0, "QLabel"},
    {"Label17", 0, "QLabel"},
    {"Label18", 4, "QLabel"},
    {"Label19", 6, "QLabel"},
    {"Label20", 3, "QLabel"},
    {"Label21", 0, "QLabel"},
    {"Label23", 3, "QLabel"},
    {"Label24", 0, "QLabel"},
    {"Label25", 0, "QLabel"},
    {"Label_AUTOstatus", 0, "QLabel"},
    {"Label_IDstring", 0, "QLabel"},
    {"Label_version", 0, "QLabel"},
    {"Label_KA", 2, "QLabel"},
    {"Image1", 0, "QLabel"},
    {"Picture1", 0, "QLabel"},
    {"Picture2", 0, "QLabel"},
    {"Frame1", 12, "QGroupBox"},
    {"Frame2", 0, "QGroupBox"},
    {"Frame3", 0, "QGroupBox"},
    {"Frame4", 0, "QGroupBox"},
    {"Frame5", 0, "QGroupBox"},
    {"Frame6", 0, "QGroupBox"},
    {"Frame7", 0, "QGroupBox"},
    {"Frame8", 0, "QGroupBox"},
    {"Frame9", 0, "QGroupBox"},
    {"Frame11", 0, "QGroupBox"},
    {"Frame12", 0, "QGroupBox"},
    {"Combo1", 0, "QComboBox"},
    {"Combo2", 0, "QComboBox"},
    {"Shape1", 120, "zmx::ShapeWidget"},
    {"Shape2", 12, "zmx::ShapeWidget"},
    {"Shape3", 0, "zmx::ShapeWidget"},
    {"Shape4", 12, "zmx::ShapeWidget"},
    {"Shape5", 12, "zmx::ShapeWidget"},
    {"Shape6", 3, "zmx::ShapeWidget"},
    {"Shape7", 3, "zmx::ShapeWidget"},
    {"Shape8", 3, "zmx::ShapeWidget"},
    {"Shape12", 10, "zmx::ShapeWidget"},
    {"Shape13", 0, "zmx::ShapeWidget"},
    {"Shape14", 0, "zmx::ShapeWidget"},
    {"Shape15", 0, "zmx::ShapeWidget"},
    {"Shape16", 9, "zmx::ShapeWidget"},
    {"Shape_KA", 0, "zmx::ShapeWidget"},
    {"Line7", 12, "zmx::ShapeWidget"},
    {"Line9", 12, "zmx::ShapeWidget"},
    {"Line10", 12, "zmx::ShapeWidget"},
    {"mnuFile", 0, "QMenu"},
    {"mnuDatalog", 0, "QMenu"},
    {"mnuExit", 0, "QAction"},
    {"mnuExcelOutTest", 0, "QAction"},
    {"mnuCreateNewSetup_EB4010", 0, "QAction"},
    {"mnuUsePreviousSetup_EB4010", 0, "QAction"},
    {"mnuViewLastDatalog", 0, "QAction"},
};

QStringList familyNames(const Family& f) {
    if (f.count == 0) return {QString::fromLatin1(f.base)};
    QStringList names;
    for (int i = 0; i < f.count; ++i) names << QStringLiteral("%1(%2)").arg(QLatin1String(f.base)).arg(i);
    return names;
}

QString textOf(const QObject* o) {
    if (auto* b = qobject_cast<const QAbstractButton*>(o)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(o)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(o)) return e->text();
    if (auto* g = qobject_cast<const QGroupBox*>(o)) return g->title();
    if (auto* m = qobject_cast<const QMenu*>(o)) return m->title();
    if (auto* a = qobject_cast<const QAction*>(o)) return a->text();
    return {};
}

// Controls whose place is shared by design: "WDT SERVICE" replaces the POLL ADC
// broadcast box while the keep-alive runs (start-up hides it on the first tick).
bool sharesPlaceByDesign(const QString& a, const QString& b) {
    const QSet<QString> pair{QStringLiteral("Label_KA(0)"), QStringLiteral("Check5(0)")};
    return pair.contains(a) && pair.contains(b) && a != b;
}

}  // namespace

class TestInventory : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QMainWindow> form_;
    Controls ui_;

    QObject* find(const QString& name) const {
        const auto all = form_->findChildren<QObject*>(name);
        return all.size() == 1 ? all.first() : nullptr;
    }
    QWidget* widget(const QString& name) const { return qobject_cast<QWidget*>(find(name)); }

    QList<QWidget*> inventoryWidgets() const {
        QList<QWidget*> list;
        for (QWidget* w : form_->findChildren<QWidget*>())
            if (w->property(kInventoryProperty).isValid()) list << w;
        return list;
    }

private slots:
    void initTestCase() {
        form_ = std::make_unique<QMainWindow>();
        buildInventory(form_.get(), ui_);
    }

    void everyControlExistsOnceWithItsClass_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        for (const Family& f : kFamilies)
            for (const QString& n : familyNames(f))
                QTest::newRow(qPrintable(n)) << n << QString::fromLatin1(f.className);
    }
    void everyControlExistsOnceWithItsClass() {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QCOMPARE(form_->findChildren<QObject*>(name).size(), 1);
        QCOMPARE(QString::fromLatin1(find(name)->metaObject()->className()), className);
        QVERIFY(find(name)->property(kInventoryProperty).isValid());
    }

    // Arrays stop at their last index, and the struct members are the named controls.
    void arraysMatchTheStructMembers() {
        for (const Family& f : kFamilies) {
            if (f.count == 0) continue;
            const QString beyond = QStringLiteral("%1(%2)").arg(QLatin1String(f.base)).arg(f.count);
            QVERIFY2(form_->findChildren<QObject*>(beyond).isEmpty(), qPrintable(beyond));
        }
        QCOMPARE(ui_.Command1[7]->objectName(), QStringLiteral("Command1(7)"));
        QCOMPARE(ui_.Shape1[12 * 3 + 5]->objectName(), QStringLiteral("Shape1(41)"));
        QCOMPARE(ui_.Check2[4]->objectName(), QStringLiteral("Check2(4)"));
        QCOMPARE(ui_.Check3[7]->parentWidget(), ui_.Frame1[11]);  // mask of cell 12
        QCOMPARE(ui_.Check2[3]->parentWidget(), ui_.Frame1[11]);  // DCC of cell 12
        QCOMPARE(ui_.Check2[4]->parentWidget(), ui_.Frame1[0]);   // mask of cell 1
        QCOMPARE(ui_.Shape2[4]->parentWidget(), ui_.Frame1[4]);
        QCOMPARE(ui_.Text1[11]->parentWidget(), ui_.Frame1[11]);
        QCOMPARE(ui_.mnuExcelOutTest->objectName(), QStringLiteral("mnuExcelOutTest"));
    }

    void captionsAndToolTips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        auto row = [](const char* n, const char* t, const char* tip = "") {
            QTest::newRow(n) << QString::fromLatin1(n) << QString::fromLatin1(t) << QString::fromLatin1(tip);
        };
        row("Command1(0)", "POLL ADC", "0x40 PLADC");
        row("Command1(1)", "POLL INT", "0x50 PLINT");
        row("Command1(2)", "STARTCELLVOLT", "0x10 STCVAD");
        row("Command1(3)", "START OPENWIRE", "0x20 STOWAD");
        row("Command1(4)", "START TEMP", "0x30 STTMPAD");
        row("Command1(5)", "WRITE CONFIG", "0x01 WRCFG");
        row("Command1(6)", "READ CONFIG", "0x02 RDCFG");
        row("Command1(7)", "READCELLVOLT", "0x04 RDCV");
        row("Command1(8)", "READ FLAG", "0x0C RDFLG");
        row("Command1(9)", "READ TEMP", "0x0E RDTMP");
        row("Command1(10)", " START CONTINUOUS   READ CELLS",
            "CONTINUOUS  READ = 1) STCVAD and RDCV. 2) STTMPAD and  RDTMP. 3) RDFLG.");
        row("Command1(11)", "START D-LOG", "START/ PAUSE DATA LOGGING");
        row("Command1(12)", "STOP", "STOP DATA LOGGING!");
        row("Command1(13)", "VIEW", "VIEW DATA TEXT FILE");
        row("Command1(14)", "LOW CURRENT STBY",
            "LK200B'S SPI LINES ARE FORCED HIGH  TO SHOW ZMX7720-1'S LOW CURRENT STANDBY.");
        row("Command3(0)", "STARTCELL hold DCC", "0x60 STCVDC");
        row("Command3(1)", "STARTOPEN hold DCC", "0x70 STOWDC");
        row("Command4(0)", "BRD# 1    0x81");
        row("Command4(8)", "BRD# 9    0x89");
        row("Command4(9)", "BRD#10   0x8A");
        row("Check5(0)", "BROADCAST");
        row("Check5(5)", "BROADCAST");
        row("Check8(1)", "BROADCAST");
        row("Frame7", "PACKET ERROR CODE ");
        row("Text8", "   8F  |  6B  |  6B  |  ");
        row("Label8(0)", "| ADDR |  Cmd  | DATA |");
        row("Label8(1)", "Command = 0x54 RDDGNR");
        row("Label8(2)", "| SENT  | SENT | SENT  |");
        row("Label8(3)", " Address = 0x8F BRD#10");
        row("Label25", "W R");
        row("Frame4", "CONFIGURATION REGISTERS");
        row("Text4(0)", "0xE0");
        row("Text4(5)", "0x00");
        row("Text5(0)", "0xE0");
        row("Text5(3)", "0x00");
        row("Label5(1)",
            "CONFIGURATION WRITTEN TO ZMX7730                       "
            "| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |");
        row("Label5(0)",
            "CONFIGURATION READ FROM ZMX7730                       "
            "| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |");
        row("Frame3", "SET I/O MODE CFGR0");
        row("Check0(0)", "CDC[0] (Bit 0)");
        row("Check0(2)", "CDC[2] (Bit 2)");
        row("Check0(3)", "10CELLS bit3  1 = 10, 0 = 12 CELLs");
        row("Check0(4)", "LVLPL bit4  1 = Level, 0 = Toggle Poll.");
        row("Check0(5)", "GPIO1 bit5  1 = Hi-Z, 0 = Out Low.");
        row("Check0(6)", "GPIO2 bit6  1 = Hi-Z, 0 = Out Low.");
        row("Check0(7)", "WDTB STATUS bit7  1 = HI, 0 = LOW.");
        row("Option3(0)", "CUSTOM BRD# 1");
        row("Option3(1)", "GLOBAL CFGR0");
        row("Command0(0)", "", "COMPARATOR DUTY CYCLE DECREMENT.");
        row("Command0(1)", "", "COMPARATOR DUTY CYCLE INCREMENT.");
        row("Text15", "0");
        row("Check4(0)", "Checked  = 1");
        row("Check4(1)", " Unchecked = 0");
        row("Label17", "   LEGEND");
        row("Frame2", "SET VOLTAGE LIMITS");
        row("Text2(0)", "Set VUV", "CLICK TO TYPE UNDERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE.");
        row("Text2(1)", "Set VOV", "CLICK TO TYPE OVERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE.");
        row("Label13(0)", "CUSTOM  BOARD # 1");
        row("Label13(1)", "GLOBAL VUV,  VOV");
        row("Label3(0)",
            "Enter VUV Undervoltage                                  -0.744V                            to 5.376V");
        row("Label3(1)",
            "Enter VOV Overvoltage                                    -0.768V                            to 5.352V");
        row("Frame1(0)", "CELL1");
        row("Frame1(11)", "CELL12");
        row("Text1(0)", "0.0000V");
        row("Text1(11)", "0.0000V");
        row("Check6(3)", "READ Only");
        row("Check1(0)", "DCC");
        row("Check2(3)", "DCC");
        row("Check2(4)", "Mask");
        row("Check3(7)", "Mask");
        row("Frame6", "FLAGS");
        row("Text7(0)", " 00 ");
        row("Label2(0)", "FLGR0 ");
        row("Label2(1)", "FLGR1");
        row("Label2(2)", "FLGR2");
        row("Frame5", "TEMPS");
        row("Text6(2)", "0.0000V");
        row("Check7(0)", "ITMP Only");
        row("Check7(1)", "ETMP1Only");
        row("Check7(2)", "ETMP2Only");
        row("Label6(0)", "ITMP ");
        row("Label6(1)", "ETMP1  ");
        row("Label6(2)", "ETMP2  ");
        row("Frame9", "SELF TEST START A/D");
        row("Command5(0)", "CELL VOLT", "0x1E STCVAD SELF TEST ALL");
        row("Command5(1)", "OPEN WIRE", "0x2E STOWAD SELF TEST ALL");
        row("Command5(2)", "ALL TEMP ", "0x3E STTMPAD SELF TEST ALL");
        row("Command5(3)", "READCELL HEX VIEW", "READ ONLY BRD#1 CELLS FOR SELFTEST IN HEX.");
        row("Command5(4)", "READTEMP HEX VIEW", "READ ONLY BRD#1 TEMPS FOR SELFTEST IN HEX.");
        row("Command5(5)", "CELL DCC", "0x6E STCVDC SELF TEST ALL");
        row("Command5(6)", "OPEN DCC", "0x7E STOWDC SELF TEST ALL");
        row("Option2(0)", "0x555");
        row("Option2(1)", "0xAAA");
        row("Option2(2)", "0xFFF");
        row("Frame11", "DIAGNOSTIC");
        row("Command7(0)", "START DIAGN", "0x52 DAGN");
        row("Command7(1)", "READ DIAGN", "0x54 RDDGNR");
        row("Label23(0)", "| DGNR0  | DGNR1 |");
        row("Label23(1)", "DIAGNOSTIC VREF |");
        row("Label23(2)", "|    REV   |    MUX   | |  CODE   | CHECK  |");
        row("Frame12", "READ");
        row("Command8(0)", "READ CELL  1 - 4");
        row("Command8(1)", "READ CELL  5 - 8");
        row("Command8(2)", "READ CELL   9 -12");
        row("Label24", "4CELLS   ONLY");
        row("Frame8", "LEGEND");
        row("Label10(0)", " DANGER!");
        row("Label10(4)", " MASKDCC");
        row("Label10(7)", " THERMAL SD!");
        row("Label11(0)", "Flag Over Voltage ");
        row("Label11(4)", "Mask Cell Int w/ DCC");
        row("Label11(6)", "Flag  Under Voltage ");
        row("Label11(7)", "Thermal Shutdown!");
        row("Label7", "NUMBER OF BOARDS IN SYSTEM");
        row("Label16", "0x8");
        row("Label14", "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS");
        row("Check_AUTO", "PEC Match Only", "Auto Retry Command on Detection of CRC8 (PEC) Error");
        row("Label_AUTOstatus", "DISPLAY ONLY VALID DATA TRANSFERS!");
        row("Label12", "BOARDS   1       2      3      4      5      6      7      8      9     10");
        row("Label15", "ADDRESS 81    82    83    84    85    86    87    88    89    8A");
        row("Label9(0)", "CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  CELL 4  CELL 3  CELL 2  CELL 1");
        row("Label9(1)", "PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    C 3    C 2    C 1");
        row("Label1", "B O A R D # 1");
        row("Label21", "1");
        row("Label18(0)", "BOARD# 1 ONLY");
        row("Label18(3)", "BOARD# 1 ONLY");
        row("Label19(0)", "BRD#1");
        row("Label19(5)", "BRD#1");
        row("Label20(0)", "DCC PERMITTED CMD");
        row("Label20(2)", "BRD#1");
        row("Label_KA(0)", "WDT SERVICE");
        row("Label_KA(1)", " CONTINUOUS MODE CONSTANTLY SENDS COMMANDS   TO PREVENT WATCHDOG TIMER FROM TIMEOUT!");
        row("Cmd_DIAG", "SHOW   D  I AGNOST   I  C");
        row("Cmd_4CELL", "4CELL");
        row("mnuFile", "File");
        row("mnuExit", "Exit");
        row("mnuDatalog", "Datalog");
        row("mnuExcelOutTest", "Excel Out Test");
        row("mnuCreateNewSetup_EB4010", "Create New Setup");
        row("mnuUsePreviousSetup_EB4010", "Use Previous Setup");
        row("mnuViewLastDatalog", "View Last Datalog");
    }
    void captionsAndToolTips() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QObject* o = find(name);
        QVERIFY(o);
        QCOMPARE(textOf(o), text);
        if (auto* w = qobject_cast<QWidget*>(o)) QCOMPARE(w->toolTip(), toolTip);
    }

    void listsAndMenus() {
        QCOMPARE(ui_.Combo1->count(), 10);
        QCOMPARE(ui_.Combo1->itemText(9), QStringLiteral("10"));
        QCOMPARE(ui_.Combo1->currentText(), QStringLiteral("1"));
        QCOMPARE(ui_.Combo2->count(), 16);
        QCOMPARE(ui_.Combo2->itemText(10), QStringLiteral("A"));
        QCOMPARE(ui_.Combo2->itemText(15), QStringLiteral("F"));
        QCOMPARE(ui_.Combo2->currentIndex(), 1);
        QCOMPARE(ui_.mnuFile->actions(), QList<QAction*>{ui_.mnuExit});
        const QList<QAction*> datalog{ui_.mnuExcelOutTest, ui_.mnuCreateNewSetup_EB4010, ui_.mnuUsePreviousSetup_EB4010,
                                      ui_.mnuViewLastDatalog};
        QCOMPARE(ui_.mnuDatalog->actions(), datalog);
        QCOMPARE(form_->windowTitle(), QStringLiteral("ZMX7730-2/-4 ADDRESSABLE MULTICELL MONITOR GUI"));
    }

    // Only the threshold boxes take typing; every other box is written by the program.
    void onlyThresholdBoxesAreEditable() {
        for (QLineEdit* e : form_->findChildren<QLineEdit*>()) {
            if (!e->property(kInventoryProperty).isValid()) continue;
            QCOMPARE(e->isReadOnly(), !e->objectName().startsWith(QLatin1String("Text2(")));
        }
        QVERIFY(ui_.Text3->isReadOnly());
        QCOMPARE(ui_.Text3->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void initialVisibilityAndEnabledState_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        auto hidden = [](const QString& n) { QTest::newRow(qPrintable(n)) << n << false << true; };
        for (int k : {11, 12, 13}) hidden(QStringLiteral("Command1(%1)").arg(k));
        for (int k = 0; k < 4; ++k) hidden(QStringLiteral("Command2(%1)").arg(k));
        for (const char* n : {"Cmd_DIAG", "Cmd_4CELL", "Frame11", "Frame12", "Check_AUTO", "Label_AUTOstatus",
                              "Label17", "Shape14", "Shape_KA"})
            hidden(QString::fromLatin1(n));
        for (int k = 0; k < 3; ++k) hidden(QStringLiteral("Check0(%1)").arg(k));
        for (int k = 0; k < 2; ++k) hidden(QStringLiteral("Check4(%1)").arg(k));
        for (int k = 0; k < 3; ++k) hidden(QStringLiteral("Label6(%1)").arg(k));
        for (int k = 0; k < 9; ++k) hidden(QStringLiteral("Shape16(%1)").arg(k));
        // Inside the hidden frames.
        hidden(QStringLiteral("Command7(0)"));
        hidden(QStringLiteral("Command8(2)"));
        hidden(QStringLiteral("Text14(4)"));
        QTest::newRow("Check0(3)") << QStringLiteral("Check0(3)") << true << false;
    }
    void initialVisibilityAndEnabledState() {
        QFETCH(QString, name);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QWidget* w = widget(name);
        QVERIFY(w);
        QCOMPARE(w->isVisibleTo(form_.get()), visible);
        QCOMPARE(w->isEnabled(), enabled);
    }

    // Everything not listed as hidden or disabled starts on screen and usable.
    void everythingElseStartsVisibleAndEnabled() {
        const QRegularExpression exceptions(QStringLiteral(
            "^(Command1\\((11|12|13)\\)|Command2\\(\\d\\)|Cmd_DIAG|Cmd_4CELL|Frame11|Frame12|Command7\\(\\d\\)|"
            "Command8\\(\\d\\)|Text14\\(\\d\\)|Label23\\(\\d\\)|Label24|Check0\\([0-3]\\)|Check_AUTO|Label_AUTOstatus|"
            "Check4\\(\\d\\)|Label17|Label6\\(\\d\\)|Shape14|Shape16\\(\\d\\)|Shape_KA|mnu\\w+)$"));
        for (QWidget* w : inventoryWidgets()) {
            if (exceptions.match(w->objectName()).hasMatch()) continue;
            QVERIFY2(w->isVisibleTo(form_.get()), qPrintable(w->objectName()));
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        }
    }

    // A control without a caption is told apart by its description (screen readers, the dump).
    void uncaptionedControlsAreDescribed() {
        int described = 0;
        for (QWidget* w : inventoryWidgets()) {
            if (qobject_cast<QMenu*>(w)) continue;
            const bool captioned =
                qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w);
            if (captioned && !textOf(w).isEmpty()) continue;
            QVERIFY2(!w->accessibleDescription().isEmpty(), qPrintable(w->objectName()));
            ++described;
        }
        QVERIFY(described > 250);  // lamps, bars, text boxes, pictures ...
        QCOMPARE(ui_.Text1[2]->accessibleDescription(), QStringLiteral("Cell 3 voltage"));
        QCOMPARE(ui_.Shape1[12 * 1 + 4]->accessibleDescription(), QStringLiteral("Board 2 cell 5 status lamp"));
    }

    // A screen reader names a control without a caption by what it is, and reads its tool
    // tip as the description.
    void uncaptionedControlsHaveAccessibleNames() {
        int named = 0;
        for (QWidget* w : inventoryWidgets()) {
            if (qobject_cast<QMenu*>(w)) continue;
            const bool captioned =
                qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w);
            if (captioned && !textOf(w).trimmed().isEmpty()) continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            if (!w->toolTip().isEmpty()) QCOMPARE(w->accessibleDescription(), w->toolTip());
            ++named;
        }
        QVERIFY(named > 250);
        QCOMPARE(ui_.Command0[1]->accessibleName(), QStringLiteral("CDC increment"));
        QCOMPARE(ui_.Command0[1]->accessibleDescription(), QStringLiteral("COMPARATOR DUTY CYCLE INCREMENT."));
        QCOMPARE(ui_.Command0[0]->accessibleName(), QStringLiteral("CDC decrement"));
        QCOMPARE(ui_.Text1[2]->accessibleName(), QStringLiteral("Cell 3 voltage"));
        // A captioned button keeps its caption as its name.
        QVERIFY(ui_.Command1[5]->accessibleName().isEmpty());
    }

    // Nothing visible sticks out of its frame or the client area, and no visible control
    // covers another one (shapes may overlap shapes: bars over their background, leads).
    void visibleControlsFitAndDoNotOverlap() {
        QWidget* central = form_->centralWidget();
        QCOMPARE(central->size(), QSize(layout::kClientWidth, layout::kClientHeight));
        QList<QWidget*> visible;
        for (QWidget* w : inventoryWidgets())
            if (!qobject_cast<QMenu*>(w) && w->isVisibleTo(form_.get())) visible << w;
        for (QWidget* w : visible) {
            const QRect inside = w->parentWidget()->rect();
            QVERIFY2(inside.contains(w->geometry()), qPrintable(w->objectName()));
        }
        for (int a = 0; a < visible.size(); ++a) {
            for (int b = a + 1; b < visible.size(); ++b) {
                QWidget *x = visible[a], *y = visible[b];
                if (x->parentWidget() != y->parentWidget()) continue;
                if (qobject_cast<ShapeWidget*>(x) && qobject_cast<ShapeWidget*>(y)) continue;
                if (sharesPlaceByDesign(x->objectName(), y->objectName())) continue;
                QVERIFY2(!x->geometry().intersects(y->geometry()),
                         qPrintable(x->objectName() + QLatin1String(" overlaps ") + y->objectName()));
            }
        }
    }

    // Single-line captions are not cut off: the caption of a check or option box fits the
    // text area its style leaves beside the indicator, and a label without wrapping is as
    // wide as its text.
    static bool captionFits(QWidget* w, const QString& text) {
        const QFontMetrics metrics(w->font());
        if (auto* label = qobject_cast<QLabel*>(w))
            return metrics.horizontalAdvance(text) <= label->contentsRect().width();
        QStyleOptionButton option;
        option.initFrom(w);
        option.text = text;
        const auto element =
            qobject_cast<QRadioButton*>(w) ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents;
        return metrics.horizontalAdvance(text) <= w->style()->subElementRect(element, &option, w).width();
    }

    void captionsFitTheirControls() {
        for (QWidget* w : inventoryWidgets()) {
            const QString n = w->objectName();
            // The broadcast boxes start narrow; their two captions are checked below.
            if (n.startsWith(QLatin1String("Check5(")) || n.startsWith(QLatin1String("Check8("))) continue;
            auto* label = qobject_cast<QLabel*>(w);
            const bool box = qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
            if (!box && !(label && !label->wordWrap() && label->pixmap().isNull())) continue;
            QVERIFY2(captionFits(w, textOf(w)), qPrintable(n));
        }
        QVERIFY(captionFits(ui_.Label_KA[0], QStringLiteral("WDT SERVICE")));
        QCheckBox* box = ui_.Check5[2];
        const QRect place = box->geometry();
        box->resize(layout::kBroadcastNarrowWidth, box->height());
        QVERIFY(captionFits(box, QStringLiteral("B'CAST")));
        box->resize(layout::kBroadcastWideWidth, box->height());
        QVERIFY(captionFits(box, QStringLiteral("BROADCAST")));
        QVERIFY(box->geometry().right() < layout::kCommandLeft);
        box->setGeometry(place);
    }

    // The command column and the frames that mark a narrowed button.
    void commandColumnAndHighlights_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("highlight");
        QTest::newRow("POLL ADC") << "Command1(0)"
                                  << "Shape_KA";
        QTest::newRow("WRITE CONFIG") << "Command1(5)"
                                      << "Shape14";
        QTest::newRow("READ CONFIG") << "Command1(6)"
                                     << "Shape16(0)";
        QTest::newRow("READCELLVOLT") << "Command1(7)"
                                      << "Shape16(1)";
        QTest::newRow("READ TEMP") << "Command1(9)"
                                   << "Shape16(2)";
    }
    void commandColumnAndHighlights() {
        QFETCH(QString, button);
        QFETCH(QString, highlight);
        QWidget* b = widget(button);
        QWidget* h = widget(highlight);
        QCOMPARE(b->geometry(), QRect(796, b->y(), 97, 17));
        const QRect narrowed(layout::kCommandNarrowLeft, b->y(), layout::kCommandNarrowWidth, b->height());
        const QRect frameInside = h->geometry().adjusted(2, 2, -2, -2);  // inside the 2-pixel border
        QVERIFY(frameInside.contains(narrowed));
        QVERIFY(!h->geometry().contains(b->geometry()));  // a normal button covers it
    }

    void cellPanelsRunRightToLeftWithTheirBars() {
        for (int i = 1; i < 12; ++i) QVERIFY(ui_.Frame1[i]->x() < ui_.Frame1[i - 1]->x());
        QVERIFY(ui_.Label9[0]->geometry().bottom() < ui_.Frame1[0]->y());
        for (int i = 0; i < 12; ++i) {
            // Bars are placed in twips inside the panel: background 360..855, bar from 600.
            QCOMPARE(ui_.Shape4[i]->y(), 360 / 15);
            QCOMPARE(ui_.Shape4[i]->geometry().bottom() + 1, 855 / 15);
            QCOMPARE(ui_.Shape2[i]->y(), 600 / 15);
            QCOMPARE(ui_.Shape2[i]->geometry().bottom() + 1, 855 / 15);
            QCOMPARE(ui_.Line7[i]->kind(), ShapeWidget::Kind::Line);
        }
    }

    // The board grid helpers: rows stack upward from the bottom, the stack bar spans the
    // rows in use, and the header above the top row stays clear of the banner.
    void boardGridGeometry_data() {
        QTest::addColumn<int>("lastBoardIndex");
        for (int k = 0; k < 10; ++k) QTest::newRow(qPrintable(QStringLiteral("boards %1").arg(k + 1))) << k;
    }
    void boardGridGeometry() {
        QFETCH(int, lastBoardIndex);
        const int k = lastBoardIndex;
        const QRect bar = layout::stackBarRect(k);
        QCOMPARE(bar.top(), layout::boardButtonRect(k, false).top());
        QCOMPARE(bar.bottom(), layout::boardButtonRect(0, false).bottom());
        QVERIFY(layout::boardButtonRect(k, false).bottom() < layout::kClientHeight);
        QVERIFY(layout::boardButtonRect(k, false).contains(layout::boardButtonRect(k, true)));
        if (k > 0) QVERIFY(layout::boardButtonRect(k, false).top() < layout::boardButtonRect(k - 1, false).top());
        const QRect header(layout::lampHeaderPos(k), ui_.Label9[1]->size());
        QVERIFY(header.bottom() < layout::cellLampRect(k, 0).top());
        QVERIFY(header.top() >= layout::kBannerTop + layout::kBannerHeight);
        QVERIFY(layout::cellLampRect(k, 0).right() < layout::kCommandLeft);
        QVERIFY(layout::cellLampRect(k, 11).left() > layout::pecLampRect(k).right());
        QCOMPARE(ui_.Command4[k]->geometry(), layout::boardButtonRect(k, false));
        QCOMPARE(ui_.Shape1[12 * k + 11]->geometry(), layout::cellLampRect(k, 11));
    }

    void optionGroupsAreExclusiveWithinTheirFrames() {
        ui_.Option1[0]->setChecked(true);
        ui_.Option3[1]->setChecked(true);
        ui_.Option1[1]->setChecked(true);
        QVERIFY(!ui_.Option1[0]->isChecked());
        QVERIFY(ui_.Option3[1]->isChecked());
        QVERIFY(ui_.Option2[0]->isChecked());  // the window starts with self test 1
        ui_.Option3[0]->setChecked(true);
        QVERIFY(!ui_.Option3[1]->isChecked());
        QVERIFY(ui_.Option1[1]->isChecked());
    }

    void windowDumpListsEveryControlInWindowCoordinates() {
        QMainWindow form;
        Controls ui;
        buildInventory(&form, ui);
        form.move(123, 77);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        const QJsonDocument doc = QJsonDocument::fromJson(dumpWindowJson(&form));
        QVERIFY(doc.isObject());
        const QJsonObject window = doc.object().value(QStringLiteral("window")).toObject();
        const QPoint origin = form.mapToGlobal(QPoint(0, 0));
        QCOMPARE(window.value(QStringLiteral("x")).toInt(), origin.x());
        QCOMPARE(window.value(QStringLiteral("y")).toInt(), origin.y());
        QCOMPARE(window.value(QStringLiteral("width")).toInt(), form.width());

        const QJsonArray controls = doc.object().value(QStringLiteral("controls")).toArray();
        QHash<QString, QJsonObject> byName;
        const QRegularExpression colour(QStringLiteral("^#[0-9A-F]{6}$"));
        for (const QJsonValue& v : controls) {
            const QJsonObject c = v.toObject();
            const QString name = c.value(QStringLiteral("name")).toString();
            QVERIFY2(!byName.contains(name), qPrintable(name));
            byName.insert(name, c);
            for (const char* key : {"foreground", "background", "fill"})
                QVERIFY2(colour.match(c.value(QLatin1String(key)).toString()).hasMatch(), qPrintable(name));
            for (const char* key :
                 {"class", "text", "toolTip", "visible", "enabled", "checked", "x", "y", "width", "height"})
                QVERIFY2(c.contains(QLatin1String(key)), qPrintable(name + QLatin1Char(' ') + QLatin1String(key)));
        }
        for (const Family& f : kFamilies)
            for (const QString& n : familyNames(f)) QVERIFY2(byName.contains(n), qPrintable(n));

        const QPoint central = form.centralWidget()->pos();
        const QJsonObject write = byName.value(QStringLiteral("Command1(5)"));
        QCOMPARE(write.value(QStringLiteral("x")).toInt(), central.x() + 796);
        QCOMPARE(write.value(QStringLiteral("y")).toInt(), central.y() + ui.Command1[5]->y());
        QCOMPARE(write.value(QStringLiteral("width")).toInt(), 97);
        QCOMPARE(write.value(QStringLiteral("class")).toString(), QStringLiteral("QPushButton"));
        // Inside a frame: frame position plus the position within it.
        const QJsonObject cell = byName.value(QStringLiteral("Text1(0)"));
        QCOMPARE(cell.value(QStringLiteral("x")).toInt(), central.x() + ui.Frame1[0]->x() + ui.Text1[0]->x());
        QCOMPARE(cell.value(QStringLiteral("background")).toString(), QStringLiteral("#000000"));
        QCOMPARE(cell.value(QStringLiteral("foreground")).toString(), QStringLiteral("#FFFFFF"));
        QCOMPARE(byName.value(QStringLiteral("Label10(7)")).value(QStringLiteral("fill")).toString(),
                 QStringLiteral("#FF8000"));
        QCOMPARE(byName.value(QStringLiteral("Shape3")).value(QStringLiteral("fill")).toString(),
                 QStringLiteral("#FF0000"));
        QCOMPARE(byName.value(QStringLiteral("Shape1(0)")).value(QStringLiteral("class")).toString(),
                 QStringLiteral("zmx::ShapeWidget"));
        QCOMPARE(byName.value(QStringLiteral("Command7(0)")).value(QStringLiteral("visible")).toBool(), false);
        QCOMPARE(byName.value(QStringLiteral("Check0(3)")).value(QStringLiteral("enabled")).toBool(), false);
        QCOMPARE(byName.value(QStringLiteral("Option2(0)")).value(QStringLiteral("checked")).toBool(), true);
        QCOMPARE(byName.value(QStringLiteral("Command1(7)")).value(QStringLiteral("checked")).toBool(), false);
        QCOMPARE(byName.value(QStringLiteral("Combo2")).value(QStringLiteral("text")).toString(), QStringLiteral("1"));
        QCOMPARE(byName.value(QStringLiteral("mnuDatalog")).value(QStringLiteral("visible")).toBool(), true);
        QVERIFY(byName.value(QStringLiteral("mnuDatalog")).value(QStringLiteral("y")).toInt() < central.y());
    }

    // A control hidden before the window is shown reads as hidden; a shown one as visible.
    void windowDumpBeforeShowing() {
        const QJsonArray controls =
            QJsonDocument::fromJson(dumpWindowJson(form_.get())).object().value(QStringLiteral("controls")).toArray();
        QHash<QString, bool> visible;
        for (const QJsonValue& v : controls)
            visible.insert(v[QStringLiteral("name")].toString(), v[QStringLiteral("visible")].toBool());
        QCOMPARE(visible.value(QStringLiteral("Check_AUTO"), true), false);
        QCOMPARE(visible.value(QStringLiteral("Command1(10)"), false), true);
        QCOMPARE(visible.value(QStringLiteral("Text14(0)"), true), false);
    }

    void writeWindowDumpReportsFailure() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("window.json"));
        QVERIFY(writeWindowDump(form_.get(), path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QJsonDocument::fromJson(file.readAll()).isObject());
        QVERIFY(!writeWindowDump(form_.get(), dir.filePath(QStringLiteral("missing/dir/window.json"))));
    }
};

ZMX_TEST_MAIN(tst_inventory, TestInventory, Full)
#include "tst_inventory.moc"
