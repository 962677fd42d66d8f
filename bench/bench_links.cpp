// Transfers over a pseudo-terminal, in one run so the figures compare:
//   pty_rdcfg     the bare round trip: the 23 characters of one RDCFG written to a pty that is
//                 kept open, the other end answering the 22 characters the controller would;
//   serial_rdcfg  one RDCFG through the serial link (held open) to a zmx7730-sim child;
//   serial_pass   one continuous-mode pass of ten boards over that link, per tick;
//   links         all three, and the ratio of the first two medians.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QComboBox>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <atomic>
#include <cstring>
#include <thread>

#include "BenchHarness.h"
#include "link/ControllerLink.h"
#include "link/SerialLink.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "sim/SimStack.h"
#include "window/shell/Form1.h"

namespace zmx::bench {
namespace links_cases {

constexpr const char* kRdcfg = "MSxT80T49T02TCERRRRRRRX";
constexpr std::size_t kReplyChars = 22;

// What the controller answers: the echo of the four "T" items, the configuration and its PEC.
std::string rdcfgReply() {
    std::string r = "804902CE";
    for (uint8_t b : sim::kPowerOnConfig) r += byteText(b);
    return r + byteText(pecOf(sim::kPowerOnConfig));
}
constexpr int kPassBoards = 10;
constexpr int kTicksPerPass = 3 * kPassBoards;
constexpr int kPasses = 3;

QString simProgram() {
    const QString fromEnv = qEnvironmentVariable("ZMX_BINARY_DIR");
    const QString dir = fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() + "/.." : fromEnv;
    return QDir(dir).filePath("zmx7730-sim");
}

// zmx7730-sim as a child process, for the length of one case.
struct Sim {
    QProcess p;
    std::string pty;
    explicit Sim(int boards) {
        p.start(simProgram(), {"--sim-boards", QString::number(boards), "--seed", "1", "--wire", "instant"});
        if (p.waitForStarted(5000) && p.waitForReadyRead(5000))
            pty = QString::fromLatin1(p.readLine()).trimmed().toStdString();
        if (pty.empty()) std::printf("cannot start %s\n", qPrintable(simProgram()));
    }
    ~Sim() {
        p.terminate();
        p.waitForFinished(5000);
    }
};

Figures serialRdcfg(int runs) {
    Figures f;
    if (!SerialLink::available()) {
        std::printf("serial_rdcfg: this build has no serial port support\n");
        return f;
    }
    Sim sim(1);
    if (sim.pty.empty()) return f;
    ControllerLink link(std::make_unique<SerialLink>(sim.pty));
    if (link.SendAndReceive(kRdcfg, kReplyChars).size() != kReplyChars) {
        std::printf("serial_rdcfg: no reply from the simulator on %s\n", sim.pty.c_str());
        return f;
    }
    std::size_t shortReplies = 0;
    f = timeRuns(runs, [&] { shortReplies += link.SendAndReceive(kRdcfg, kReplyChars).size() != kReplyChars; });
    report("RDCFG over the serial link to zmx7730-sim", runs, f);
    if (shortReplies) std::printf("  (%zu short replies)\n", shortReplies);
    return f;
}

// Reads exactly n characters from fd within a second; false on a time-out or error.
bool readExactly(int fd, std::size_t n, char* buf) {
    std::size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0) return false;
        const ssize_t k = ::read(fd, buf + got, n - got);
        if (k <= 0) return false;
        got += static_cast<std::size_t>(k);
    }
    return true;
}

Figures ptyRdcfg(int runs) {
    Figures f;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return f;
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    const std::size_t requestChars = std::strlen(kRdcfg);
    const std::string reply = rdcfgReply();
    std::atomic<bool> stop{false};
    // The controller's end: takes a whole request, answers a whole reply.
    std::thread controller([&] {
        char buf[64];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            if (!readExactly(master, requestChars, buf)) continue;
            if (::write(master, reply.data(), reply.size()) != static_cast<ssize_t>(reply.size())) break;
        }
    });
    std::size_t shortReplies = 0;
    f = timeRuns(runs, [&] {
        char buf[64];
        if (::write(slave, kRdcfg, requestChars) != static_cast<ssize_t>(requestChars) ||
            !readExactly(slave, kReplyChars, buf))
            ++shortReplies;
    });
    stop = true;
    controller.join();
    ::close(slave);
    ::close(master);
    report("bare RDCFG round trip over a pty", runs, f);
    if (shortReplies) std::printf("  (%zu short replies)\n", shortReplies);
    return f;
}

// The window on the serial link to a ten-board simulator, continuous mode on; each tick is
// the identification and one read of the sequence, as the running program makes them.
void serialPass(int) {
    if (!SerialLink::available()) return;
    Sim sim(kPassBoards);
    if (sim.pty.empty()) return;
    ControllerLink link(std::make_unique<SerialLink>(sim.pty));
    Seams s = defaultSeams();
    s.messageBox = [](const QString&) {};
    s.exitProgram = [](int) {};
    s.errorLine = [](const QString&) {};
    Form1 form(link, s);
    if (!form.Form_Load()) {
        std::printf("serial_pass: the simulator was not identified\n");
        return;
    }
    form.Timer1.stop();
    form.ui.Combo1->setCurrentIndex(kPassBoards - 1);
    form.Combo1_Click();
    form.Command1_Click(10);                                      // continuous mode
    for (int i = 0; i < kTicksPerPass; ++i) form.Timer1_Timer();  // one pass to warm up
    std::vector<double> us;
    std::vector<double> passUs;
    for (int p = 0; p < kPasses; ++p) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kTicksPerPass; ++i) {
            const auto t1 = std::chrono::steady_clock::now();
            form.Timer1_Timer();
            us.push_back(microsecondsSince(t1));
        }
        passUs.push_back(microsecondsSince(t0));
    }
    std::printf("serial_pass: %d passes of %d boards (%d ticks a pass) over the serial link\n", kPasses, kPassBoards,
                kTicksPerPass);
    report("tick over the serial link (handler only)", static_cast<int>(us.size()), figuresOf(us));
    report("whole pass over the serial link", kPasses, figuresOf(passUs));
}

void links(int runs) {
    const Figures bare = ptyRdcfg(runs);
    const Figures serial = serialRdcfg(runs);
    if (bare.medianUs > 0 && serial.medianUs > 0)
        std::printf("serial RDCFG / bare pty round trip (medians): %.2fx\n", serial.medianUs / bare.medianUs);
    serialPass(runs);
}

Register r1("pty_rdcfg", [](int runs) { ptyRdcfg(runs); });
Register r2("serial_rdcfg", [](int runs) { serialRdcfg(runs); });
Register r3("serial_pass", serialPass);
Register r4("links", links);

}  // namespace links_cases
}  // namespace zmx::bench
