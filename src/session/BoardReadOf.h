#pragma once
// The BoardRead of a read that has just been made, from its parsed reply and the request
// the session sent; cells a read does not carry show what the slot held.

#include <array>
#include <cstdint>

#include "model/StackState.h"
#include "protocol/ReplyParsers.h"
#include "session/ReadEvents.h"

namespace zmx {

BoardRead configReadOf(const StackState& st, int slot, const ParsedReply& p);
BoardRead cellReadOf(const StackState& st, int slot, const ParsedReply& p);
BoardRead flagReadOf(const StackState& st, int slot, const ParsedReply& p);
BoardRead tempReadOf(const StackState& st, int slot, const ParsedReply& p);

// The slot's twelve cell status codes.
std::array<int16_t, 12> cellStatusOf(const StackState& st, int slot);

}  // namespace zmx
