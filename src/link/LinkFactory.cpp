#include "link/LinkFactory.h"

#include "link/D2xxLink.h"
#include "link/FtdiLink.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"

namespace zmx {

LinkChoice makeLink(const std::string& linkText, const SimLinkOptions& simOptions, const LinkProbes& probes) {
    LinkChoice c;
    if (linkText == "sim") {
        sim::SimOptions opt;
        opt.boards = simOptions.boards;
        if (!simOptions.idText.empty()) opt.idText = simOptions.idText;
        c.simStack = std::make_shared<sim::SimStack>(opt);
        c.backend = std::make_unique<SimLink>(c.simStack);
        return c;
    }
    if (linkText.rfind("serial:", 0) == 0) {
        if (!SerialLink::available()) {
            c.error = "link " + linkText + ": this build has no serial port support (qt6-serialport-dev)";
            return c;
        }
        c.backend = std::make_unique<SerialLink>(linkText.substr(7));
        return c;
    }
    if (linkText == "ftdi") {
        if (!FtdiLink::available()) {
            c.error = "link ftdi: this build has no libftdi1 support (libftdi1-dev)";
            return c;
        }
        c.backend = std::make_unique<FtdiLink>();
        return c;
    }
    if (linkText == "d2xx") {
        std::string why;
        auto lib = D2xxLibrary::load({}, &why);
        if (!lib) {
            c.error = "link d2xx: " + why + "; --simulate runs without hardware";
            return c;
        }
        c.backend = std::make_unique<D2xxLink>(std::move(lib));
        return c;
    }
    if (linkText.empty()) {
        const DiscoveredLink found = discoverDefaultLink(probes);
        if (found.link.empty()) {
            c.error = found.error;
            return c;
        }
        return makeLink(found.link, simOptions, probes);
    }
    c.error = "link " + linkText + " is not known; --link takes sim, serial:PATH, ftdi or d2xx";
    return c;
}

}  // namespace zmx
