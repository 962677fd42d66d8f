#pragma once
// Line rates outside the standard B-constant table, through the kernel's termios2 interface
// (BOTHER), and the rate the driver actually runs at. Kept apart from <termios.h>: the
// kernel's <asm/termbits.h> declares a struct termios of its own.

#include <cstdint>
#include <optional>

namespace zmx {

// Sets an arbitrary line rate on an open tty, both directions; false when the driver refused
// it (errno says why).
bool setArbitraryLineRate(int fd, uint32_t rate);

// The output rate the driver reports after it applied the settings (a USB serial driver
// writes back the rate its chip can really do); nullopt when it cannot be read.
std::optional<uint32_t> lineRateInEffect(int fd);

}  // namespace zmx
