#include "link/ControllerLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "protocol/Frames.h"

namespace zmx {

ControllerLink::ControllerLink(std::unique_ptr<LinkBackend> backend) : backend_(std::move(backend)) {}

bool ControllerLink::openTrace(const std::string& path) {
    traceFile_.open(path, std::ios::out | std::ios::trunc);
    return traceFile_.is_open();
}

// Opens the device, sets the time-outs and drops anything left waiting from an earlier
// exchange, so no character of one transfer reaches the reply of another. A device that
// cannot be opened is not an error here: its reads simply return nothing.
bool ControllerLink::begin(int readMs, int writeMs) {
    ++transfers_;
    if (!backend_->open()) return false;
    backend_->setTimeouts(readMs, writeMs);
    backend_->purgeInput();
    return true;
}

void ControllerLink::SendOnly(std::string_view text) {
    std::string drained;
    if (begin(kTransferTimeoutMs, kTransferTimeoutMs)) {
        if (!text.empty()) backend_->write(text);
        // A "T" item makes the controller answer two characters although nothing is read
        // back; take them now, within a short bound, so they cannot start the next reply.
        if (const std::size_t echo = echoLength(text); echo > 0) {
            backend_->setTimeouts(kEchoDrainTimeoutMs, kTransferTimeoutMs);
            drained = backend_->read(echo);
        }
        backend_->close();
    }
    trace("SendOnly", text, drained);
}

std::string ControllerLink::SendAndReceive(std::string_view text, std::size_t replyChars) {
    std::string reply;
    if (begin(kTransferTimeoutMs, kTransferTimeoutMs)) {
        backend_->write(text);
        reply = backend_->read(std::min(replyChars, kReplyBufferMax));
        backend_->close();
    }
    trace("SendAndReceive", text, reply);
    return reply;
}

std::string ControllerLink::Identify() {
    std::string reply;
    if (begin(kIdentReadTimeoutMs, kIdentWriteTimeoutMs)) {
        backend_->write(kIdentifyText);
        reply = backend_->read(kIdentReplyMax);
        backend_->close();
    }
    trace("Identify", kIdentifyText, reply);
    return reply;
}

void ControllerLink::SendLowCurrentStandby() { SendOnly(kLowCurrentText); }

void ControllerLink::CloseOpenFrame() { SendOnly(kCloseFrameText); }

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
