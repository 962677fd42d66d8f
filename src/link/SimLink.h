#pragma once
// The simulated stack as an ordinary link backend: each write goes to the simulated
// controller, each read takes its reply within the read time-out of the simulator's clock.

#include <memory>

#include "link/LinkBackend.h"
#include "sim/SimStack.h"

namespace zmx {

class SimLink : public LinkBackend {
public:
    // Tests keep their own pointer to the stack to inject faults while the link runs.
    explicit SimLink(std::shared_ptr<sim::SimStack> stack = std::make_shared<sim::SimStack>());

    std::string name() const override { return "sim"; }
    bool open() override;
    bool isOpen() const override { return open_; }
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }

    sim::SimStack& stack() { return *stack_; }
    int readTimeoutMs() const { return readMs_; }
    int writeTimeoutMs() const { return writeMs_; }

private:
    // True when the link is closed, closing it first when the controller was unplugged.
    bool gone();

    std::shared_ptr<sim::SimStack> stack_;
    bool open_ = false;
    int readMs_ = 1000;
    int writeMs_ = 1000;
    std::string lastError_;
};

}  // namespace zmx
