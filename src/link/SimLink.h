#pragma once
// The simulated stack as an ordinary link backend. Between the link and the simulated
// controller sits the wire model (sim/SimWire.h): by default as strict as the real LK200
// (9600 baud, a 16 ms latency timer, a transmit FIFO that drains after the write returned);
// WireOptions::Kind::Instant hands each write to the controller whole and takes its reply
// at once, for measuring the program's own cost.

#include <memory>

#include "link/LinkBackend.h"
#include "sim/SimStack.h"
#include "sim/SimWire.h"

namespace zmx {

class SimLink : public LinkBackend {
public:
    // Tests keep their own pointer to the stack to inject faults while the link runs.
    explicit SimLink(std::shared_ptr<sim::SimStack> stack = std::make_shared<sim::SimStack>(),
                     sim::WireOptions wire = {});

    std::string name() const override { return "sim"; }
    bool open() override;
    bool isOpen() const override { return open_; }
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }
    WireTiming wireTiming() const override;
    bool drainOutput(int timeoutMs) override;

    sim::SimStack& stack() { return *stack_; }
    sim::SimWire& wire() { return wire_; }
    int readTimeoutMs() const { return readMs_; }
    int writeTimeoutMs() const { return writeMs_; }

private:
    // True when the link is closed, closing it first when the controller was unplugged.
    bool gone();

    std::shared_ptr<sim::SimStack> stack_;
    sim::SimWire wire_;
    bool open_ = false;
    int readMs_ = 1000;
    int writeMs_ = 1000;
    std::string lastError_;
};

}  // namespace zmx
