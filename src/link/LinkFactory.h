#pragma once
// Turns the --link choice into a backend. The simulated stack is an ordinary backend.

#include <memory>
#include <string>

#include "link/LinkBackend.h"
#include "link/LinkDiscovery.h"
#include "sim/SimWire.h"

namespace zmx {
namespace sim {
class SimStack;
}

struct LinkChoice {
    std::unique_ptr<LinkBackend> backend;
    std::shared_ptr<sim::SimStack> simStack;  // set for the simulated link
    std::string error;                        // why no backend could be made
};

// What the simulated link is made with when the link text is "sim".
struct SimLinkOptions {
    int boards = 10;
    std::string idText;  // empty: the simulator's own identification text
    // The wire between link and controller: strict (9600 baud, 16 ms latency) unless told.
    sim::WireOptions wire;
    // Pads the identification to 50 characters; an instant wire always does (its old habit).
    bool padIdentification = false;
};

// Makes the backend a link text names (see LinkText.h for the forms); an empty text lets the
// probes find one (see discoverDefaultLink).
LinkChoice makeLink(const std::string& linkText, const SimLinkOptions& sim = {},
                    const LinkProbes& probes = realLinkProbes());

}  // namespace zmx
