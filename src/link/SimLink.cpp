#include "link/SimLink.h"

#include <cmath>

namespace zmx {

namespace {
std::shared_ptr<sim::SimStack> orNew(std::shared_ptr<sim::SimStack> stack) {
    return stack ? std::move(stack) : std::make_shared<sim::SimStack>();
}
}  // namespace

SimLink::SimLink(std::shared_ptr<sim::SimStack> stack, sim::WireOptions wire)
    : stack_(orNew(std::move(stack))), wire_(stack_, wire) {}

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
    if (wire_.instant()) {
        stack_->receive(bytes);
        return bytes.size();
    }
    return wire_.hostWrite(bytes);
}

std::string SimLink::read(std::size_t maxBytes) {
    if (gone()) return {};
    if (wire_.instant()) return stack_->takeReply(maxBytes, readMs_);
    return wire_.hostRead(maxBytes, readMs_);
}

void SimLink::purgeInput() {
    if (gone()) return;
    if (wire_.instant()) stack_->discardPending();
    else wire_.purgeReceived();
}

bool SimLink::drainOutput(int timeoutMs) {
    if (gone()) return false;
    return wire_.instant() || wire_.waitTransmitEmpty(timeoutMs);
}

WireTiming SimLink::wireTiming() const {
    const sim::WireOptions& o = wire_.options();
    if (o.kind == sim::WireOptions::Kind::Instant) return {0, 0};
    return {o.kind == sim::WireOptions::Kind::Uart ? o.lineRate : 0u, static_cast<int>(std::ceil(o.latencyMs))};
}

void SimLink::close() { open_ = false; }

}  // namespace zmx
