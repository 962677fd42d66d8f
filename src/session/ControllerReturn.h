#pragma once
// The --reconnect procedure both front ends run on the session: who the controller is at
// start-up, the tick's identification while it answers, and the tick while it is lost. A
// controller that answers after a loss is read with the session's listeners held back, so
// nothing of a stranger reaches a recording or a view; when it is not the lost one the state
// is put back as it was. A serial link whose tty does not answer is moved to the tty that
// now carries the lost adapter's USB serial number (unplugged, back as ttyUSB1).
//
//   ControllerReturn back(session);                  // real probes of the machine
//   if (!back.start()) warn("no USB serial number: sameness cannot be proven");
//   tick: if (back.lost()) r = back.lookForLost(nowMs); else back.identifyOnTick(nowMs);

#include <memory>
#include <string>

#include "link/LinkDiscovery.h"
#include "session/ReconnectWatch.h"

namespace zmx {

class StackSession;
class LinkBackend;

// The USB serial number of the adapter behind the link: for a serial link that of the port
// (among the probes' serial ports) whose canonical path is the link's, so a symbolic link
// or a tty that has gone is told apart; for a USB link the backend's own.
std::string adapterSerialOf(const LinkBackend& backend, const LinkProbes& probes);

class ControllerReturn {
public:
    // What a tick while lost came to.
    struct Outcome {
        ReconnectWatch::Event event = ReconnectWatch::Event::StillLost;  // StillLost, Stranger or Back
        std::string device;   // the link that answered ("serial:/dev/ttyUSB1")
        std::string movedTo;  // set when the link moved to another tty to find it
    };

    explicit ControllerReturn(StackSession& session, LinkProbes probes = realLinkProbes());
    ~ControllerReturn();
    ControllerReturn(const ControllerReturn&) = delete;
    ControllerReturn& operator=(const ControllerReturn&) = delete;

    // Takes the controller that has just been identified as the one to wait for. False when
    // its adapter tells no USB serial number (sameness then rests on text and boards).
    bool start();
    // A tick's identification while connected: Answering or Lost.
    ReconnectWatch::Event identifyOnTick(int64_t nowMs);
    // The caller's own identification failed: the controller is lost from now.
    void markLost(int64_t nowMs);
    // A tick while lost: identification (on another tty if the lost adapter moved), then,
    // for a controller that may be it, every board's configuration read; on Back the reads
    // are handed to the listeners.
    Outcome lookForLost(int64_t nowMs);

    bool lost() const { return watch_.lost(); }
    const ReconnectWatch& watch() const { return watch_; }

private:
    // The path of the tty that now carries the lost adapter's serial number, when the link is
    // a serial link and that is not where it points; empty otherwise.
    std::string movedPort() const;

    StackSession& session_;
    LinkProbes probes_;
    ReconnectWatch watch_;
};

// The warning of a --reconnect run whose controller tells no USB serial number.
std::string unprovenSamenessWarning(const std::string& linkName);

}  // namespace zmx
