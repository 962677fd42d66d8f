#include "link/SimLink.h"

namespace zmx {

SimLink::SimLink(std::shared_ptr<sim::SimStack> stack)
    : stack_(stack ? std::move(stack) : std::make_shared<sim::SimStack>()) {}

bool SimLink::open() {
    open_ = stack_->plugged();
    lastError_ = open_ ? std::string() : std::string("controller unplugged");
    return open_;
}

void SimLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
}

std::size_t SimLink::write(std::string_view bytes) {
    if (!usable()) return 0;
    stack_->receive(bytes);
    return bytes.size();
}

std::string SimLink::read(std::size_t maxBytes) {
    if (!usable()) return {};
    return stack_->takeReply(maxBytes, readMs_);
}

void SimLink::purgeInput() {
    if (usable()) stack_->discardPending();
}

void SimLink::close() { open_ = false; }

}  // namespace zmx
