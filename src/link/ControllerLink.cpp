#include "link/ControllerLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "link/ReadDeadline.h"
#include "protocol/Frames.h"

namespace zmx {

ControllerLink::ControllerLink(std::unique_ptr<LinkBackend> backend) : backend_(std::move(backend)) {}

void ControllerLink::replaceBackend(std::unique_ptr<LinkBackend> backend) {
    backend_->close();
    backend_ = std::move(backend);
}

bool ControllerLink::openTrace(const std::string& path) {
    traceFile_.open(path, std::ios::out | std::ios::trunc);
    return traceFile_.is_open();
}

// Opens the device when it is not open yet (first transfer, or after a failure), sets the
// time-outs and drops anything left waiting from an earlier exchange, so no character of
// one transfer reaches the reply of another. A device that cannot be opened is not an error
// here: its reads simply return nothing.
bool ControllerLink::begin(int readMs, int writeMs) {
    ++transfers_;
    prefetched_.clear();
    if (!backend_->isOpen() && !backend_->open()) return false;
    if (replyCutShort_) settleLateReply();
    backend_->setTimeouts(readMs, writeMs);
    backend_->purgeInput();
    return backend_->isOpen();
}

// Bounded by one ordinary transfer time, so a controller that chatters without end cannot
// hold the program.
void ControllerLink::settleLateReply() {
    replyCutShort_ = false;
    const int quiet = quietGapMs(backend_->wireTiming());
    const int64_t deadline = steadyNowMs() + kTransferTimeoutMs;
    backend_->setTimeouts(quiet, kTransferTimeoutMs);
    std::string late;
    while (backend_->isOpen() && steadyNowMs() < deadline) {
        const std::string more = backend_->read(kReplyBufferMax);
        if (more.empty()) break;
        late += more;
    }
    if (!late.empty()) trace("LateReply", {}, late);
}

void ControllerLink::closeUnless(bool ok) {
    if (!ok) backend_->close();
}

void ControllerLink::SendOnly(std::string_view text) {
    std::string drained;
    if (begin(kTransferTimeoutMs, kTransferTimeoutMs)) {
        const bool sent = text.empty() || backend_->write(text) == text.size();
        closeUnless(sent);
        // A "T" item makes the controller answer two characters although nothing is read
        // back; take them now, so they cannot start the next reply. They come once the text
        // has crossed the wire, so the wait follows the characters, line rate and latency.
        const WireTiming wire = backend_->wireTiming();
        if (const std::size_t echo = echoLength(text); sent && echo > 0 && backend_->isOpen()) {
            backend_->setTimeouts(replyWaitMs(wire, text.size(), echo), kTransferTimeoutMs);
            drained = backend_->read(echo);
            replyCutShort_ = drained.size() < echo;
        }
        // The text must have left the chip before the next transfer counts on it (a
        // conversion's measure time, a read-back after a write).
        if (sent && !text.empty() && backend_->isOpen()) backend_->drainOutput(replyWaitMs(wire, text.size(), 0));
    }
    trace("SendOnly", text, drained);
}

void ControllerLink::prefetchReplies(const std::vector<std::pair<std::string, std::size_t>>& exchanges) {
    std::deque<Prefetched> taken;
    for (std::size_t i = 0; i < exchanges.size();) {
        std::string text;
        std::size_t total = 0, j = i;
        for (; j < exchanges.size() && total + exchanges[j].second <= kReplyBufferMax; ++j) {
            text += exchanges[j].first;
            total += exchanges[j].second;
        }
        if (j == i) ++j;  // a single reply longer than the buffer: left to its own transfer
        std::string reply;
        if (total > 0 && begin(kTransferTimeoutMs, kTransferTimeoutMs)) {
            if (backend_->write(text) == text.size()) reply = backend_->read(total);
            replyCutShort_ = reply.size() < total;
            closeUnless(!reply.empty());
        }
        trace("SendAndReceive", text, reply);
        std::size_t at = 0;
        for (std::size_t k = i; k < j && total > 0; ++k) {
            const std::size_t n = exchanges[k].second;
            taken.push_back({exchanges[k].first, at < reply.size() ? reply.substr(at, n) : std::string()});
            at += n;
        }
        i = j;
    }
    prefetched_ = std::move(taken);
}

std::string ControllerLink::SendAndReceive(std::string_view text, std::size_t replyChars) {
    if (!prefetched_.empty()) {
        Prefetched p = std::move(prefetched_.front());
        prefetched_.pop_front();
        if (p.request == text) {
            p.reply.resize(std::min(p.reply.size(), replyChars));
            return p.reply;
        }
        prefetched_.clear();  // out of step: every transfer is its own again
    }
    std::string reply;
    if (begin(kTransferTimeoutMs, kTransferTimeoutMs)) {
        const std::size_t want = std::min(replyChars, kReplyBufferMax);
        if (backend_->write(text) == text.size()) reply = backend_->read(want);
        replyCutShort_ = reply.size() < want;
        closeUnless(!reply.empty() || replyChars == 0);
    }
    trace("SendAndReceive", text, reply);
    return reply;
}

// The first character may take up to the whole 200 ms; after it, the reply is over once the
// line has been quiet for two latency periods (or 50 characters are in).
std::string ControllerLink::Identify() {
    std::string reply;
    if (begin(kIdentReadTimeoutMs, kIdentWriteTimeoutMs)) {
        const int64_t deadline = steadyNowMs() + kIdentReadTimeoutMs;
        if (backend_->write(kIdentifyText) == kIdentifyText.size()) {
            reply = backend_->read(1);
            const int quiet = quietGapMs(backend_->wireTiming());
            while (!reply.empty() && reply.size() < kIdentReplyMax && backend_->isOpen()) {
                const int64_t left = deadline - steadyNowMs();
                if (left <= 0) break;
                backend_->setTimeouts(static_cast<int>(std::min<int64_t>(left, quiet)), kIdentWriteTimeoutMs);
                const std::string more = backend_->read(kIdentReplyMax - reply.size());
                if (more.empty()) break;
                reply += more;
            }
            replyCutShort_ = reply.empty();
        }
        closeUnless(!reply.empty());
    }
    trace("Identify", kIdentifyText, reply);
    return reply;
}

void ControllerLink::SendLowCurrentStandby() { SendOnly(kLowCurrentText); }

void ControllerLink::CloseOpenFrame() { SendOnly(kCloseFrameText); }

void ControllerLink::traceNote(std::string_view op, std::string_view text) { trace(op, {}, text); }

void ControllerLink::trace(std::string_view op, std::string_view request, std::string_view reply) {
    if (!traceFile_.is_open()) return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &tm);
    char msText[8];
    std::snprintf(msText, sizeof msText, ".%03d", static_cast<int>(ms));
    traceFile_ << stamp << msText << '\t' << op << '\t' << request << '\t' << reply << '\n';
    traceFile_.flush();
}

}  // namespace zmx
