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

// An unplugged controller fails the write and closes the link, as a USB device that is gone.
bool SimLink::gone() {
    if (!open_ || stack_->plugged()) return !open_;
    open_ = false;
    lastError_ = "controller unplugged";
    return true;
}

std::size_t SimLink::write(std::string_view bytes) {
    if (gone()) return 0;
    stack_->receive(bytes);
    return bytes.size();
}

std::string SimLink::read(std::size_t maxBytes) {
    if (gone()) return {};
    return stack_->takeReply(maxBytes, readMs_);
}

void SimLink::purgeInput() {
    if (!gone()) stack_->discardPending();
}

void SimLink::close() { open_ = false; }

}  // namespace zmx
