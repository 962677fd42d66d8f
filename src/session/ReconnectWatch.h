#pragma once
// What the program does when the controller stops answering and --reconnect was asked for:
// it waits, identifying once per tick, until the same controller answers again. "The same"
// means the same device (path, or USB serial number) and the same identification text, so a
// second controller plugged in meanwhile is not taken for the first.
//
//   ReconnectWatch watch;
//   switch (watch.identified(ok, reply, link.backend().deviceIdentity(), nowMs)) {
//       case ReconnectWatch::Event::Lost: ... show "waiting" ...
//       case ReconnectWatch::Event::Back: ... re-read the boards, carry on ...
//   }

#include <cstdint>
#include <string>

namespace zmx {

class ReconnectWatch {
public:
    enum class Event {
        Answering,  // connected, and this identification succeeded
        Lost,       // this identification failed: the controller is lost from now
        StillLost,  // lost, and nothing (or nothing usable) answered
        Stranger,   // lost, and a controller answered that is not the one that was lost
        Back,       // lost, and the same controller answered again
    };

    // One identification's outcome: whether a supported controller answered, its reply, the
    // link's idea of which device it is, and the time (a monotonic clock in ms).
    Event identified(bool ok, const std::string& reply, const std::string& device, int64_t nowMs);

    bool lost() const { return lost_; }
    // How long the controller has been lost (0 when it is not).
    int64_t lostForMs(int64_t nowMs) const { return lost_ ? nowMs - lostAtMs_ : 0; }
    // How long it was gone the last time it came back.
    int64_t lastGapMs() const { return lastGapMs_; }
    // What the lost controller answered and which device it was, for messages.
    const std::string& knownReply() const { return knownReply_; }
    const std::string& knownDevice() const { return knownDevice_; }

private:
    bool lost_ = false;
    int64_t lostAtMs_ = 0;
    int64_t lastGapMs_ = 0;
    std::string knownReply_;
    std::string knownDevice_;
};

// "3.2 s", "1 min 05 s", "2 h 03 min": a gap as a person reads it.
std::string gapText(int64_t ms);

}  // namespace zmx
