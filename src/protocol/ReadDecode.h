#pragma once
// Storing a parsed read reply into a board slot of the stack state: the byte rows and
// PECs the monitor and the verdicts take, and the codes, texts and volts the window shows.
// Everything here is made from the one ParsedReply of the read.

#include <cstdint>

#include "model/StackState.h"
#include "protocol/ReplyParsers.h"

namespace zmx {

// Every cell and temperature code converts to volts on one scale: 0x200 is 0 V, one step
// is 1.5 mV. Kept in single precision like the stored values.
inline constexpr int kZeroCode = 512;
inline constexpr float kVoltsPerCode = 0.0015f;

constexpr float codeToVolts(int code) { return static_cast<float>(code - kZeroCode) * kVoltsPerCode; }

// Where cell n (1..12) and temperature channel k (0 ETMP1, 1 ETMP2, 2 ITMP) of a slot live
// in cellCodeHex / cellVolts.
constexpr int cellValueIndex(int slot, int cell) { return slot * kCellsPerBoard + cell; }
constexpr int tempValueIndex(int slot, int channel) { return 121 + 3 * slot + channel; }

// RDCFG: rdcfgRxByte and both PECs of the slot.
void storeConfigRead(StackState& st, int slot, const ParsedReply& p);

// A cell read of the selector: its byte row and PECs, and the codes, texts and volts of
// the cells it carries. Cells outside the selector's range keep their values.
void storeCellRead(StackState& st, int slot, int selector, const ParsedReply& p);

// RDFLG: rdflgRxByte, both PECs and FLGR0..FLGR2 as two upper-case hex digits.
void storeFlagRead(StackState& st, int slot, const ParsedReply& p);

// RDTMP: rdtmpRxByte, both PECs and the codes, texts and volts of ETMP1, ETMP2 and ITMP.
void storeTempRead(StackState& st, int slot, const ParsedReply& p);

}  // namespace zmx
