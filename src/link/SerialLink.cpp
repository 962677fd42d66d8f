#include "link/SerialLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/ReadDeadline.h"
#include "link/TtyHolder.h"
#include "link/TtyLine.h"
#include "link/TtySysfs.h"

namespace zmx {

namespace {

// The most one read() takes; a reply is far shorter, a burst of stale input is read in turns.
constexpr std::size_t kReadChunk = 4096;

// Between two looks at a transmit queue that is emptying into the chip.
constexpr int kDrainNapMs = 1;

constexpr short kGone = POLLERR | POLLHUP | POLLNVAL;

std::string errnoText(int err) { return std::strerror(err); }

}  // namespace

SerialLink::SerialLink(std::string path, uint32_t rate) : path_(std::move(path)), rate_(rate) {
    timing_.lineRate = rate_;
    timing_.latencyMs = kDefaultLatencyMs;
}

SerialLink::~SerialLink() { close(); }

bool SerialLink::available() { return true; }

bool SerialLink::failOpen(std::string why) {
    lastError_ = std::move(why);
    return false;
}

void SerialLink::failDevice(std::string why) {
    lastError_ = std::move(why);
    close();
}

std::string SerialLink::inUseText(int ownFd) const {
    const std::string holders = describeTtyHolders(path_, ownFd);
    return "cannot open " + path_ + ": another program has the port open" +
           (holders.empty() ? "" : " (" + holders + ")") + ": close it, or choose another --link";
}

bool SerialLink::open() {
    close();
    // O_NONBLOCK: neither the open nor a read waits for a carrier or for data by itself.
    const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        std::string text = "cannot open " + path_ + ": " + errnoText(err);
        if (err == EBUSY) return failOpen(inUseText(-1));  // held exclusive (TIOCEXCL) by another program
        if (err == EACCES || err == EPERM)
            text += " (add your user to the dialout group, or install the udev rule of the README)";
        else if (err == ENOENT || err == ENODEV || err == ENXIO)
            text += " (is the LK200 plugged in? --list-links shows the ports there are)";
        return failOpen(text);
    }
    if (!::isatty(fd)) {
        ::close(fd);
        return failOpen("cannot open " + path_ + ": not a serial device");
    }
    // The lock is on the device, not on the name, so a second program is refused whether it
    // came by a symlink or by /dev/serial/by-id. TIOCEXCL also turns away programs that take
    // no lock (root passes it, the lock still stops a second instance).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        const std::string text = err == EWOULDBLOCK ? inUseText(fd) : "cannot lock " + path_ + ": " + errnoText(err);
        ::close(fd);
        return failOpen(text);
    }
    ::ioctl(fd, TIOCEXCL);
    const LineSetup line = setRawLine(fd, path_, rate_);
    if (!line.error.empty()) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return failOpen(line.error);
    }
    const std::string tty = ttyKernelName(path_);
    timing_.lineRate = line.rate;
    timing_.latencyMs = lowerLatency(fd, tty);
    usbSerial_ = usbSerialOfTty(tty);
    fd_ = fd;
    lastError_.clear();
    return true;
}

void SerialLink::setTimeouts(int readMs, int writeMs) {
    readMs_ = readMs;
    writeMs_ = writeMs;
}

std::size_t SerialLink::write(std::string_view bytes) {
    if (fd_ < 0 || bytes.empty()) return 0;
    const int64_t deadline = steadyNowMs() + std::max(writeMs_, 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            failDevice("write to " + path_ + " failed: " + errnoText(errno));
            return done;
        }
        // The driver's buffer is full: wait for room, up to the write time-out.
        pollfd p{fd_, POLLOUT, 0};
        const int64_t left = deadline - steadyNowMs();
        const int ready = left > 0 ? ::poll(&p, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready > 0 && (p.revents & kGone) && !(p.revents & POLLOUT)) {
            failDevice("write to " + path_ + " failed: the device went away");
            return done;
        }
        if (ready <= 0) {
            // The rest of a cut command must not reach the controller ahead of the next one,
            // and queued output would hold up the close for the driver's closing wait.
            ::tcflush(fd_, TCOFLUSH);
            failDevice("write to " + path_ + " did not complete within " + std::to_string(writeMs_) + " ms");
            return done;
        }
    }
    return done;
}

std::string SerialLink::read(std::size_t maxBytes) {
    if (fd_ < 0) return {};
    std::string why;
    auto readSome = [&](std::size_t want, int waitMs) -> std::optional<std::string> {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0 && errno != EINTR) {
            why = errnoText(errno);
            return std::nullopt;
        }
        if (ready <= 0) return std::string();
        std::string chunk(std::min(want, kReadChunk), '\0');
        const ssize_t n = ::read(fd_, chunk.data(), chunk.size());
        if (n > 0) {
            chunk.resize(static_cast<std::size_t>(n));
            return chunk;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            why = errnoText(errno);  // EIO: the other end of the line is gone
            return std::nullopt;
        }
        // With VMIN 0 a read of 0 bytes just means "nothing yet", unless the line hung up.
        if (p.revents & kGone) {
            why = "the device went away";
            return std::nullopt;
        }
        return std::string();
    };
    DeadlineRead r = readWithDeadline(maxBytes, readMs_, readSome, steadyNowMs);
    if (r.failed) failDevice("read from " + path_ + " failed: " + why);
    return std::move(r.bytes);
}

void SerialLink::purgeInput() {
    if (fd_ < 0) return;
    // Input only: the tail of a command written just before must still reach the controller.
    if (::tcflush(fd_, TCIFLUSH) != 0) failDevice("the device " + path_ + " went away: " + errnoText(errno));
}

bool SerialLink::drainOutput(int timeoutMs) {
    if (fd_ < 0) return false;
    const int64_t deadline = steadyNowMs() + std::max(timeoutMs, 0);
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            failDevice("the device " + path_ + " went away: " + errnoText(errno));
            return false;
        }
        // A pseudo-terminal has no queue of its own (TIOCOUTQ stays 0): what the other end
        // has not taken yet shows as a buffer without room, so room is looked at as well.
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 0);
        if (ready > 0 && (p.revents & kGone) && !(p.revents & POLLOUT)) {
            failDevice("the device " + path_ + " went away");
            return false;
        }
        const bool room = ready > 0 && (p.revents & POLLOUT);
        if (queued == 0 && room) break;
        const int64_t left = deadline - steadyNowMs();
        if (left <= 0) return false;
        // A full buffer says by itself when it has room again; a queue emptying into the
        // chip is looked at every millisecond.
        if (room) ::poll(nullptr, 0, kDrainNapMs);
        else ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left, kReadSliceMs)));
    }
    // The driver has handed everything to the chip; tcdrain waits for the chip's transmitter
    // (ftdi_sio asks it), at most its FIFO at the line rate.
    while (::tcdrain(fd_) != 0) {
        if (errno == EINTR) continue;
        failDevice("the device " + path_ + " went away: " + errnoText(errno));
        return false;
    }
    return true;
}

std::string SerialLink::usbSerial() const {
    if (fd_ >= 0 || !usbSerial_.empty()) return usbSerial_;
    return usbSerialOfTty(ttyKernelName(path_));
}

void SerialLink::close() {
    if (fd_ < 0) return;
    // HUPCL is clear, so the close leaves DTR and RTS as they are; the lock goes with it.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace zmx
