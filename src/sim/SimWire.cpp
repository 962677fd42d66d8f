#include "sim/SimWire.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "link/LinkText.h"
#include "sim/ControllerTexts.h"
#include "sim/SimStack.h"

namespace zmx::sim {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
constexpr std::size_t kArrivedLogMax = 1 << 16;
constexpr uint32_t kMaxLineRate = 12000000;

bool isHexPair(std::string_view s) { return s.size() >= 3 && hexValue(s[1]) >= 0 && hexValue(s[2]) >= 0; }

// Length of the item at the start of `buf` as the controller reads it: 0 while it may still
// grow into a longer item, else the characters it takes (1 for one it skips).
std::size_t itemLength(std::string_view buf) {
    if (buf.empty()) return 0;
    switch (buf[0]) {
        case 'M':
            if (buf.size() < 2) return 0;
            if (buf[1] == 'I') return 2;
            if (buf[1] != 'S') return 1;
            if (buf.size() < 3) return 0;
            return buf[2] == 'x' || buf[2] == 'X' ? 3 : 1;
        case 'I':
            if (buf.size() < 2) return 0;
            return buf[1] == 'Z' ? 2 : 1;
        case 'S':
        case 'T':
            if (buf.size() < 3) return hexValue(buf.size() > 1 ? buf[1] : '0') >= 0 ? 0 : 1;
            return isHexPair(buf) ? 3 : 1;
        default: return 1;
    }
}

}  // namespace

std::optional<WireOptions> parseWireKind(const std::string& text, std::string* error) {
    WireOptions o;
    const std::vector<std::string> parts = splitColons(text);
    auto fail = [&](const std::string& why) -> std::optional<WireOptions> {
        if (error) *error = "--wire " + text + ": " + why + " (instant, uart, uart:RATE or fifo)";
        return std::nullopt;
    };
    if (parts[0] == "instant" && parts.size() == 1) o.kind = WireOptions::Kind::Instant;
    else if (parts[0] == "fifo" && parts.size() == 1) o.kind = WireOptions::Kind::Fifo;
    else if (parts[0] == "uart" && parts.size() <= 2) {
        o.kind = WireOptions::Kind::Uart;
        if (parts.size() == 2) {
            char* end = nullptr;
            const unsigned long rate = std::strtoul(parts[1].c_str(), &end, 10);
            if (parts[1].empty() || *end || rate == 0 || rate > kMaxLineRate) return fail("not a line rate");
            o.lineRate = static_cast<uint32_t>(rate);
        }
    } else {
        return fail("not known");
    }
    return o;
}

std::string wireKindText(const WireOptions& o) {
    switch (o.kind) {
        case WireOptions::Kind::Instant: return "instant";
        case WireOptions::Kind::Fifo: return "fifo";
        case WireOptions::Kind::Uart: break;
    }
    return "uart:" + std::to_string(o.lineRate);
}

SimWire::SimWire(std::shared_ptr<SimStack> stack, WireOptions options) : stack_(std::move(stack)), options_(options) {
    processedTo_ = lastTxAt_ = lastReplyAt_ = stack_->nowMs();
}

double SimWire::charMs() const {
    switch (options_.kind) {
        case WireOptions::Kind::Uart: return 10.0 * 1000.0 / std::max<uint32_t>(options_.lineRate, 1);
        case WireOptions::Kind::Fifo: return options_.fifoCharMs;
        case WireOptions::Kind::Instant: break;
    }
    return 0.0;
}

void SimWire::setLatencyMs(double ms) {
    advanceTo(stack_->nowMs());
    options_.latencyMs = std::isfinite(ms) && ms > 0 ? ms : 0.0;
}

std::size_t SimWire::hostWrite(std::string_view bytes) {
    if (!stack_->plugged()) return 0;
    stack_->noteWritten(bytes);
    advanceTo(stack_->nowMs());
    const double step = charMs();
    for (const char c : bytes) {
        // A full FIFO holds the write back until its oldest character has left.
        while (toController_.size() >= options_.txFifoBytes) {
            const double t = toController_.front().at;
            stack_->advanceTo(t);
            advanceTo(t);
        }
        const double start = std::max(stack_->nowMs(), lastTxAt_);
        lastTxAt_ = start + step;
        toController_.push_back({c, lastTxAt_});
    }
    advanceTo(stack_->nowMs());
    return bytes.size();
}

std::string SimWire::hostRead(std::size_t maxBytes, int timeoutMs) {
    const double deadline = stack_->nowMs() + std::max(0, timeoutMs);
    advanceTo(stack_->nowMs());
    while (hostRx_.size() < maxBytes) {
        const double t = nextEventMs();
        if (t > deadline) {
            stack_->advanceTo(deadline);
            advanceTo(deadline);
            break;
        }
        stack_->advanceTo(t);
        advanceTo(t);
    }
    const std::size_t take = std::min(maxBytes, hostRx_.size());
    std::string out = hostRx_.substr(0, take);
    hostRx_.erase(0, take);
    return out;
}

