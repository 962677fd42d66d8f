#pragma once
// One way of reaching the LK200 controller: the operations a transfer needs. The device is
// opened once and held open between transfers; a backend closes it by itself after a device
// error, and the next transfer opens it again.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "link/WireTiming.h"

namespace zmx {

class LinkBackend {
public:
    virtual ~LinkBackend() = default;

    // Short description for error lines and traces ("sim", "serial:/dev/ttyUSB0").
    virtual std::string name() const = 0;

    // Opens the device; false when it cannot be opened (lastError() says why).
    virtual bool open() = 0;
    // True between a successful open() and close() (or a device error that closed it).
    virtual bool isOpen() const = 0;
    virtual void setTimeouts(int readMs, int writeMs) = 0;
    // Writes the bytes; returns how many went out.
    virtual std::size_t write(std::string_view bytes) = 0;
    // Returns what arrived within the read time-out, at most maxBytes; never blocks longer.
    virtual std::string read(std::size_t maxBytes) = 0;
    // Drops received input that is already waiting (stale characters of an earlier exchange);
    // never what was written and has not left yet.
    virtual void purgeInput() = 0;
    virtual void close() = 0;

    virtual std::string lastError() const { return {}; }

    // Which physical controller this is, as far as the link can tell: the device path of a
    // serial port, the USB serial number of an FTDI device. Empty before the first open.
    virtual std::string deviceIdentity() const { return name(); }

    // The USB serial number of the adapter behind the link, empty when it has none or the
    // link cannot tell (a pseudo-terminal, the in-process simulator).
    virtual std::string usbSerial() const { return {}; }

    // The line rate and latency timer the link runs with, for waits computed from characters.
    // (No default, here and below: a backend that wraps another must pass them on.)
    virtual WireTiming wireTiming() const = 0;

    // Waits until every byte written has left the transmit side (the chip's FIFO, the
    // driver's buffer), at most timeoutMs; false when some had not left by then. Written
    // bytes are never dropped by the link: a purge drops received data only.
    virtual bool drainOutput(int timeoutMs) = 0;
};

}  // namespace zmx
