#pragma once
// The configuration register model: the bit boxes of CFGR0..CFGR3 encoded into and
// decoded from the two-digit hex texts of the image, the comparator duty cycle (CDC)
// mode table, and the rules that mark a composed configuration as not yet written.

#include <array>
#include <string>
#include <string_view>

#include "model/StackState.h"
#include "rules/Colors.h"

namespace zmx {

// The eight bit boxes of one register: element i is bit i (checked = 1).
using RegisterBits = std::array<bool, 8>;

// Boxes to the register text: two upper-case hex digits, high nibble first ("E0", "0B").
std::string encodeRegister(const RegisterBits& bits);

// Register text to boxes; the text is read as hex, an empty or non-hex text giving 0.
RegisterBits decodeRegister(std::string_view hexText);

// CFGR0 with its CDC bits (2..0) replaced by cdc; bits 7..3 are kept.
std::string withCdcBits(std::string_view cfgr0, int cdc);

// The CDC bits of a composed CFGR0 (the whole text read as hex, AND 7).
int cdcOfImage(std::string_view cfgr0);

// The CDC bits of a written CFGR0: its last hex digit AND 7; an empty copy counts as 0.
int cdcOfWritten(std::string_view cfgr0);

// The cell measurement time of a CDC value in milliseconds, from the mode table: 13 or
// 21, or 0 in standby (CDC 0), where nothing is converted.
int cdcMeasureMs(int cdc);

// The mode-table text of a CDC value: the first row followed directly by the second.
std::string cdcModeText(int cdc);

// The notice shown while the selected board's CDC is 0.
inline constexpr std::string_view kStandbyNotice =
    "CDC=0-STANDBY MODE. CLICK UP/DOWN "
    "BUTTON TO SET CDC>0 THEN WRITE CONFIG FOR MEASURE MODE";
inline constexpr int kStandbyNoticePointSize = 9;

// What is composed but not yet written for a slot, control by control.
struct PendingMarks {
    bool registers = false;  // any of the six bytes differs: configChanged, Text4(0..5)
    bool cdc = false;        // the CDC bits differ (bit 3 excluded): Text3, Text15
    bool vuv = false;        // CFGR4 differs: Text2(0)
    bool vov = false;        // CFGR5 differs: Text2(1)
};

// Compares the slot's image with its written copy as text, so an empty copy is a change.
PendingMarks pendingMarks(const StackState& st, int slot);

// The colour pair of an editor box: plain (window text on white) or pending (olive on light grey).
struct ColourPair {
    bool systemText;  // text in the system window-text colour; `text` is then unused
    Rgb text;
    Rgb back;
};
inline constexpr ColourPair kPlainPair{true, kBlack, kWhite};
inline constexpr ColourPair kPendingPair{false, kOlive, kLightGrey};
constexpr const ColourPair& colourPair(bool pending) { return pending ? kPendingPair : kPlainPair; }

// How a "written" box Text4(k) shows a register: three spaces either side ("   E0   ").
std::string writtenBoxText(std::string_view cfgr);

// Captions of the WRITE CONFIG button while a write is pending and when nothing is.
inline constexpr std::string_view kWritePendingCaption = "WRITECONFIG";
inline constexpr std::string_view kWriteIdleCaption = "WRITE CONFIG";

}  // namespace zmx
