#pragma once
// The terminal settings of the serial link: raw 8N1 without flow control, reads that never
// wait by themselves, and HUPCL cleared so that closing the port leaves DTR and RTS alone
// (a board that wires DTR to its reset is not reset by a reconnect or by the program ending).

#include <cstdint>
#include <string>

namespace zmx {

// The fastest rate an FTDI UART runs (FT232H); above it no chip of the controller can follow.
inline constexpr uint32_t kMaxLineRate = 12000000;

// How far the rate a driver settles on may be from the one asked for (the UART's own
// tolerance is about 3 %).
inline constexpr double kLineRateTolerance = 0.03;

struct LineSetup {
    std::string error;  // empty when the line is set
    uint32_t rate = 0;  // the rate in effect
};

// Sets the line of the open tty `fd` (named `path` in messages). Standard rates go through
// cfsetspeed, any other through termios2; a rate the driver refuses or bends beyond the
// tolerance is an error that names it.
LineSetup setRawLine(int fd, const std::string& path, uint32_t rate);

}  // namespace zmx
