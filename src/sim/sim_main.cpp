// zmx7730-sim: the simulated LK200 controller and ZMX7730 stack served on a pseudo-terminal,
// so the program (and anything else) can talk to it as to a serial device:
//     zmx7730-sim --sim-boards 3        -> prints /dev/pts/N
//     zmx7730-gui --link serial:/dev/pts/N

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkText.h"
#include "sim/ControllerTexts.h"
#include "sim/SimStack.h"
#include "sim/SimWire.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onStop(int) { stopRequested = 1; }

// SIGUSR1 pulls the controller's plug (it stops answering, the terminal stays), SIGUSR2 plugs
// it back in; the main loop acts on them and says so on standard output.
volatile std::sig_atomic_t plugRequest = 0;  // 0 none, 1 unplug, 2 plug
void onUnplug(int) { plugRequest = 1; }
void onPlug(int) { plugRequest = 2; }

// A text that stays incomplete this long is handed over as it is, as a controller would
// act on whatever it got.
constexpr int kQuietFlushMs = 50;
constexpr int kIdlePollMs = 100;

const char* kUsage =
    "Usage: zmx7730-sim [options]\n"
    "Serves the simulated LK200 controller and ZMX7730 stack on a pseudo-terminal and prints\n"
    "its path (use it with zmx7730-gui --link serial:PATH). Ends on SIGTERM or Ctrl-C.\n\n"
    "Options:\n"
    "  --sim-boards N           boards present at 0x80 upward (0..16, default 10)\n"
    "  --sim-id TEXT            the controller's identification text\n"
    "  --seed N                 seed of the per-cell offsets and of the noise\n"
    "  --noise                  a few codes of seeded noise on every conversion\n"
    "  --absent SLOT            no board at slot SLOT (0 = 0x80), repeatable\n"
    "  --corrupt-one-in N       corrupt the PEC of one reply in N\n"
    "  --thermal SLOT           thermal shutdown on the board at SLOT\n"
    "  --cell SLOT:CELL:VOLTS   the voltage cell CELL (1..12) of SLOT really holds\n"
    "  --open-wire SLOT:CELL    an open wire at cell CELL (1..12) of SLOT\n"
    "  --self-test-fault SLOT:CELL:CODE\n"
    "                           self tests latch the hex CODE (000..FFF) at cell CELL of SLOT\n"
    "  --delay-ms MS            delay of every reply\n"
    "  --wire KIND              the wire to the controller: uart (9600 baud, the default),\n"
    "                           uart:RATE, fifo (a FIFO-type chip, no line rate) or instant\n"
    "                           (every reply at once, the whole text acted on together)\n"
    "  --latency-ms MS          the chip's latency timer (1..255, default 16)\n"
    "  --sim-id-pad             pad the identification to 50 characters (instant always does)\n"
    "  --replug-new-tty         the re-plugged controller comes back on a new pseudo-terminal,\n"
    "                           whose path is printed before \"plugged\"; the old one goes away\n"
    "  --replug-id TEXT         identification text of the controller that answers after a\n"
    "                           re-plug (a different controller on the same port)\n"
    "  --version                print the version, then exit\n"
    "  --help                   print this help, then exit\n\n"
    "SIGUSR1 unplugs the controller (it stops answering), SIGUSR2 plugs it back in; each prints\n"
    "\"unplugged\" or \"plugged\" when done. A program that closes the terminal with HUPCL set\n"
    "(or sets the rate 0) drops DTR, which resets the controller and the chips to power-on.\n";

struct Fault {
    enum Kind { Absent, Thermal, Cell, OpenWire, SelfTest } kind;
    int slot = 0, cell = 0, code = 0;
    double volts = 0;
};

struct Options {
    zmx::sim::SimOptions sim;
    std::vector<Fault> faults;
    int corruptOneIn = 0;
    double delayMs = 0;
    std::string replugId;
    zmx::sim::WireOptions wire;
    bool padId = false;
    bool replugNewTty = false;
    std::string error;
    bool help = false;
    bool version = false;
};

bool toInt(const std::string& s, int lo, int hi, int* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || errno || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

bool toHexCode(const std::string& s, int* out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 16);
    if (s.empty() || s.size() > 3 || *end || v < 0) return false;
    *out = static_cast<int>(v);
    return true;
}

bool toDouble(const std::string& s, double lo, double hi, double* out) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end || errno || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

