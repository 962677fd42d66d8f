#pragma once
// Shared helpers of the tests that need no window: a link backend that records every
// transfer, and a stack state made without a window.

#include <memory>
#include <string>
#include <vector>

#include "link/LinkBackend.h"
#include "model/StackState.h"
#include "session/ReadEvents.h"

namespace zmx::test {

// Passes everything to another backend and keeps the texts written, one per transfer.
class RecordingBackend : public LinkBackend {
public:
    explicit RecordingBackend(std::unique_ptr<LinkBackend> inner) : inner_(std::move(inner)) {}
    std::string name() const override { return inner_->name(); }
    // Every transfer drops stale input first; one whose device cannot be opened ends at the open.
    bool open() override {
        const bool ok = inner_->open();
        if (!ok) transfers.emplace_back();
        return ok;
    }
    bool isOpen() const override { return inner_->isOpen(); }
    void setTimeouts(int readMs, int writeMs) override { inner_->setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override {
        writes.emplace_back(bytes);
        if (!transfers.empty()) transfers.back() += bytes;
        return inner_->write(bytes);
    }
    std::string read(std::size_t maxBytes) override { return inner_->read(maxBytes); }
    void purgeInput() override {
        transfers.emplace_back();
        inner_->purgeInput();
    }
    void close() override { inner_->close(); }
    std::string lastError() const override { return inner_->lastError(); }
    std::string deviceIdentity() const override { return inner_->deviceIdentity(); }
    std::string usbSerial() const override { return inner_->usbSerial(); }
    WireTiming wireTiming() const override { return inner_->wireTiming(); }
    bool drainOutput(int timeoutMs) override { return inner_->drainOutput(timeoutMs); }

    std::vector<std::string> writes;
    // One entry per transfer, with what it wrote: "" when it wrote nothing.
    std::vector<std::string> transfers;

private:
    std::unique_ptr<LinkBackend> inner_;
};

// A stack state without a window: `boards` boards at 0x80 upward, each with the power-on
// configuration image and WRCFG in broadcast form.
StackState stackOf(int boards);

// A read of all twelve cells of a board, taken in a millisecond: cell n at base + 0.01 (n - 1)
// volts, with the codes that give those volts.
BoardRead twelveCellRead(int slot, int64_t utcMs, float base = 3.70f, bool pecMatch = true);
// Sets cell (1 to 12) of a read to volts, its code with it.
void setCellVolts(BoardRead& read, int cell, float volts);

}  // namespace zmx::test
