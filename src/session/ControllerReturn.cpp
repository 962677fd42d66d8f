#include "session/ControllerReturn.h"

#include <filesystem>

#include "link/ControllerLink.h"
#include "link/LinkBackend.h"
#include "link/LinkText.h"
#include "link/SerialLink.h"
#include "session/StackSession.h"

namespace zmx {

namespace {

// The path a serial link names, empty for any other link.
std::string serialPathOf(const LinkBackend& backend) {
    const ParsedLink p = parseLinkText(backend.name());
    return p.kind == ParsedLink::Kind::Serial ? p.path : std::string();
}

// The file a path finally names; the path itself when it does not exist (a tty gone).
std::string canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path c = std::filesystem::canonical(path, ec);
    return ec ? path : c.string();
}

}  // namespace

std::string adapterSerialOf(const LinkBackend& backend, const LinkProbes& probes) {
    const std::string path = serialPathOf(backend);
    if (path.empty()) return backend.usbSerial();
    if (!probes.serialPorts) return {};
    const std::string target = canonical(path);
    for (const SerialPortSeen& port : probes.serialPorts())
        if (canonical(port.path) == target) return port.serialNumber;
    return {};
}

std::string unprovenSamenessWarning(const std::string& linkName) {
    return "--reconnect: " + linkName +
           " tells no USB serial number, so a controller that answers after a loss is taken as the same "
           "one when its identification text and the boards answering are the same; that cannot prove it "
           "is the same stack";
}

ControllerReturn::ControllerReturn(StackSession& session, LinkProbes probes)
    : session_(session), probes_(std::move(probes)) {
    session_.addListener(&watch_);
}

ControllerReturn::~ControllerReturn() { session_.removeListener(&watch_); }

bool ControllerReturn::start() {
    const std::string serial = adapterSerialOf(session_.link().backend(), probes_);
    watch_.start({session_.lastIdentReply(), serial});
    return !serial.empty();
}

ReconnectWatch::Event ControllerReturn::identifyOnTick(int64_t nowMs) {
    const bool ok = session_.identify();
    return watch_.identified(ok, {session_.lastIdentReply(), {}}, nowMs);
}

void ControllerReturn::markLost(int64_t nowMs) { watch_.identified(false, {}, nowMs); }

std::string ControllerReturn::movedPort() const {
    const std::string path = serialPathOf(session_.link().backend());
    const std::string& serial = watch_.known().usbSerial;
    if (path.empty() || serial.empty() || !probes_.serialPorts) return {};
    const std::string here = canonical(path);
    for (const SerialPortSeen& port : probes_.serialPorts())
        if (port.serialNumber == serial && canonical(port.path) != here) return port.path;
    return {};
}

ControllerReturn::Outcome ControllerReturn::lookForLost(int64_t nowMs) {
    Outcome out;
    ControllerLink& link = session_.link();
    bool ok = session_.identify();
    if (!ok) {
        if (const std::string moved = movedPort(); !moved.empty()) {
            const WireTiming timing = link.backend().wireTiming();
            link.replaceBackend(
                std::make_unique<SerialLink>(moved, timing.lineRate > 0 ? timing.lineRate : kDefaultLineRate));
            out.movedTo = link.backend().name();
            ok = session_.identify();
        }
    }
    out.device = link.backend().name();
    const ControllerSeen seen{session_.lastIdentReply(), ok ? adapterSerialOf(link.backend(), probes_) : ""};
    out.event = watch_.identified(ok, seen, nowMs);
    if (out.event != ReconnectWatch::Event::Candidate) return out;

    // Read every board before anyone hears of it; a stranger leaves no trace in the state.
    const StackState before = session_.state();
    session_.holdListeners(true);
    const std::vector<BoardRead> reads = session_.readConfigAll();
    session_.holdListeners(false);
    out.event = watch_.boardsRead(reads, nowMs);
    if (out.event == ReconnectWatch::Event::Back) session_.deliver(reads);
    else session_.state() = before;
    return out;
}

}  // namespace zmx
