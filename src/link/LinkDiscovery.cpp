#include "link/LinkDiscovery.h"

#include <cstdio>

#include "link/D2xxLink.h"
#include "link/FtdiLink.h"

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
            out.push_back(std::move(s));
        }
#endif
        return out;
    };
    p.ftdiDevices = [](std::string* error) { return FtdiLink::countDevices(error); };
    p.d2xxLoadable = [](std::string* error) { return D2xxLibrary::load({}, error) != nullptr; };
    return p;
}

DiscoveredLink discoverDefaultLink(const LinkProbes& probes) {
    DiscoveredLink d;
    std::vector<std::string> tried;
    if (probes.serialPorts) {
        for (const SerialPortSeen& port : probes.serialPorts())
            if (isFtdiPort(port)) {
                d.link = "serial:" + port.path;
                return d;
            }
        tried.push_back("serial ports of vendor 0403: none");
    }
    if (probes.ftdiDevices) {
        std::string why;
        const int n = probes.ftdiDevices(&why);
        if (n > 0) {
            d.link = "ftdi";
            return d;
        }
        tried.push_back("libftdi1: " + (n < 0 ? why : std::string("no FTDI device")));
    }
    if (probes.d2xxLoadable) {
        std::string why;
        if (probes.d2xxLoadable(&why)) {
            d.link = "d2xx";
            return d;
        }
        tried.push_back("D2XX: " + why);
    }
    std::string list;
    for (const std::string& t : tried) list += (list.empty() ? "" : "; ") + t;
    d.error = "no controller link found (tried " + list + "); --simulate runs without hardware";
    return d;
}

std::vector<std::string> listLinks(const LinkProbes& probes) {
    std::vector<std::string> lines;
    if (probes.serialPorts) {
        for (const SerialPortSeen& port : probes.serialPorts()) {
            std::string line = "serial:" + port.path;
            if (port.vendorId)
                line += "  usb " + hex4(*port.vendorId) + ":" + (port.productId ? hex4(*port.productId) : "????");
            if (!port.description.empty()) line += "  " + port.description;
            if (isFtdiPort(port)) line += "  (FTDI)";
            lines.push_back(line);
        }
    }
    if (probes.ftdiDevices) {
        std::string why;
        const int n = probes.ftdiDevices(&why);
        if (n > 0) lines.push_back("ftdi  " + std::to_string(n) + " FTDI device(s) on the USB bus, device 0 is used");
        else lines.push_back("ftdi  (none: " + (n < 0 ? why : std::string("no FTDI device")) + ")");
    }
    if (probes.d2xxLoadable) {
        std::string why;
        if (probes.d2xxLoadable(&why)) lines.push_back("d2xx  " + D2xxLibrary::defaultPath() + " loads");
        else lines.push_back("d2xx  (none: " + why + ")");
    }
    lines.push_back("sim   the simulated controller and stack (--simulate)");
    return lines;
}

}  // namespace zmx
