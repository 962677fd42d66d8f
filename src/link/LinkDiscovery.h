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
// The controller's USB product string: discovery opens only adapters whose description names it.
inline constexpr const char* kControllerProduct = "LK200";

struct SerialPortSeen {
    std::string path;                  // "/dev/ttyUSB0"
    std::optional<uint16_t> vendorId;  // absent for ports that are not on USB
    std::optional<uint16_t> productId;
    std::string description;
    std::string serialNumber;  // the USB serial number, when the port is on USB
};

// One FTDI device on the USB bus, as libftdi1 or the D2XX library sees it.
struct UsbDeviceSeen {
    uint16_t vendorId = 0, productId = 0;
    std::string serial;
    std::string description;
};

using UsbDeviceList = std::optional<std::vector<UsbDeviceSeen>>;  // nullopt: could not search

struct LinkProbes {
    // The serial ports of the machine.
    std::function<std::vector<SerialPortSeen>()> serialPorts;
    // FTDI devices libftdi1 can see (error says why it cannot search).
    std::function<UsbDeviceList(std::string* error)> ftdiDevices;
    // Whether the D2XX library loads (error says why not).
    std::function<bool(std::string* error)> d2xxLoadable;
    // The devices the D2XX library sees (optional; error says why not).
    std::function<UsbDeviceList(std::string* error)> d2xxDevices;
    // Asks whatever is at a link text for its identification: true when a supported controller
    // answered. Used only to choose among several adapters that name the controller.
    std::function<bool(const std::string& link)> identifies;
};

// The real look-ups: Qt Serial Port, libftdi1, dlopen of the D2XX library, an "IZ" exchange.
LinkProbes realLinkProbes();

struct DiscoveredLink {
    std::string link;   // a --link value, empty when nothing was found
    std::string error;  // when nothing was found: what was tried, and that --simulate works
};

// The serial port, else the libftdi1 device, else the D2XX device whose USB description names
// the controller (kControllerProduct); no other adapter is opened or sent anything. Where one
// kind offers several, each is asked for its identification and the first controller that
// answers is taken; a single one is taken as it is (its identification at start-up tells the
// rest). A libftdi1 or D2XX device that has a tty is taken as its serial port. When FTDI
// adapters are there but none names the controller, the error lists them with their --link
// texts so the user can name one.
DiscoveredLink discoverDefaultLink(const LinkProbes& probes);

// One line per link found or looked for, for --list-links: with USB IDs, serial numbers and
// descriptions, each starting with the --link text that picks it.
std::vector<std::string> listLinks(const LinkProbes& probes);

}  // namespace zmx
