#include "link/LinkFactory.h"

#include "link/D2xxLink.h"
#include "link/FtdiLink.h"
#include "link/SerialLink.h"
#include "link/SimLink.h"
#include "sim/SimStack.h"

namespace zmx {

LinkChoice makeLink(const CommandLine& cl, const LinkProbes& probes) {
    LinkChoice c;
    if (cl.link == "sim") {
        sim::SimOptions opt;
        opt.boards = cl.simBoards;
        if (!cl.simId.empty()) opt.idText = cl.simId;
        c.simStack = std::make_shared<sim::SimStack>(opt);
        c.backend = std::make_unique<SimLink>(c.simStack);
        return c;
    }
    if (cl.link.rfind("serial:", 0) == 0) {
        if (!SerialLink::available()) {
            c.error = "link " + cl.link + ": this build has no serial port support (qt6-serialport-dev)";
            return c;
        }
        c.backend = std::make_unique<SerialLink>(cl.link.substr(7));
        return c;
    }
    if (cl.link == "ftdi") {
        if (!FtdiLink::available()) {
            c.error = "link ftdi: this build has no libftdi1 support (libftdi1-dev)";
            return c;
        }
        c.backend = std::make_unique<FtdiLink>();
        return c;
    }
    if (cl.link == "d2xx") {
        std::string why;
        auto lib = D2xxLibrary::load({}, &why);
        if (!lib) {
            c.error = "link d2xx: " + why + "; --simulate runs without hardware";
            return c;
        }
        c.backend = std::make_unique<D2xxLink>(std::move(lib));
        return c;
    }
    if (cl.link.empty()) {
        const DiscoveredLink found = discoverDefaultLink(probes);
        if (found.link.empty()) {
            c.error = found.error;
            return c;
        }
        CommandLine chosen = cl;
        chosen.link = found.link;
        return makeLink(chosen, probes);
    }
    c.error = "link " + cl.link + " is not known; --link takes sim, serial:PATH, ftdi or d2xx";
    return c;
}

}  // namespace zmx
