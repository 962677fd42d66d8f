#pragma once
// RDCFG: the request, the lamp verdict and the read-back texts of a slot.

#include <cstdint>
#include <span>
#include <string>

#include "model/StackState.h"
#include "protocol/ChipCommands.h"

namespace zmx {

inline const std::size_t kRdcfgReplyChars = readReplyChars(chipCommand(ChipCommandId::RDCFG));

std::string rdcfgFrame(const StackState& st, int slot);

// Lamp state after a read whose received and computed PECs are given: 1 on a match,
// 2 on a mismatch unless "PEC Match Only" hides it, 3 while thermal shutdown is latched.
void applyLampVerdict(StackState& st, int slot, bool pecMatch);

// Read-back texts from the reply's six data bytes, measure mode from CFGR0's CDC bits,
// view switched to the read-back; done whatever the PEC verdict.
void storeReadback(StackState& st, int slot, std::span<const uint8_t> bytes);

// True where read-back byte k differs from the composed image (empty texts count as 0).
bool readbackDiffers(const StackState& st, int slot, int k);

}  // namespace zmx