Options parse(int argc, char** argv) {
    Options o;
    const int maxSlot = zmx::sim::kMaxBoards - 1;
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                o.error = a + " needs a value";
                return {};
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else if (a == "--noise") o.sim.noise = true;
        else if (a == "--sim-boards") {
            if (!toInt(value(), 0, zmx::sim::kMaxBoards, &o.sim.boards)) o.error = "--sim-boards takes 0 to 16";
        } else if (a == "--sim-id") o.sim.idText = value();
        else if (a == "--seed") {
            int seed = 0;
            if (!toInt(value(), 0, 2147483647, &seed)) o.error = "--seed takes a number";
            o.sim.seed = static_cast<uint32_t>(seed);
        } else if (a == "--absent" || a == "--thermal") {
            Fault f{a == "--absent" ? Fault::Absent : Fault::Thermal};
            if (!toInt(value(), 0, maxSlot, &f.slot)) o.error = a + " takes a slot from 0 to 15";
            o.faults.push_back(f);
        } else if (a == "--cell") {
            const auto p = zmx::splitColons(value());
            Fault f{Fault::Cell};
            if (p.size() != 3 || !toInt(p[0], 0, maxSlot, &f.slot) || !toInt(p[1], 1, 12, &f.cell) ||
                !toDouble(p[2], -1.0, 6.0, &f.volts))
                o.error = "--cell takes SLOT:CELL:VOLTS (slot 0..15, cell 1..12, volts -1..6)";
            o.faults.push_back(f);
        } else if (a == "--open-wire") {
            const auto p = zmx::splitColons(value());
            Fault f{Fault::OpenWire};
            if (p.size() != 2 || !toInt(p[0], 0, maxSlot, &f.slot) || !toInt(p[1], 1, 12, &f.cell))
                o.error = "--open-wire takes SLOT:CELL (slot 0..15, cell 1..12)";
            o.faults.push_back(f);
        } else if (a == "--self-test-fault") {
            const auto p = zmx::splitColons(value());
            Fault f{Fault::SelfTest};
            if (p.size() != 3 || !toInt(p[0], 0, maxSlot, &f.slot) || !toInt(p[1], 1, 12, &f.cell) ||
                !toHexCode(p[2], &f.code))
                o.error = "--self-test-fault takes SLOT:CELL:CODE (slot 0..15, cell 1..12, code 000..FFF)";
            o.faults.push_back(f);
        } else if (a == "--corrupt-one-in") {
            if (!toInt(value(), 1, 1000000, &o.corruptOneIn)) o.error = "--corrupt-one-in takes a number from 1";
        } else if (a == "--replug-id") {
            o.replugId = value();
        } else if (a == "--wire") {
            std::string why;
            if (auto w = zmx::sim::parseWireKind(value(), &why)) o.wire = *w;
            else if (o.error.empty()) o.error = why;
        } else if (a == "--latency-ms") {
            if (!toDouble(value(), 1, 255, &o.wire.latencyMs)) o.error = "--latency-ms takes 1 to 255";
        } else if (a == "--sim-id-pad") {
            o.padId = true;
        } else if (a == "--replug-new-tty") {
            o.replugNewTty = true;
        } else if (a == "--delay-ms") {
            if (!toDouble(value(), 0, 60000, &o.delayMs)) o.error = "--delay-ms takes 0 to 60000";
        } else {
            o.error = "unknown option " + a;
        }
    }
    return o;
}

// Writes all it can; what does not fit into the terminal's buffer is lost, as replies are
// when nobody reads the device.
void writeReply(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR) continue;
        else break;
    }
}

// The pseudo-terminal the controller is served on. The simulator holds its own descriptor of
// the terminal, which keeps it alive while the program has it closed and lets the simulator
// watch the settings the program leaves: a close with HUPCL set, or the rate 0, is where a
// real port drops DTR.
struct Terminal {
    int master = -1;
    int slave = -1;
    std::string path;
    bool hupcl = false;
    bool rateZero = false;

    bool create() {
        close();
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            std::fprintf(stderr, "zmx7730-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
            return false;
        }
        path = ::ptsname(master);
        slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        if (slave < 0 || ::tcgetattr(slave, &t) != 0) {
            std::fprintf(stderr, "zmx7730-sim: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
            return false;
        }
        ::cfmakeraw(&t);  // no echo, no line editing, no translation: bytes as written
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        ::tcsetattr(slave, TCSANOW, &t);
        hupcl = (t.c_cflag & HUPCL) != 0;
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        return true;
    }

    // True once when the settings say DTR went low: HUPCL put back (a close that restores
    // the settings found at open), or the rate 0.
    bool droppedDtr() {
        termios t{};
        if (slave < 0 || ::tcgetattr(slave, &t) != 0) return false;
        const bool now = (t.c_cflag & HUPCL) != 0;
        const bool rose = now && !hupcl;
        hupcl = now;
        const bool zero = ::cfgetospeed(&t) == B0;
        const bool fell = zero && !rateZero;
        rateZero = zero;
        return rose || fell;
    }

    void close() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
        slave = master = -1;
    }
    ~Terminal() { close(); }
};

}  // namespace

