#include "link/TtyLine.h"

#include <termios.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>

#include "link/TtyTermios2.h"

namespace zmx {

namespace {

struct StandardRate {
    uint32_t baud;
    speed_t code;
};

// B0 is left out on purpose: it is not a rate, it drops DTR.
constexpr StandardRate kStandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

const StandardRate* standardRate(uint32_t baud) {
    for (const StandardRate& r : kStandardRates)
        if (r.baud == baud) return &r;
    return nullptr;
}

void makeRaw(termios& t) {
    ::cfmakeraw(&t);
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL | CMSPAR);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    // The link waits with poll() and its own deadline; read() itself never waits.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

// Drivers apply what they can and tcsetattr() succeeds if any of it took: look again.
bool lineIsRaw(const termios& t) {
    return (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL)) &&
           !(t.c_iflag & (IXON | IXOFF));
}

std::string rateText(uint32_t rate) { return "the line rate " + std::to_string(rate) + " baud"; }

}  // namespace

LineSetup setRawLine(int fd, const std::string& path, uint32_t rate) {
    LineSetup s;
    if (rate == 0 || rate > kMaxLineRate) {
        s.error =
            path + " refused " + rateText(rate) + ": an FTDI UART runs 1 to " + std::to_string(kMaxLineRate) + " baud";
        return s;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        s.error = "cannot open " + path + ": not a serial device (" + std::strerror(errno) + ")";
        return s;
    }
    makeRaw(t);
    const StandardRate* standard = standardRate(rate);
    ::cfsetspeed(&t, standard ? standard->code : B9600);  // a placeholder until termios2 sets the rate
    if (::tcsetattr(fd, TCSANOW, &t) != 0 || ::tcgetattr(fd, &t) != 0) {
        s.error = path + " refused 8N1 without flow control: " + std::strerror(errno);
        return s;
    }
    if (!lineIsRaw(t)) {
        s.error = path + " refused 8N1 without flow control: the driver kept other settings";
        return s;
    }
    if (!standard && !setArbitraryLineRate(fd, rate)) {
        s.error = path + " refused " + rateText(rate) + ": " + std::strerror(errno);
        return s;
    }
    // A USB serial driver writes back the rate its chip really runs (ftdi_sio falls back to
    // 9600 for one it cannot make); a different rate would garble every reply.
    const uint32_t inEffect = lineRateInEffect(fd).value_or(rate);
    if (std::abs(double(inEffect) - double(rate)) > kLineRateTolerance * rate) {
        s.error = path + " refused " + rateText(rate) + " (the driver set " + std::to_string(inEffect) + " baud)";
        return s;
    }
    s.rate = inEffect;
    return s;
}

}  // namespace zmx
