#pragma once
// The wire between the PC and the simulated controller, as strict as the real LK200: an FTDI
// chip in front of a microcontroller.
//
//   PC write -> transmit FIFO -> line (10 bits a character) -> controller -> its answer
//   characters -> line -> receive buffer -> USB packet (latency timer or 62 bytes) -> PC
//
// - The transmit FIFO drains at the line rate after the write has returned; a transmit purge
//   drops what has not left yet.
// - The controller acts on each item of its text as its last character arrives: a "T" echo
//   or an "R" byte is answered once that item is in, the identification once "IZ" is in.
// - Received characters wait in the chip until its latency timer (started by the first
//   character into an empty buffer) expires or 62 of them fill a USB packet.
// - DTR low holds the controller in reset: a falling edge returns controller and chips to
//   their power-on state, and characters that arrive meanwhile are lost.
//
// Time is the stack's clock (SimStack::nowMs); nothing here sleeps. A reader that waits moves
// the clock to when its characters arrive, so tests run at full speed and stay exact. The
// pseudo-terminal server calls advanceTo() with the real clock instead.
//
//   SimWire wire(stack, WireOptions{});      // uart:9600, latency 16 ms
//   wire.hostWrite("MSxT80T49T02TCERRRRRRRX");
//   std::string reply = wire.hostRead(22, 1000);

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zmx::sim {

class SimStack;

struct WireOptions {
    enum class Kind { Instant, Uart, Fifo };
    Kind kind = Kind::Uart;  // Instant: no wire at all, every reply at once
    uint32_t lineRate = 9600;
    double latencyMs = 16.0;
    std::size_t usbPacketBytes = 62;  // payload of one 64-byte USB packet
    std::size_t txFifoBytes = 128;    // the chip's transmit buffer
    std::size_t rxBufferBytes = 384;  // the chip's receive buffer; beyond it characters are lost
    double fifoCharMs = 0.0;          // a FIFO-type chip moves characters without a line rate
};

// Parses "instant", "uart", "uart:RATE" or "fifo"; nullopt with *error set otherwise.
std::optional<WireOptions> parseWireKind(const std::string& text, std::string* error);
// "uart:9600", "fifo", "instant".
std::string wireKindText(const WireOptions& options);

class SimWire {
public:
    SimWire(std::shared_ptr<SimStack> stack, WireOptions options);

    const WireOptions& options() const { return options_; }
    bool instant() const { return options_.kind == WireOptions::Kind::Instant; }
    // Milliseconds one character spends on the line.
    double charMs() const;
    // The latency timer, as the PC's driver would set it (1 ms, or 16 at power-on).
    void setLatencyMs(double ms);

    // --- the PC's side ---
    // Puts the bytes into the transmit FIFO; when the FIFO is full the call waits (moves the
    // clock) until there is room, as the driver's write would. Returns the count accepted.
    std::size_t hostWrite(std::string_view bytes);
    // Up to maxBytes delivered characters, waiting up to timeoutMs for them to arrive.
    std::string hostRead(std::size_t maxBytes, int timeoutMs);
    // Characters delivered to the PC and not read yet (after moving the clock to now).
    std::size_t hostAvailable();
    // Drops received characters: those delivered and those still in the chip.
    void purgeReceived();
    // Drops what the transmit FIFO still holds (what a transmit purge does).
    void purgeTransmit();
    // Characters written that have not reached the controller yet.
    std::size_t transmitPending();
    // Moves the clock until the transmit FIFO is empty, at most timeoutMs; true when it is.
    bool waitTransmitEmpty(int timeoutMs);
    void setDtr(bool high);
    bool dtr() const { return dtr_; }

    // --- accounting, for tests ---
    std::size_t droppedByTransmitPurge() const { return txDropped_; }
    std::size_t lostInReset() const { return lostInReset_; }
    std::size_t resets() const { return resets_; }
    // Characters that reached the controller, in order (bounded; oldest dropped first).
    const std::string& arrivedAtController() const { return arrived_; }
    void clearArrived() { arrived_.clear(); }

    // Processes everything due up to the stack time `ms`.
    void advanceTo(double ms);
    // Time of the next thing the wire will do (infinity when idle).
    double nextEventMs() const;

    SimStack& stack() { return *stack_; }

private:
    struct Timed {
        char c;
        double at;  // arrival at the far end of the line
    };
    void arriveAtController(char c, double at);
    void takeControllerReplies(double at);
    void landInChip(char c, double at);
    void flushToHost();
    // Splits complete controller items off the front of itemBuf_.
    void feedItems();

    std::shared_ptr<SimStack> stack_;
    WireOptions options_;
    std::deque<Timed> toController_;
    double lastTxAt_ = 0.0;  // when the line towards the controller is free
    std::string itemBuf_;
    std::deque<Timed> toChip_;
    double lastReplyAt_ = 0.0;  // when the line from the controller is free
    std::string chipRx_;
    double timerStart_ = 0.0;
    std::string hostRx_;
    double processedTo_ = 0.0;
    bool dtr_ = true;
    std::size_t txDropped_ = 0;
    std::size_t lostInReset_ = 0;
    std::size_t resets_ = 0;
    std::string arrived_;
};

}  // namespace zmx::sim
