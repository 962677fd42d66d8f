#include "link/LinkDiscovery.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "link/ControllerLink.h"
#include "link/D2xxLink.h"
#include "link/FtdiLink.h"
#include "link/LinkFactory.h"
#include "protocol/Identification.h"

#ifdef ZMX_HAVE_SERIALPORT
#include <QSerialPortInfo>
#endif

namespace zmx {

namespace {

std::string hex4(uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v);
    return buf;
}

bool isFtdiPort(const SerialPortSeen& p) { return p.vendorId && *p.vendorId == kFtdiVendorId; }

// Whether a USB product description is the controller's own ("LK200", any case).
bool namesController(const std::string& description) {
    std::string lower;
    for (char c : description) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string product;
    for (const char* c = kControllerProduct; *c; ++c) product += static_cast<char>(std::tolower(*c));
    return lower.find(product) != std::string::npos;
}

std::string usbLinkText(const char* kind, const UsbDeviceSeen& d) {
    return std::string(kind) + (d.serial.empty() ? "" : ":" + d.serial);
}

// "serial:/dev/ttyUSB0 (FT232R USB UART, serial A10K3XYZ)": an adapter seen, for error lines.
std::string seenText(const std::string& link, const std::string& description, const std::string& serial) {
    std::string extra = description;
    if (!serial.empty()) extra += (extra.empty() ? "" : ", ") + std::string("serial ") + serial;
    return extra.empty() ? link : link + " (" + extra + ")";
}

std::string joined(const std::vector<std::string>& items, const char* sep) {
    std::string out;
    for (const std::string& t : items) out += (out.empty() ? "" : sep) + t;
    return out;
}

// The one candidate, or among several the first whose controller identifies itself.
// Empty with `why` set when several were there and none answered.
std::string chooseAmong(const std::vector<std::string>& candidates, const LinkProbes& probes, std::string* why) {
    if (candidates.empty()) return {};
    if (candidates.size() == 1 || !probes.identifies) return candidates.front();
    for (const std::string& c : candidates)
        if (probes.identifies(c)) return c;
    *why = joined(candidates, ", ") + " (none answered as an LK200)";
    return {};
}

}  // namespace

LinkProbes realLinkProbes() {
    LinkProbes p;
    p.serialPorts = [] {
        std::vector<SerialPortSeen> out;
#ifdef ZMX_HAVE_SERIALPORT
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            SerialPortSeen s;
            s.path = info.systemLocation().toStdString();
            if (info.hasVendorIdentifier()) s.vendorId = info.vendorIdentifier();
            if (info.hasProductIdentifier()) s.productId = info.productIdentifier();
            s.description = info.description().toStdString();
            s.serialNumber = info.serialNumber().toStdString();
            out.push_back(std::move(s));
        }
#endif
        return out;
    };
    p.ftdiDevices = [](std::string* error) { return FtdiLink::listDevices(error); };
    p.d2xxLoadable = [](std::string* error) { return D2xxLibrary::load({}, error) != nullptr; };
    p.d2xxDevices = [](std::string* error) -> UsbDeviceList {
        auto lib = D2xxLibrary::load({}, error);
        if (!lib) return std::nullopt;
        const auto seen = lib->devices(error);
        if (!seen) return std::nullopt;
        std::vector<UsbDeviceSeen> out;
        for (const D2xxDeviceSeen& d : *seen) out.push_back({kFtdiVendorId, 0, d.serial, d.description});
        return out;
    };
    p.identifies = [](const std::string& link) {
        LinkChoice c = makeLink(link, {}, {});
        if (!c.backend) return false;
        ControllerLink probe(std::move(c.backend));
        return identificationVerdict(probe.Identify()) != 0;
    };
    return p;
}

