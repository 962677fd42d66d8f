#pragma once
// Cutting a read reply, once, into what every later use takes from it: the data bytes,
// the received PEC and the one computed over the bytes, and for the cell and temperature
// reads the 12-bit codes with the texts the window shows for them. One function per read
// kind, each sized by its row of the chip command table.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
// The one place a cell-read selector is brought into range: anything but 0..5 reads as
// RDCV (0).
int cellSelectorInRange(int selector);
const CellReadVariant& cellReadVariant(int selector);

// A 12-bit code of a reply: its value from the data bytes (what the volts are made from)
// and its three digits as the window shows them: the reply's own characters, so the letter
// case the controller sent, or the value's digits where the reply was cut short.
struct ReplyCode {
    int code = 0;
    std::string text;
};

// A read reply cut once.
struct ParsedReply {
    const ChipCommand* command = nullptr;  // the read's row of the chip command table
    std::vector<uint8_t> data;             // data bytes (missing characters read 0)
    uint8_t rxPec = 0;                     // PEC received after the data bytes
    uint8_t calcPec = 0;                   // PEC computed over the data bytes
    int firstCell = 1;                     // Cells: the cell of codes[0]
    std::vector<ReplyCode> codes;          // Cells: the variant's cells; Temps: ETMP1, ETMP2, ITMP
    int thermalBit = 0;                    // Temps: the thermal-shutdown bit
    bool pecMatch() const { return rxPec == calcPec; }
};

ParsedReply parseConfigReply(std::string_view reply);
ParsedReply parseCellReply(std::string_view reply, int selector);
ParsedReply parseFlagReply(std::string_view reply);
ParsedReply parseTempReply(std::string_view reply);

// The three characters of a 12-bit code at the given 1-based reply positions (most
// significant digit first). When the reply was cut short before them, the text is made
// from the code decoded from the bytes instead, so text and value agree.
std::string codeText(std::string_view reply, std::array<std::size_t, 3> positions, int code);

// The thermal-shutdown bit of an RDTMP reply (bit 4 of T4, the high digit of T4 at
// position 17).
int thermalBitOf(std::string_view reply);

// The received and computed PEC of a cell-read variant for one slot, as stored.
uint8_t rdcvRxPecOf(const StackState& st, int variant, int slot);
uint8_t rdcvCalcPecOf(const StackState& st, int variant, int slot);

}  // namespace zmx
