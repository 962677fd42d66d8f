#pragma once
// Turns the --link choice into a backend. The simulated stack is an ordinary backend.

#include <memory>
#include <string>

#include "link/LinkBackend.h"
#include "link/LinkDiscovery.h"
#include "shell/CommandLine.h"

namespace zmx {
namespace sim {
class SimStack;
}

struct LinkChoice {
    std::unique_ptr<LinkBackend> backend;
    std::shared_ptr<sim::SimStack> simStack;  // set for the simulated link
    std::string error;                        // why no backend could be made
};

// Without --link the probes find one (see discoverDefaultLink).
LinkChoice makeLink(const CommandLine& cl, const LinkProbes& probes = realLinkProbes());

}  // namespace zmx
