#pragma once
// The status code of every cell (cellStatus, 0..7; colours and legend in Colors.h):
// evaluation from the written discharge and mask bits and the read verdicts, the
// under-/over-voltage rule of a flag read and the thermal-shutdown codes.

#include <array>
#include <cstdint>
#include <optional>

#include "model/StackState.h"

namespace zmx {

enum CellStatusCode : int16_t {
    kStatusClear = 0,
    kStatusGood = 1,
    kStatusDischarge = 2,
    kStatusUnderVoltage = 3,
    kStatusOverVoltage = 4,
    kStatusMasked = 5,
    kStatusMaskedDischarge = 6,
    kStatusThermal = 7,
};

constexpr int statusIndex(int slot, int cellIndex) { return slot * kCellsPerBoard + cellIndex; }

// Discharge and mask bit of cell i (0..11) in the six configuration bytes: discharge of
// cells 1..8 = CFGR1 bits 0..7, cells 9..12 = CFGR2 bits 0..3; mask of cells 1..4 = CFGR2
// bits 4..7, cells 5..12 = CFGR3 bits 0..7.
struct CfgBit {
    int byte;
    int bit;
};
constexpr CfgBit dischargeBitOf(int cell) { return cell < 8 ? CfgBit{1, cell} : CfgBit{2, cell - 8}; }
constexpr CfgBit maskBitOf(int cell) { return cell < 4 ? CfgBit{2, cell + 4} : CfgBit{3, cell - 4}; }

// A board that reports a latched thermal shutdown shows code 7 on every cell.
bool boardInThermalShutdown(const StackState& st, int slot);

// cellDcc / cellMask from cfgWritten, then the codes of the slot: 6 masked and
// discharging, 2 discharging, 5 masked, else 1 after a good cell read in measure mode,
// 0 otherwise; a board in standby shows 0 everywhere.
void evaluateCellStatus(StackState& st, int slot);

// Code of one cell after a flag read: 0/1 (and a previous 3/4, first reset to 0) become
// 3 on under-voltage and 4 on over-voltage, which wins; 2, 5, 6 and 7 stay.
int16_t statusAfterFlags(int16_t code, bool underVoltage, bool overVoltage);

// The flag rule for one slot from its flgrText; nothing happens while the board is not
// in measure mode.
void deriveFlagStatus(StackState& st, int slot);

// All twelve codes of a slot.
void setBoardStatus(StackState& st, int slot, int16_t code);

// Codes of every slot 0..lastBoardIndex, or of the selected board only, back to 0.
void clearCellStatus(StackState& st, bool allBoards);

// What one board is known to hold, from reads that passed their PEC check and from what was
// written to it: the facts a read's own status codes are worked out from, so a stored read
// does not depend on when the window last re-evaluated its labels.
struct BoardStatusFacts {
    std::array<uint8_t, 6> config{};              // CFGR0..CFGR5 the board holds
    std::array<bool, 12> cellRead{};              // read with a good PEC since the latest cell conversion
    std::optional<std::array<uint8_t, 3>> flags;  // FLGR0..FLGR2 of the latest good flag read
    bool thermal = false;                         // the latest good temperature read had its shutdown bit
};

// The twelve codes by the rules of evaluateCellStatus and deriveFlagStatus on those facts:
// 0 in standby (CDC 0), 2/5/6 from the discharge and mask bits, 1 for a cell read with a good
// PEC, 0 for a cell not read; then 3/4 from the flags; 7 everywhere while in thermal shutdown.
std::array<int16_t, 12> cellStatusFrom(const BoardStatusFacts& facts);

}  // namespace zmx