int main(int argc, char** argv) {
    const Options opt = parse(argc, argv);
    if (!opt.error.empty()) {
        std::fprintf(stderr, "zmx7730-sim: %s\n%s", opt.error.c_str(), kUsage);
        return 2;
    }
    if (opt.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (opt.version) {
        std::printf("zmx7730-sim %s\n", ZMX_VERSION);
        return 0;
    }

    zmx::sim::SimOptions simOptions = opt.sim;
    const bool instant = opt.wire.kind == zmx::sim::WireOptions::Kind::Instant;
    simOptions.padIdentification = opt.padId || instant;
    auto stackPtr = std::make_shared<zmx::sim::SimStack>(simOptions);
    zmx::sim::SimStack& stack = *stackPtr;
    zmx::sim::SimWire wire(stackPtr, opt.wire);
    for (const Fault& f : opt.faults) {
        switch (f.kind) {
            case Fault::Absent: stack.setBoardPresent(f.slot, false); break;
            case Fault::Thermal: stack.setThermalShutdown(f.slot, true); break;
            case Fault::Cell: stack.setCellVolts(f.slot, f.cell, f.volts); break;
            case Fault::OpenWire: stack.setOpenWire(f.slot, f.cell, true); break;
            case Fault::SelfTest: stack.setSelfTestFault(f.slot, f.cell, f.code); break;
        }
    }
    if (opt.corruptOneIn > 0) stack.setPecCorruptionRate(opt.corruptOneIn, opt.sim.seed);
    stack.setReplyDelayMs(opt.delayMs);

    Terminal term;
    if (!term.create()) return 1;

    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    struct sigaction plug {};
    plug.sa_handler = onUnplug;
    sigemptyset(&plug.sa_mask);
    sigaction(SIGUSR1, &plug, nullptr);
    plug.sa_handler = onPlug;
    sigaction(SIGUSR2, &plug, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", term.path.c_str());
    std::fflush(stdout);

    zmx::sim::TextAssembler texts;
    int quietMs = 0;
    while (!stopRequested) {
        int waitMs = kIdlePollMs;
        short events = POLLIN;
        if (instant) {
            // Replies that wait for their delay are looked at often; otherwise sleep until input.
            if (opt.delayMs > 0 || texts.hasPartial()) waitMs = 1;
        } else {
            // Wake for the wire's next event; take input only while the line can take it, so
            // what has not left yet stays in the terminal's buffer (where a drain waits for it).
            const double next = wire.nextEventMs() - stack.nowMs();
            if (next < kIdlePollMs) waitMs = std::max(0, static_cast<int>(std::ceil(next)));
            if (stack.plugged() && wire.transmitPending() > 0) events = 0;
        }
        pollfd p{term.master, events, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0 && errno != EINTR) break;
        bool gotInput = false;
        if (ready > 0 && (p.revents & POLLIN)) {
            if (instant || !stack.plugged()) {
                char buf[4096];
                ssize_t n;
                while ((n = ::read(term.master, buf, sizeof buf)) > 0) {
                    if (instant) texts.add(std::string_view(buf, static_cast<std::size_t>(n)));
                    gotInput = true;
                }
            } else {
                char c;
                while (wire.transmitPending() == 0 && ::read(term.master, &c, 1) == 1)
                    wire.hostWrite(std::string_view(&c, 1));
            }
        }
        quietMs = gotInput ? 0 : quietMs + waitMs;
        if (plugRequest != 0) {
            const bool plugIn = plugRequest == 2;
            plugRequest = 0;
            if (plugIn && opt.replugNewTty && !term.create()) break;
            stack.setPlugged(plugIn);
            wire.advanceTo(stack.nowMs());
            if (plugIn && !opt.replugId.empty()) stack.setIdText(opt.replugId);
            if (plugIn && opt.replugNewTty) std::printf("%s\n", term.path.c_str());
            std::printf("%s\n", plugIn ? "plugged" : "unplugged");
            std::fflush(stdout);
        }
        if (term.droppedDtr()) {  // a pulse: the controller starts over, then runs again
            wire.setDtr(false);
            wire.setDtr(true);
        }
        if (instant) {
            // Every transfer of the program starts by dropping stale input, which the simulator
            // cannot see over the terminal; a reply still delayed when the next text comes in
            // is dropped here instead, as the in-process link drops it.
            while (auto text = texts.next()) {
                stack.discardPending();
                stack.receive(*text);
            }
            if (texts.hasPartial() && quietMs >= kQuietFlushMs) {
                stack.discardPending();
                stack.receive(texts.takePartial());
            }
            const std::string reply = stack.takeReply(zmx::sim::kIdReplyLength * 1024, 0);
            if (!reply.empty()) writeReply(term.master, reply);
        } else {
            wire.advanceTo(stack.nowMs());
            const std::string reply = wire.hostRead(wire.hostAvailable(), 0);
            if (!reply.empty()) writeReply(term.master, reply);
        }
    }
    return 0;
}
