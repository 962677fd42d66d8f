#pragma once
// The packet error code of the chip bus: CRC-8, polynomial 0x07, start value 0x41,
// most significant bit first, no final XOR, one table lookup per byte.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zmx {

using PecTable = std::array<uint8_t, 256>;

// Entry i is the CRC-8 (polynomial 0x07, start 0) of the single byte i.
constexpr PecTable makePecTable() {
    PecTable t{};
    for (int i = 0; i < 256; ++i) {
        uint8_t c = static_cast<uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit) c = static_cast<uint8_t>((c & 0x80) ? (c << 1) ^ 0x07 : (c << 1));
        t[static_cast<std::size_t>(i)] = c;
    }
    return t;
}

inline constexpr PecTable pecTable = makePecTable();
inline constexpr uint8_t kPecStart = 0x41;

constexpr uint8_t pecOf(std::span<const uint8_t> bytes) {
    uint8_t c = kPecStart;
    for (uint8_t b : bytes) c = pecTable[c ^ b];
    return c;
}

constexpr uint8_t pecOfByte(uint8_t b) { return pecTable[kPecStart ^ b]; }

// PEC of one byte given as two-digit hex text, as two-digit text ("80" -> "49").
std::string PecOfHexByte(std::string_view byteHex);

}  // namespace zmx
