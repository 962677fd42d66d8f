#pragma once
// What the program does when the controller stops answering and --reconnect was asked for:
// it waits, identifying once per tick, until the same controller answers again.
//
// "The same" is decided by the USB serial number of the controller's adapter when both the
// lost and the answering one tell it (with the same identification text). Without a serial
// number it is the identification text and the same boards answering: the boards that had
// answered with a valid PEC before the loss, against a configuration read of every board of
// the one that answered. That cannot prove it is the same stack, which the front ends say.
//
//   ReconnectWatch watch;                  // also a session listener: it sees which boards answer
//   watch.start({reply, usbSerial});
//   watch.identified(ok, {reply, usbSerial}, nowMs)   -> Answering, Lost, StillLost, Stranger, Candidate
//   watch.boardsRead(configReads, nowMs)              -> Back or Stranger (after a Candidate)

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/StackState.h"
#include "session/ReadEvents.h"

namespace zmx {

// What tells one controller from another.
struct ControllerSeen {
    std::string reply;      // the identification text
    std::string usbSerial;  // the adapter's USB serial number; empty when the link cannot tell
};

class ReconnectWatch : public SessionListener {
public:
    enum class Event {
        Answering,  // connected, and this identification succeeded
        Lost,       // this identification failed: the controller is lost from now
        StillLost,  // lost, and nothing (or nothing usable) answered
        Stranger,   // lost, and a controller answered that is not the one that was lost
        Candidate,  // lost, a controller answered that may be it: read its boards, then boardsRead()
        Back,       // lost, and the same controller answered again
    };
    // Why the last Stranger was refused.
    enum class Mismatch { None, UsbSerial, Identification, Boards };

    // The controller met at start-up: the one a loss waits for.
    void start(const ControllerSeen& controller);
    // One identification's outcome: whether a supported controller answered, who it is, and
    // the time (a monotonic clock in ms).
    Event identified(bool ok, const ControllerSeen& seen, int64_t nowMs);
    // The configuration read of every board of a Candidate, made with no listener attached.
    Event boardsRead(const std::vector<BoardRead>& reads, int64_t nowMs);

    // While connected: every read with a reply tells whether its board answers.
    void onRead(const BoardRead& read) override;

    bool lost() const { return lost_; }
    // How long the controller has been lost (0 when it is not).
    int64_t lostForMs(int64_t nowMs) const { return lost_ ? nowMs - lostAtMs_ : 0; }
    // How long it was gone the last time it came back.
    int64_t lastGapMs() const { return lastGapMs_; }
    const ControllerSeen& known() const { return known_; }
    Mismatch mismatch() const { return mismatch_; }
    // The refusal in words: "USB serial B2, not A1", "boards 1, 2 answer, not 1, 2, 3".
    const std::string& mismatchText() const { return mismatchText_; }

private:
    // Per slot: -1 nothing known, 0 its replies failed their PEC, 1 it answered with a valid PEC.
    using BoardsAnswering = std::array<int8_t, kSlots>;
    static BoardsAnswering nothingKnown() {
        BoardsAnswering b;
        b.fill(-1);
        return b;
    }

    Event refuse(Mismatch why, std::string text);
    void takeBack(int64_t nowMs);

    bool lost_ = false;
    int64_t lostAtMs_ = 0;
    int64_t lastGapMs_ = 0;
    ControllerSeen known_;
    ControllerSeen candidate_;
    BoardsAnswering boards_ = nothingKnown();
    Mismatch mismatch_ = Mismatch::None;
    std::string mismatchText_;
};

// "3.2 s", "1 min 05 s", "2 h 03 min": a gap as a person reads it.
std::string gapText(int64_t ms);

}  // namespace zmx
