#include "link/TtySysfs.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zmx {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without its line end; empty when it cannot be read.
std::string readAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

fs::path latencyFile(const std::string& ttyName, const std::string& sysRoot) {
    return fs::path(sysRoot) / "class/tty" / ttyName / "device/latency_timer";
}

// The number in the latency_timer file, or 0 when there is none.
int latencyFromFile(const fs::path& file) {
    const std::string text = readAttribute(file);
    char* end = nullptr;
    const long ms = std::strtol(text.c_str(), &end, 10);
    return (!text.empty() && *end == '\0' && ms > 0 && ms <= 255) ? static_cast<int>(ms) : 0;
}

// Sets the driver's low-latency flag; ftdi_sio lets any user with the device open set it.
bool setLowLatencyFlag(int fd) {
    serial_struct ss{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &ss) != 0) return false;
    if (ss.flags & ASYNC_LOW_LATENCY) return true;
    ss.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &ss) == 0 && ::ioctl(fd, TIOCGSERIAL, &ss) == 0 && (ss.flags & ASYNC_LOW_LATENCY);
}

}  // namespace

std::string ttyKernelName(const std::string& devicePath) {
    std::error_code ec;
    const fs::path real = fs::canonical(devicePath, ec);
    return ec ? std::string() : real.filename().string();
}

std::string usbSerialOfTty(const std::string& ttyName, const std::string& sysRoot) {
    if (ttyName.empty() || ttyName == "." || ttyName == "..") return {};
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path(sysRoot) / "class/tty" / ttyName / "device", ec);
    if (ec) return {};
    const fs::path top = fs::canonical(sysRoot, ec);
    for (; !ec && dir.has_relative_path() && dir != top; dir = dir.parent_path()) {
        // The nearest USB device is the adapter; stop there even without a serial number,
        // or the walk would reach the root hub and report the host controller's.
        if (fs::exists(dir / "idVendor", ec)) return readAttribute(dir / "serial");
    }
    return {};
}

int lowerLatency(int fd, const std::string& ttyName, const std::string& sysRoot) {
    const bool flagSet = setLowLatencyFlag(fd);
    const fs::path file = ttyName.empty() ? fs::path() : latencyFile(ttyName, sysRoot);
    if (!flagSet && !file.empty() && ::access(file.c_str(), W_OK) == 0) {
        std::ofstream out(file);
        out << "1";
    }
    // The file reports the timer in effect (1 while the flag is set); without it, a flag the
    // driver accepted is all there is to go by.
    if (const int ms = file.empty() ? 0 : latencyFromFile(file)) return ms;
    return flagSet ? 1 : kDefaultLatencyMs;
}

}  // namespace zmx
