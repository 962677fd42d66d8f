#pragma once
// The BoardRead of a read that has just been made, taken from the stack state the read
// left behind: request and reply texts, data bytes and PECs, decoded values.

#include <array>
#include <cstdint>

#include "model/StackState.h"
#include "session/ReadEvents.h"

namespace zmx {

BoardRead configReadOf(const StackState& st, int slot);
// Selector as for readCells: 0 RDCV .. 5 RDCVC ten-cell.
BoardRead cellReadOf(const StackState& st, int slot, int selector);
BoardRead flagReadOf(const StackState& st, int slot);
BoardRead tempReadOf(const StackState& st, int slot);

// The slot's twelve cell status codes.
std::array<int16_t, 12> cellStatusOf(const StackState& st, int slot);

}  // namespace zmx
