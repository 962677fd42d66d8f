#pragma once
// Cutting a read reply into data bytes and its received PEC, and folding the PEC over
// what was received, one member per read. The slot is the served board: the selected
// board, or for the cell, flag and temperature reads the board continuous mode scans.

#include <cstdint>
#include <span>
#include <string_view>

#include "model/StackState.h"
#include "protocol/ChipCommands.h"

namespace zmx {

// Data bytes of reply positions 9, 11, ... (1-based) into out, the pair after them
// returned as the received PEC. Missing characters read as 0.
uint8_t parseReadReply(std::string_view reply, std::span<uint8_t> out);

// Cell-read variants in the order of the family: RDCV, RDCV ten-cell, RDCVA, RDCVB,
// RDCVC, RDCVC ten-cell.
struct CellReadVariant {
    ChipCommandId command;  // its row of the chip command table (name, code, data bytes)
    int firstCell;          // 1
    int cellCount;          // 12
    const ChipCommand& cmd() const { return chipCommand(command); }
};
const CellReadVariant& cellReadVariant(int selector);

void ParseRdcfgReply(StackState& st);
int PEC_GUI_RDCFG_Calc_7730addr(StackState& st);
void ParseRdflgReply(StackState& st);
void CalcRdflgPec(StackState& st);
void ParseRdtmpReply(StackState& st);
void CalcRdtmpPec(StackState& st);
void ParseRdcvReply(StackState& st, int variant);
void CalcRdcvPec(StackState& st, int variant);
// The same for the given slot (the forms above take the selected or the served board).
void ParseRdcfgReply(StackState& st, int slot);
void PEC_GUI_RDCFG_Calc_7730addr(StackState& st, int slot);
void ParseRdflgReply(StackState& st, int slot);
void CalcRdflgPec(StackState& st, int slot);
void ParseRdtmpReply(StackState& st, int slot);
void CalcRdtmpPec(StackState& st, int slot);
void ParseRdcvReply(StackState& st, int variant, int slot);
void CalcRdcvPec(StackState& st, int variant, int slot);

// The received and computed PEC of a cell-read variant for one slot.
uint8_t rdcvRxPecOf(const StackState& st, int variant, int slot);
uint8_t rdcvCalcPecOf(const StackState& st, int variant, int slot);

}  // namespace zmx