std::size_t SimWire::hostAvailable() {
    advanceTo(stack_->nowMs());
    return hostRx_.size();
}

void SimWire::purgeReceived() {
    advanceTo(stack_->nowMs());
    hostRx_.clear();
    chipRx_.clear();
}

void SimWire::purgeTransmit() {
    advanceTo(stack_->nowMs());
    txDropped_ += toController_.size();
    toController_.clear();
    lastTxAt_ = stack_->nowMs();
}

std::size_t SimWire::transmitPending() {
    advanceTo(stack_->nowMs());
    return toController_.size();
}

bool SimWire::waitTransmitEmpty(int timeoutMs) {
    advanceTo(stack_->nowMs());
    if (toController_.empty()) return true;
    const double deadline = stack_->nowMs() + std::max(0, timeoutMs);
    const double t = std::min(toController_.back().at, deadline);
    stack_->advanceTo(t);
    advanceTo(t);
    return toController_.empty();
}

void SimWire::setDtr(bool high) {
    advanceTo(stack_->nowMs());
    if (dtr_ && !high) {
        // The controller's reset line: it and the chips it powers start over; what it had
        // queued to send is gone.
        stack_->powerOnReset();
        itemBuf_.clear();
        toChip_.clear();
        lastReplyAt_ = stack_->nowMs();
        ++resets_;
    }
    dtr_ = high;
}

double SimWire::nextEventMs() const {
    double t = kNever;
    if (!toController_.empty()) t = std::min(t, toController_.front().at);
    if (!toChip_.empty()) t = std::min(t, toChip_.front().at);
    if (!chipRx_.empty()) t = std::min(t, timerStart_ + options_.latencyMs);
    return t;
}

void SimWire::advanceTo(double ms) {
    if (!stack_->plugged()) {
        // Unplugged: the chip has no power, nothing it held survives.
        toController_.clear();
        toChip_.clear();
        itemBuf_.clear();
        chipRx_.clear();
        hostRx_.clear();
        processedTo_ = lastTxAt_ = lastReplyAt_ = std::max(processedTo_, ms);
        return;
    }
    for (;;) {
        const double tx = toController_.empty() ? kNever : toController_.front().at;
        const double rx = toChip_.empty() ? kNever : toChip_.front().at;
        const double flush = chipRx_.empty() ? kNever : timerStart_ + options_.latencyMs;
        const double t = std::min({tx, rx, flush});
        if (t > ms) break;
        processedTo_ = std::max(processedTo_, t);
        if (t == tx) {
            const Timed c = toController_.front();
            toController_.pop_front();
            arriveAtController(c.c, c.at);
        } else if (t == rx) {
            const Timed c = toChip_.front();
            toChip_.pop_front();
            landInChip(c.c, c.at);
        } else {
            flushToHost();
        }
    }
    processedTo_ = std::max(processedTo_, ms);
}

void SimWire::arriveAtController(char c, double at) {
    if (!dtr_) {
        ++lostInReset_;
        return;
    }
    if (arrived_.size() >= kArrivedLogMax) arrived_.erase(0, kArrivedLogMax / 2);
    arrived_ += c;
    itemBuf_ += c;
    stack_->advanceTo(at);
    feedItems();
    takeControllerReplies(at);
}

void SimWire::feedItems() {
    for (std::size_t n; (n = itemLength(itemBuf_)) > 0;) {
        stack_->receiveItem(std::string_view(itemBuf_).substr(0, n));
        itemBuf_.erase(0, n);
    }
}

// The stack stamps a reply with its own clock, which may already be past the moment the
// item arrived (the wire catches up lazily); only the reply's own delay is taken from it.
void SimWire::takeControllerReplies(double at) {
    const double step = charMs();
    const double stackNow = stack_->nowMs();
    for (const SimStack::QueuedReply& r : stack_->takeQueuedReplies()) {
        const double ready = at + std::max(0.0, r.readyAt - stackNow);
        for (const char c : r.text) {
            const double start = std::max(ready, lastReplyAt_);
            lastReplyAt_ = start + step;
            toChip_.push_back({c, lastReplyAt_});
        }
    }
}

void SimWire::landInChip(char c, double at) {
    if (chipRx_.size() >= options_.rxBufferBytes) return;  // a full buffer loses characters
    if (chipRx_.empty()) timerStart_ = at;
    chipRx_ += c;
    if (chipRx_.size() >= options_.usbPacketBytes) flushToHost();
}

void SimWire::flushToHost() {
    hostRx_ += chipRx_;
    chipRx_.clear();
}

}  // namespace zmx::sim