DiscoveredLink discoverDefaultLink(const LinkProbes& probes) {
    DiscoveredLink d;
    std::vector<std::string> tried;
    std::vector<std::string> others;  // FTDI adapters that do not name the controller
    std::vector<SerialPortSeen> ports;
    if (probes.serialPorts) {
        ports = probes.serialPorts();
        std::vector<std::string> candidates;
        for (const SerialPortSeen& port : ports) {
            if (namesController(port.description)) candidates.push_back("serial:" + port.path);
            else if (isFtdiPort(port))
                others.push_back(seenText("serial:" + port.path, port.description, port.serialNumber));
        }
        std::string why;
        d.link = chooseAmong(candidates, probes, &why);
        if (!d.link.empty()) return d;
        tried.push_back("serial ports naming the " + std::string(kControllerProduct) + ": " +
                        (why.empty() ? std::string("none") : why));
    }
    // A USB device of one kind: its tty when the serial driver has one (nothing to detach),
    // else the device by its serial number.
    const auto fromUsb = [&](const char* kind, const UsbDeviceList& devices, std::string* why) -> std::string {
        std::vector<std::string> candidates;
        for (const UsbDeviceSeen& dev : *devices) {
            if (!namesController(dev.description)) {
                const std::string seen = seenText(usbLinkText(kind, dev), dev.description, dev.serial);
                // libftdi1 and D2XX list the same adapters: each once.
                if (std::find(others.begin(), others.end(), seen) == others.end()) others.push_back(seen);
                continue;
            }
            const auto tty = std::find_if(ports.begin(), ports.end(), [&](const SerialPortSeen& p) {
                return !dev.serial.empty() && p.serialNumber == dev.serial;
            });
            // Without a serial number the device can be named only when it is the one there.
            if (tty != ports.end()) candidates.push_back("serial:" + tty->path);
            else if (!dev.serial.empty() || devices->size() == 1) candidates.push_back(usbLinkText(kind, dev));
            else others.push_back(seenText(usbLinkText(kind, dev), dev.description + ", no serial number", ""));
        }
        return chooseAmong(candidates, probes, why);
    };
    if (probes.ftdiDevices) {
        std::string why;
        const UsbDeviceList devices = probes.ftdiDevices(&why);
        if (devices) {
            d.link = fromUsb("ftdi", devices, &why);
            if (!d.link.empty()) return d;
        }
        tried.push_back("libftdi1: " + (!devices ? why : why.empty() ? "no device naming the LK200" : why));
    }
    if (probes.d2xxLoadable) {
        std::string why;
        if (probes.d2xxLoadable(&why)) {
            // Without its list the library could only open "the first device", which may be
            // another adapter: nothing is opened then.
            const UsbDeviceList devices = probes.d2xxDevices ? probes.d2xxDevices(&why) : std::nullopt;
            if (devices) {
                d.link = fromUsb("d2xx", devices, &why);
                if (!d.link.empty()) return d;
                if (why.empty()) why = "no device naming the LK200";
            } else if (why.empty()) {
                why = "the library lists no devices";
            }
        }
        tried.push_back("D2XX: " + why);
    }
    if (!others.empty()) {
        d.error = "no LK200 found: FTDI adapters are there but none names the LK200 in its USB description: " +
                  joined(others, ", ") + "; name the controller with --link (tried " + joined(tried, "; ") +
                  "); --simulate runs without hardware";
        return d;
    }
    d.error = "no controller link found (tried " + joined(tried, "; ") + "); --simulate runs without hardware";
    return d;
}

std::vector<std::string> listLinks(const LinkProbes& probes) {
    std::vector<std::string> lines;
    auto usbLine = [](const std::string& link, const UsbDeviceSeen& d) {
        std::string line = link + "  usb " + hex4(d.vendorId) + ":" + hex4(d.productId);
        line += "  serial " + (d.serial.empty() ? std::string("(none)") : d.serial);
        if (!d.description.empty()) line += "  " + d.description;
        return line;
    };
    if (probes.serialPorts) {
        for (const SerialPortSeen& port : probes.serialPorts()) {
            std::string line = "serial:" + port.path;
            if (port.vendorId)
                line += "  usb " + hex4(*port.vendorId) + ":" + (port.productId ? hex4(*port.productId) : "????");
            if (!port.serialNumber.empty()) line += "  serial " + port.serialNumber;
            if (!port.description.empty()) line += "  " + port.description;
            if (isFtdiPort(port)) line += "  (FTDI)";
            lines.push_back(line);
        }
    }
    if (probes.ftdiDevices) {
        std::string why;
        const UsbDeviceList devices = probes.ftdiDevices(&why);
        if (devices && !devices->empty()) {
            for (const UsbDeviceSeen& dev : *devices)
                lines.push_back(usbLine("ftdi" + (dev.serial.empty() ? std::string() : ":" + dev.serial), dev));
        } else {
            lines.push_back("ftdi  (none: " + (devices ? std::string("no FTDI device") : why) + ")");
        }
    }
    if (probes.d2xxLoadable) {
        std::string why;
        if (probes.d2xxLoadable(&why)) {
            const UsbDeviceList devices = probes.d2xxDevices ? probes.d2xxDevices(&why) : std::nullopt;
            if (devices && !devices->empty()) {
                for (const UsbDeviceSeen& dev : *devices) {
                    std::string line = "d2xx" + (dev.serial.empty() ? std::string() : ":" + dev.serial);
                    line += "  serial " + (dev.serial.empty() ? std::string("(none)") : dev.serial);
                    if (!dev.description.empty()) line += "  " + dev.description;
                    lines.push_back(line);
                }
            } else {
                lines.push_back("d2xx  " + D2xxLibrary::defaultPath() + " loads" +
                                (devices ? std::string(", no device") : std::string()));
            }
        } else {
            lines.push_back("d2xx  (none: " + why + ")");
        }
    }
    lines.push_back("sim   the simulated controller and stack (--simulate)");
    return lines;
}

}  // namespace zmx
