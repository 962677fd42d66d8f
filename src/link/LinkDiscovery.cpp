#include "link/LinkDiscovery.h"

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

std::vector<std::string> usbLinks(const char* kind, const std::vector<UsbDeviceSeen>& devices) {
    std::vector<std::string> out;
    for (const UsbDeviceSeen& d : devices) out.push_back(std::string(kind) + (d.serial.empty() ? "" : ":" + d.serial));
    return out;
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
    if (probes.serialPorts) {
        std::vector<std::string> ftdiPorts;
        for (const SerialPortSeen& port : probes.serialPorts())
            if (isFtdiPort(port)) ftdiPorts.push_back("serial:" + port.path);
        std::string why;
        d.link = chooseAmong(ftdiPorts, probes, &why);
        if (!d.link.empty()) return d;
        tried.push_back("serial ports of vendor 0403: " + (why.empty() ? std::string("none") : why));
    }
    if (probes.ftdiDevices) {
        std::string why;
        const UsbDeviceList devices = probes.ftdiDevices(&why);
        if (devices && !devices->empty()) {
            // A single device is opened as "the first one"; several are told apart by serial.
            d.link = devices->size() == 1 ? std::string("ftdi") : chooseAmong(usbLinks("ftdi", *devices), probes, &why);
            if (!d.link.empty()) return d;
        }
        tried.push_back("libftdi1: " + (!devices ? why : devices->empty() ? std::string("no FTDI device") : why));
    }
    if (probes.d2xxLoadable) {
        std::string why;
        if (probes.d2xxLoadable(&why)) {
            const UsbDeviceList devices = probes.d2xxDevices ? probes.d2xxDevices(&why) : std::nullopt;
            d.link = devices && devices->size() > 1 ? chooseAmong(usbLinks("d2xx", *devices), probes, &why) : "d2xx";
            if (!d.link.empty()) return d;
        }
        tried.push_back("D2XX: " + why);
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
