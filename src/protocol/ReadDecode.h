#pragma once
// Turning the replies of the cell, flag and temperature reads into the stored codes,
// values and texts of a board slot. The 12-bit codes are taken from the parsed bytes,
// their texts from the reply characters themselves, so a code keeps the letter case the
// controller sent.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/StackState.h"

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

// The three characters of a 12-bit code at the given 1-based reply positions (most
// significant digit first). When the reply was cut short before them, the text is made
// from the code decoded from the parsed bytes instead, so text and value agree.
std::string codeText(std::string_view reply, std::array<std::size_t, 3> positions, int code);

// Codes, texts and volts of the selector's cells from st.rxCells into the slot. Cells
// outside the selector's range keep their values.
void decodeCellReply(StackState& st, int slot, int selector);

// ETMP1, ETMP2 and ITMP from st.rxTemps into the slot.
void decodeTempReply(StackState& st, int slot);

// The thermal-shutdown bit of an RDTMP reply (bit 4 of T4, the high digit of T4 at
// position 17).
int thermalBitOf(std::string_view reply);

// FLGR0..FLGR2 of st.rxFlags as two upper-case hex digits into flgrText of the slot.
void storeFlagTexts(StackState& st, int slot);

}  // namespace zmx
