#include "link/LinkFactory.h"

#include "link/SimLink.h"
#include "sim/SimStack.h"

namespace zmx {

LinkChoice makeLink(const CommandLine& cl) {
    LinkChoice c;
    if (cl.link == "sim") {
        sim::SimOptions opt;
        opt.boards = cl.simBoards;
        if (!cl.simId.empty()) opt.idText = cl.simId;
        c.simStack = std::make_shared<sim::SimStack>(opt);
        c.backend = std::make_unique<SimLink>(c.simStack);
        return c;
    }
    if (cl.link.empty()) {
        c.error = "no controller link found (tried: none in this build); --simulate runs without hardware";
        return c;
    }
    c.error = "link " + cl.link + " is not available in this build; --simulate runs without hardware";
    return c;
}

}  // namespace zmx
