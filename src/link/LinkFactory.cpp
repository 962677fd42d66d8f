#include "link/LinkFactory.h"

#include "link/D2xxLink.h"
#include "link/FtdiLink.h"
#include "link/LinkSpec.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"

namespace zmx {

LinkChoice makeLink(const std::string& linkText, const SimLinkOptions& simOptions, const LinkProbes& probes) {
    LinkChoice c;
    const LinkSpec spec = parseLinkSpec(linkText);
    if (!spec.error.empty()) {
        c.error = spec.error;
        return c;
    }
    switch (spec.kind) {
        case LinkSpec::Kind::Sim: {
            sim::SimOptions opt;
            opt.boards = simOptions.boards;
            if (!simOptions.idText.empty()) opt.idText = simOptions.idText;
            c.simStack = std::make_shared<sim::SimStack>(opt);
            c.backend = std::make_unique<SimLink>(c.simStack);
            return c;
        }
        case LinkSpec::Kind::Serial:
            if (!SerialLink::available()) {
                c.error = "link " + linkText + ": this build has no serial port support (qt6-serialport-dev)";
                return c;
            }
            c.backend = std::make_unique<SerialLink>(spec.path, spec.rate);
            return c;
        case LinkSpec::Kind::Ftdi:
            if (!FtdiLink::available()) {
                c.error = "link " + linkText + ": this build has no libftdi1 support (libftdi1-dev)";
                return c;
            }
            c.backend = std::make_unique<FtdiLink>(FtdiTarget{spec.serial, spec.vendorId, spec.productId, spec.rate});
            return c;
        case LinkSpec::Kind::D2xx: {
            std::string why;
            auto lib = D2xxLibrary::load({}, &why);
            if (!lib) {
                c.error = "link " + linkText + ": " + why + "; --simulate runs without hardware";
                return c;
            }
            c.backend = std::make_unique<D2xxLink>(std::move(lib),
                                                   D2xxTarget{spec.serial, spec.vendorId, spec.productId, spec.rate});
            return c;
        }
        case LinkSpec::Kind::Auto: break;
    }
    const DiscoveredLink found = discoverDefaultLink(probes);
    if (found.link.empty()) {
        c.error = found.error;
        return c;
    }
    return makeLink(found.link, simOptions, probes);
}

}  // namespace zmx
