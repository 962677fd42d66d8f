#include "link/LinkFactory.h"

#include "link/D2xxLink.h"
#include "link/FtdiLink.h"
#include "link/LinkText.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"

namespace zmx {

LinkChoice makeLink(const std::string& linkText, const SimLinkOptions& simOptions, const LinkProbes& probes) {
    LinkChoice c;
    const ParsedLink parsed = parseLinkText(linkText);
    if (!parsed.error.empty()) {
        c.error = parsed.error;
        return c;
    }
    switch (parsed.kind) {
        case ParsedLink::Kind::Sim: {
            sim::SimOptions opt;
            opt.boards = simOptions.boards;
            if (!simOptions.idText.empty()) opt.idText = simOptions.idText;
            opt.padIdentification =
                simOptions.padIdentification || simOptions.wire.kind == sim::WireOptions::Kind::Instant;
            c.simStack = std::make_shared<sim::SimStack>(opt);
            c.backend = std::make_unique<SimLink>(c.simStack, simOptions.wire);
            return c;
        }
        case ParsedLink::Kind::Serial:
            if (!SerialLink::available()) {
                c.error = "link " + linkText + ": this build has no serial port support (qt6-serialport-dev)";
                return c;
            }
            c.backend = std::make_unique<SerialLink>(parsed.path, parsed.rate);
            return c;
        case ParsedLink::Kind::Ftdi:
            if (!FtdiLink::available()) {
                c.error = "link " + linkText + ": this build has no libftdi1 support (libftdi1-dev)";
                return c;
            }
            c.backend =
                std::make_unique<FtdiLink>(FtdiTarget{parsed.serial, parsed.vendorId, parsed.productId, parsed.rate});
            return c;
        case ParsedLink::Kind::D2xx: {
            std::string why;
            auto lib = D2xxLibrary::load({}, &why);
            if (!lib) {
                c.error = "link " + linkText + ": " + why + "; --simulate runs without hardware";
                return c;
            }
            c.backend = std::make_unique<D2xxLink>(
                std::move(lib), D2xxTarget{parsed.serial, parsed.vendorId, parsed.productId, parsed.rate});
            return c;
        }
        case ParsedLink::Kind::Auto: break;
    }
    const DiscoveredLink found = discoverDefaultLink(probes);
    if (found.link.empty()) {
        c.error = found.error;
        return c;
    }
    return makeLink(found.link, simOptions, probes);
}

}  // namespace zmx
