#pragma once
// WRCFG: the request text, the PEC of the six configuration bytes and the record of
// what a write has put into the boards of the stack.

#include <string>

#include "model/StackState.h"

namespace zmx {

// PEC of the slot's composed CFGR0..CFGR5 as two-digit upper-case text.
std::string PecOfConfig(const StackState& st, int slot);

// The WRCFG text of the slot's image, broadcast or addressed by the slot's bcastWRCFG.
std::string wrcfgFrame(const StackState& st, int slot);
// The WRCFG text of the slot's image in the given form.
std::string wrcfgFrame(const StackState& st, int slot, bool broadcast);

// Records what the last WRCFG of the selected slot wrote. A broadcast write reached every
// board, so every slot 0..lastBoardIndex records its image; an addressed write reached only
// the selected board, so the other slots keep the copy of their own last write. Then
// tenCellMode follows bit 3 of the selected slot's written CFGR0.
void recordWrite(StackState& st);
// The same for a write of the slot's image in the given form.
void recordWrite(StackState& st, int slot, bool broadcast);

}  // namespace zmx
