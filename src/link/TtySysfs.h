#pragma once
// What sysfs tells of a serial device: the USB adapter behind it and the driver's latency
// timer. `sysRoot` is "/sys" except in tests, which build a tree of their own.

#include <string>

namespace zmx {

inline constexpr const char* kSysRoot = "/sys";

// The latency a USB serial chip holds short replies back for when nothing lowered it.
inline constexpr int kDefaultLatencyMs = 16;

// The kernel's name of the tty a device path leads to ("ttyUSB0" for a by-id link), after
// every symlink; empty when the path does not resolve.
std::string ttyKernelName(const std::string& devicePath);

// The USB serial number of the device the tty belongs to: the nearest USB device (a folder
// with idVendor) above /sys/class/tty/<name>/device. Empty for a tty that is not on USB
// (a pseudo-terminal, a built-in UART) and for a USB device without a serial number.
std::string usbSerialOfTty(const std::string& ttyName, const std::string& sysRoot = kSysRoot);

// Lowers the chip's latency timer of the open tty `fd` to 1 ms where this user may: the
// driver's low-latency flag (TIOCSSERIAL, which ftdi_sio turns into a 1 ms timer), else the
// writable latency_timer file. Returns the latency in effect, kDefaultLatencyMs when it
// cannot tell.
int lowerLatency(int fd, const std::string& ttyName, const std::string& sysRoot = kSysRoot);

}  // namespace zmx
