#pragma once
// Finding a controller when no --link is given, and listing what is there (--list-links).
// The look-ups are passed in, so the choice can be tested without hardware.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zmx {

inline constexpr uint16_t kFtdiVendorId = 0x0403;

struct SerialPortSeen {
    std::string path;                  // "/dev/ttyUSB0"
    std::optional<uint16_t> vendorId;  // absent for ports that are not on USB
    std::optional<uint16_t> productId;
    std::string description;
};

struct LinkProbes {
    // The serial ports of the machine.
    std::function<std::vector<SerialPortSeen>()> serialPorts;
    // FTDI devices libftdi1 can see; negative when it cannot search (error says why).
    std::function<int(std::string* error)> ftdiDevices;
    // Whether the D2XX library loads (error says why not).
    std::function<bool(std::string* error)> d2xxLoadable;
};

// The real look-ups: Qt Serial Port, libftdi1, dlopen of the D2XX library.
LinkProbes realLinkProbes();

struct DiscoveredLink {
    std::string link;   // a --link value, empty when nothing was found
    std::string error;  // when nothing was found: what was tried, and that --simulate works
};

// The first serial port of FTDI's vendor, else libftdi1 device 0, else D2XX when it loads.
DiscoveredLink discoverDefaultLink(const LinkProbes& probes);

// One line per link found or looked for, for --list-links.
std::vector<std::string> listLinks(const LinkProbes& probes);

}  // namespace zmx
