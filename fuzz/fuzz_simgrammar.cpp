// The simulated controller's text grammar on any text: nothing it receives may crash it,
// and what it answers stays bounded.

#include <cstdint>
#include <string_view>

#include "sim/SimStack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static zmx::sim::SimStack* stack = [] {
        auto* s = new zmx::sim::SimStack();
        s->useManualClock(true);
        return s;
    }();
    // The first byte splits the input into two transfers, as a pseudo-terminal may deliver it.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    stack->receive(text.substr(0, cut));
    (void)stack->takeReply(512, 1000);
    stack->receive(text.substr(cut));
    (void)stack->takeReply(512, 1000);
    stack->discardPending();
    // Each input frees what it allocated: the fuzzer then has no reason to run a leak scan
    // after it, which would otherwise cost far more than the input itself.
    stack->clearReceived();
    return 0;
}
