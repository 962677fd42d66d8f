#pragma once
// One way of reaching the LK200 controller: the five operations a transfer needs.
// A transfer opens the device, sets the time-outs, writes, reads, and closes again.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zmx {

class LinkBackend {
public:
    virtual ~LinkBackend() = default;

    // Short description for error lines and traces ("sim", "serial:/dev/ttyUSB0").
    virtual std::string name() const = 0;

    // Opens the device; false when it cannot be opened (lastError() says why).
    virtual bool open() = 0;
    virtual void setTimeouts(int readMs, int writeMs) = 0;
    // Writes the bytes; returns how many went out.
    virtual std::size_t write(std::string_view bytes) = 0;
    // Returns what arrived within the read time-out, at most maxBytes; never blocks longer.
    virtual std::string read(std::size_t maxBytes) = 0;
    // Drops input that is already waiting (stale characters of an earlier exchange).
    virtual void purgeInput() = 0;
    virtual void close() = 0;

    virtual std::string lastError() const { return {}; }
};

}  // namespace zmx
