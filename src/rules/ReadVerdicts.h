#pragma once
// The PEC verdict of the cell, flag and temperature reads: the board's lamp state and
// the freshness marks. All three follow the same pattern: a match marks the read fresh,
// a mismatch marks it stale unless "PEC Match Only" (showValidOnly) hides it, a board in
// standby (measureMode 0) keeps a white lamp, a latched thermal shutdown keeps it orange.

#include "model/StackState.h"

namespace zmx {

// RDCV family: a good cell read makes the flags of the board stale.
void applyCellReadVerdict(StackState& st, int slot, bool pecMatch);

// RDFLG: a good flag read makes the cells of the board stale.
void applyFlagReadVerdict(StackState& st, int slot, bool pecMatch);

// RDTMP: a board in standby never counts as having fresh temperatures.
void applyTempReadVerdict(StackState& st, int slot, bool pecMatch);

// thsdFlag follows the reply's thermal bit, but only a read whose PEC matched may change it.
void updateThermalFlag(StackState& st, int slot, int thermalBit, bool pecMatch);

}  // namespace zmx
