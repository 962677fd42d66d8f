#include "session/ReconnectWatch.h"

#include <cstdio>

namespace zmx {

namespace {

// The identification reply without the padding a controller may send after its text.
std::string trimmed(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\r' || s[end - 1] == '\n' || s[end - 1] == '\0')) --end;
    return s.substr(0, end);
}

}  // namespace

ReconnectWatch::Event ReconnectWatch::identified(bool ok, const std::string& reply, const std::string& device,
                                                 int64_t nowMs) {
    if (!lost_) {
        if (ok) {
            knownReply_ = trimmed(reply);
            knownDevice_ = device;
            return Event::Answering;
        }
        lost_ = true;
        lostAtMs_ = nowMs;
        return Event::Lost;
    }
    if (!ok) return Event::StillLost;
    // Nothing known (lost before any success): the first supported controller is taken.
    const bool same = knownReply_.empty() || (trimmed(reply) == knownReply_ && device == knownDevice_);
    if (!same) return Event::Stranger;
    lost_ = false;
    lastGapMs_ = nowMs - lostAtMs_;
    return Event::Back;
}

std::string gapText(int64_t ms) {
    if (ms < 0) ms = 0;
    char buf[48];
    if (ms < 60000) std::snprintf(buf, sizeof buf, "%.1f s", static_cast<double>(ms) / 1000.0);
    else if (ms < 3600000)
        std::snprintf(buf, sizeof buf, "%d min %02d s", static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60));
    else
        std::snprintf(buf, sizeof buf, "%d h %02d min", static_cast<int>(ms / 3600000),
                      static_cast<int>(ms / 60000 % 60));
    return buf;
}

}  // namespace zmx
