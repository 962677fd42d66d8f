// Transfers over a pseudo-terminal: one RDCFG through the serial link to a zmx7730-sim child
// process (open, time-outs, purge, write, read, close, as the window makes it), and a bare
// echo of the same 22 characters over a pty without the link, to show what the terminal
// itself costs.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <atomic>
#include <thread>

#include "BenchHarness.h"
#include "link/ControllerLink.h"
#include "link/SerialLink.h"

namespace zmx::bench {
namespace {

constexpr const char* kRdcfg = "MSxT80T49T02TCERRRRRRRX";
constexpr int kMaxLinkRuns = 500;  // each transfer opens and closes a device

QString simProgram() {
    const QString fromEnv = qEnvironmentVariable("ZMX_BINARY_DIR");
    const QString dir = fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() + "/.." : fromEnv;
    return QDir(dir).filePath("zmx7730-sim");
}

void serialRdcfg(int runs) {
    if (!SerialLink::available()) {
        std::printf("serial_rdcfg: this build has no serial port support\n");
        return;
    }
    QProcess sim;
    sim.start(simProgram(), {"--sim-boards", "1"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::printf("serial_rdcfg: cannot start %s\n", qPrintable(simProgram()));
        return;
    }
    const std::string pty = QString::fromLatin1(sim.readLine()).trimmed().toStdString();
    ControllerLink link(std::make_unique<SerialLink>(pty));
    if (link.SendAndReceive(kRdcfg, 22).size() != 22) {
        std::printf("serial_rdcfg: no reply from the simulator on %s\n", pty.c_str());
    } else {
        runs = std::min(runs, kMaxLinkRuns);
        std::size_t shortReplies = 0;
        const Figures f = timeRuns(runs, [&] { shortReplies += link.SendAndReceive(kRdcfg, 22).size() != 22; });
        report("RDCFG over serial link to zmx7730-sim", runs, f);
        if (shortReplies) std::printf("  (%zu short replies)\n", shortReplies);
    }
    sim.terminate();
    sim.waitForFinished(5000);
}

// 22 characters written on the slave side, echoed by a thread on the master side, read back.
void ptyEcho(int runs) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    std::atomic<bool> stop{false};
    std::thread echo([&] {
        char buf[256];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0 && ::write(master, buf, static_cast<std::size_t>(n)) != n) break;
        }
    });
    const std::string text(kRdcfg, 22);
    const Figures f = timeRuns(runs, [&] {
        if (::write(slave, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return;
        std::size_t got = 0;
        char buf[64];
        while (got < text.size()) {
            pollfd p{slave, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) break;
            const ssize_t n = ::read(slave, buf, sizeof buf);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    });
    stop = true;
    echo.join();
    ::close(slave);
    ::close(master);
    report("bare 22-character echo over a pty", runs, f);
}

Register r1("serial_rdcfg", serialRdcfg);
Register r2("pty_echo", ptyEcho);

}  // namespace
}  // namespace zmx::bench
