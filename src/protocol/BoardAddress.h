#pragma once
// Board addresses on the chip bus: "8" followed by one hex digit, 0x80 to 0x8F. The
// stack's boards start at 0x80 for slot 0 and count up unless the user picks others.

#include <string>

namespace zmx {

// The address text of digit index 0..15 ("80" .. "8F").
std::string addressOfDigitIndex(int digitIndex);
// The digit index of the second character of a two-character address text, or -1.
int addressDigitIndex(const std::string& addressHex);
// The address a slot takes by default: 0x80 for slot 0, 0x81 for slot 1, ...
inline std::string defaultBoardAddress(int slot) { return addressOfDigitIndex(slot); }

}  // namespace zmx
