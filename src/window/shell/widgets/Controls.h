#pragma once
// The controls of the main window, one member per control of the window inventory under
// the inventory's own name. A control array is a std::array indexed by the inventory
// index (not the on-screen order); its elements carry the objectName "Name(index)".

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zmx {

class ShapeWidget;

struct Controls {
    // --- command buttons ---
    std::array<QPushButton*, 2> Command0{};   // CDC decrement / increment (pictures)
    std::array<QPushButton*, 15> Command1{};  // the chip command column
    std::array<QPushButton*, 4> Command2{};   // threshold step buttons (pictures, hidden)
    std::array<QPushButton*, 2> Command3{};   // conversions with discharge held
    std::array<QPushButton*, 10> Command4{};  // board buttons, index = board slot
    std::array<QPushButton*, 7> Command5{};   // self tests
    std::array<QPushButton*, 2> Command7{};   // diagnostic frame (no action)
    std::array<QPushButton*, 3> Command8{};   // READ frame (no action)
    QPushButton* Cmd_DIAG = nullptr;
    QPushButton* Cmd_4CELL = nullptr;

    // --- check boxes ---
    std::array<QCheckBox*, 8> Check0{};   // CFGR0 bits
    std::array<QCheckBox*, 8> Check1{};   // CFGR1: DCC of cells 1..8
    std::array<QCheckBox*, 8> Check2{};   // CFGR2: DCC of cells 9..12, mask of cells 1..4
    std::array<QCheckBox*, 8> Check3{};   // CFGR3: mask of cells 5..12
    std::array<QCheckBox*, 2> Check4{};   // legend boxes (hidden)
    std::array<QCheckBox*, 6> Check5{};   // broadcast switches
    std::array<QCheckBox*, 12> Check6{};  // "READ Only" per cell
    std::array<QCheckBox*, 3> Check7{};   // temperature channel selection
    std::array<QCheckBox*, 2> Check8{};   // broadcast switches of the discharge-held starts
    QCheckBox* Check_AUTO = nullptr;

    // --- option buttons (each array exclusive within its own frame) ---
    std::array<QRadioButton*, 2> Option1{};  // threshold scope: custom / global
    std::array<QRadioButton*, 3> Option2{};  // self-test pattern
    std::array<QRadioButton*, 2> Option3{};  // CFGR0 scope: custom / global

    // --- text boxes ---
    std::array<QLineEdit*, 12> Text1{};  // cell values
    std::array<QLineEdit*, 2> Text2{};   // VUV / VOV entry (editable)
    QPlainTextEdit* Text3 = nullptr;     // conversion-mode table
    std::array<QLineEdit*, 6> Text4{};   // configuration written
    std::array<QLineEdit*, 6> Text5{};   // configuration read back
    std::array<QLineEdit*, 3> Text6{};   // temperatures
    std::array<QLineEdit*, 3> Text7{};   // flag registers
    QLineEdit* Text8 = nullptr;          // transfer monitor byte line
    std::array<QLineEdit*, 5> Text14{};  // diagnostic values
    QLineEdit* Text15 = nullptr;         // CDC value

    // --- labels ---
    QLabel* Label1 = nullptr;
    std::array<QLabel*, 3> Label2{};
    std::array<QLabel*, 2> Label3{};
    QLabel* Label4 = nullptr;
    std::array<QLabel*, 2> Label5{};
    std::array<QLabel*, 3> Label6{};
    QLabel* Label7 = nullptr;
    std::array<QLabel*, 4> Label8{};
    std::array<QLabel*, 2> Label9{};
    std::array<QLabel*, 8> Label10{};  // legend swatches
    std::array<QLabel*, 8> Label11{};  // legend meanings
    QLabel* Label12 = nullptr;
    std::array<QLabel*, 2> Label13{};
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    std::array<QLabel*, 4> Label18{};
    std::array<QLabel*, 6> Label19{};
    std::array<QLabel*, 3> Label20{};
    QLabel* Label21 = nullptr;
    std::array<QLabel*, 3> Label23{};
    QLabel* Label24 = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* Label_AUTOstatus = nullptr;
    QLabel* Label_IDstring = nullptr;
    QLabel* Label_version = nullptr;
    std::array<QLabel*, 2> Label_KA{};
    QLabel* Image1 = nullptr;    // continuous-mode board marker (arrow picture)
    QLabel* Picture1 = nullptr;  // static pictures
    QLabel* Picture2 = nullptr;

    // --- frames ---
    std::array<QGroupBox*, 12> Frame1{};  // cell panels, index = cell - 1
    QGroupBox* Frame2 = nullptr;          // SET VOLTAGE LIMITS
    QGroupBox* Frame3 = nullptr;          // SET I/O MODE CFGR0
    QGroupBox* Frame4 = nullptr;          // CONFIGURATION REGISTERS
    QGroupBox* Frame5 = nullptr;          // TEMPS
    QGroupBox* Frame6 = nullptr;          // FLAGS
    QGroupBox* Frame7 = nullptr;          // PACKET ERROR CODE
    QGroupBox* Frame8 = nullptr;          // LEGEND
    QGroupBox* Frame9 = nullptr;          // SELF TEST START A/D
    QGroupBox* Frame11 = nullptr;         // DIAGNOSTIC (hidden, over LEGEND)
    QGroupBox* Frame12 = nullptr;         // READ (hidden)

    // --- lists ---
    QComboBox* Combo1 = nullptr;  // number of boards "1".."10"
    QComboBox* Combo2 = nullptr;  // address digit "0".."F"

    // --- shapes ---
    std::array<ShapeWidget*, 120> Shape1{};  // lamp grid: slot s, cell i at 12*s + i
    std::array<ShapeWidget*, 12> Shape2{};   // cell bar (inside Frame1(i))
    std::array<ShapeWidget*, 12> Shape4{};   // cell bar background (inside Frame1(i))
    std::array<ShapeWidget*, 12> Shape5{};   // cell terminal cap (inside Frame1(i))
    std::array<ShapeWidget*, 12> Line7{};    // cell panel lines (Kind::Line)
    std::array<ShapeWidget*, 12> Line9{};
    std::array<ShapeWidget*, 12> Line10{};
    ShapeWidget* Shape3 = nullptr;           // continuous-mode lamp
    std::array<ShapeWidget*, 3> Shape6{};    // temperature indicators: bulb
    std::array<ShapeWidget*, 3> Shape7{};    //   column
    std::array<ShapeWidget*, 3> Shape8{};    //   tube
    std::array<ShapeWidget*, 10> Shape12{};  // per-board PEC status lamp
    ShapeWidget* Shape13 = nullptr;          // discharge-held lamp
    ShapeWidget* Shape14 = nullptr;          // highlight around Command1(5)
    ShapeWidget* Shape15 = nullptr;          // stack bar
    // 0 READ CONFIG, 1 READCELLVOLT, 2 READ TEMP highlights; 3..5 unused; 6 standby
    // marker (CDC group); 7 VUV and 8 VOV zero-code markers. All start hidden.
    std::array<ShapeWidget*, 9> Shape16{};
    ShapeWidget* Shape_KA = nullptr;  // highlight around Command1(0) ("WDT SERVICE")

    // --- menu ---
    QMenu* mnuFile = nullptr;
    QMenu* mnuDatalog = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuExcelOutTest = nullptr;
    QAction* mnuCreateNewSetup_EB4010 = nullptr;
    QAction* mnuUsePreviousSetup_EB4010 = nullptr;
    QAction* mnuViewLastDatalog = nullptr;
};

// Creates every control of the inventory on a 900 x 600 central widget of form (and the
// menu bar above it) with its objectName, caption, tool tip, initial text, fonts,
// geometry, initial visibility and enabled state, and an accessible description for
// every control without a caption. Connects no handler.
void buildInventory(QMainWindow* form, Controls& ui);

// The dynamic property that marks an object as a control of the inventory; its value is
// the control's position in creation order (the window dump lists controls in it).
inline constexpr const char* kInventoryProperty = "zmxInventoryOrder";

}  // namespace zmx
