#pragma once
// What a link knows of the wire to the controller, and the waits computed from it. A UART-type
// FTDI chip moves a character in 10 bit times (8N1: 1.04 ms at 9600 baud); the chip holds
// received bytes until its latency timer expires or a USB packet is full, so a short reply
// reaches the PC up to one latency period after its last character left the controller.

#include <cstddef>
#include <cstdint>

namespace zmx {

struct WireTiming {
    uint32_t lineRate = 9600;  // baud; 0: no line rate (a FIFO-type chip, or in process)
    int latencyMs = 16;        // the chip's latency timer; 16 ms unless the link set it lower
};

// Milliseconds one 8N1 character takes on the wire (0 without a line rate).
double charMs(const WireTiming& t);

// How long `chars` characters take on the wire, rounded up to whole milliseconds.
int wireMs(const WireTiming& t, std::size_t chars);

// The bound of a wait for `replyChars` characters that the controller produces while the
// `sentChars` of a text reach it: both directions on the wire, two latency periods and a
// margin for the controller and the USB scheduling.
int replyWaitMs(const WireTiming& t, std::size_t sentChars, std::size_t replyChars);

// Silence after which a reply of unknown length (the identification) is taken as complete:
// two latency periods and two characters' time, at least kMinQuietMs.
inline constexpr int kMinQuietMs = 5;
int quietGapMs(const WireTiming& t);

}  // namespace zmx
