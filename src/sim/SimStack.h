#pragma once
// The simulated LK200 controller with its stack of ZMX7730 chips, in process and without
// any real waiting. The controller takes the ASCII texts the PC writes, clocks their bytes
// onto a simulated SPI bus and queues the hexadecimal reply characters; every chip on the
// bus checks PECs, keeps its configuration, latches conversions and answers reads.
//
// Time is the simulator's own clock in milliseconds. It follows the steady clock unless
// useManualClock(true) freezes it for tests; advanceMs() moves it on in both modes. Each
// character written costs kMsPerChar of simulated time, and reads that wait for a reply
// move the clock instead of sleeping.
//
// Readings: cells near 3.7 V with seeded per-board and per-cell offsets (3.62..3.78 V),
// ETMP1 ~1.45 V, ETMP2 ~1.55 V, ITMP ~2.0 V. Registers power up cleared (code 0xFFF)
// and change only through conversions, which a chip in standby (CDC 0) ignores.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmx::sim {

inline constexpr int kMaxBoards = 16;  // addresses 0x80..0x8F
inline constexpr int kCells = 12;
inline constexpr double kWatchdogMs = 2000.0;  // silence after which a measuring chip resets
inline constexpr double kMsPerChar = 0.1;      // cost of one written character
inline constexpr std::size_t kIdReplyLength = 50;
inline constexpr std::array<uint8_t, 6> kPowerOnConfig{0xE0, 0x00, 0x00, 0x00, 0x00, 0x00};

struct SimOptions {
    int boards = 10;  // chips present at 0x80 upward
    std::string idText = "ZMX7730-4 LK200 SIMULATED STACK";
    uint32_t seed = 1;
    bool noise = false;  // a few codes of seeded noise on every conversion
    // The identification padded with spaces to the 50 characters a reader asks for (the
    // in-process stack's habit); a real controller answers its text at its own length.
    bool padIdentification = true;
};

class SimStack {
public:
    explicit SimStack(SimOptions options = {});

    // --- controller side ---
    // The bytes the PC wrote in one transfer; any text is accepted, unknown characters skipped.
    void receive(std::string_view written);
    // Up to maxBytes reply characters that are available within timeoutMs of simulator time.
    // A full read moves the clock to when its last character arrived; a short read waits
    // out its time-out, as the driver would.
    std::string takeReply(std::size_t maxBytes, int timeoutMs);
    // Drops every reply character not yet read, including those still on their way.
    void discardPending();

    // --- the same controller behind a wire (SimWire) ---
    // Logs a text the PC wrote (the wire delivers it item by item later).
    void noteWritten(std::string_view written);
    // One item of a text as it arrives ("MSx", "T80", "R", "IZ", ...): acted on at once,
    // without the per-character cost of receive(); its reply characters are queued.
    void receiveItem(std::string_view item);
    struct QueuedReply {
        double readyAt;
        std::string text;
    };
    // Takes every queued reply with the time it is ready to leave the controller.
    std::vector<QueuedReply> takeQueuedReplies();
    // The controller's reset line: controller and every present chip back to power-on.
    void powerOnReset();
    bool plugged() const { return plugged_; }

    // --- clock ---
    void useManualClock(bool manual);
    void advanceMs(double ms);
    // Moves the clock on to `ms` (never back).
    void advanceTo(double ms);
    double nowMs() const;

    // --- fault injection and scenario set-up (slot = address - 0x80) ---
    // A board put back into the stack powers up: power-on configuration, registers cleared.
    void setBoardPresent(int slot, bool present);
    void setCellVolts(int slot, int cell1to12, double volts);
    // Input of a temperature channel: 0 = ETMP1, 1 = ETMP2, 2 = ITMP (on the volt scale).
    void setTempVolts(int slot, int channel, double volts);
    void setOpenWire(int slot, int cell1to12, bool open);
    void setThermalShutdown(int slot, bool on);
    // A self-test conversion that does not hold up: the register of that cell (1..12) or
    // temperature channel (0 = ETMP1, 1 = ETMP2, 2 = ITMP) latches code instead of the
    // pattern. A code outside 0..0xFFF removes the fault.
    void setSelfTestFault(int slot, int cell1to12, int code);
    void setSelfTestTempFault(int slot, int channel, int code);
    // Unplugging drops the controller's state: pending replies and the open frame.
    void setPlugged(bool plugged);
    // Every reply arrives this late.
    void setReplyDelayMs(double ms);
    // Replies clocked in from the SPI bus (frames with "T" or "R" items) arrive this much
    // later again; the identification, which the controller answers itself, does not.
    void setBusReplyDelayMs(double ms);
    void corruptNextReplies(int n);
    void setPecCorruptionRate(int oneInN, uint32_t seed);  // oneInN <= 0 turns it off
    void setIdText(std::string text) { idText_ = std::move(text); }

    // --- inspection ---
    std::array<uint8_t, 6> config(int slot) const;  // as a read would find it now
    int cellCode(int slot, int cell1to12) const;
    int tempCode(int slot, int channel) const;
    bool boardPresent(int slot) const;
    bool inStandby(int slot) const;
    std::size_t frameCount() const { return frames_; }  // frames opened with "MSx"
    bool frameOpen() const { return frameOpen_; }
    bool spiForcedHigh() const { return spiHigh_; }
    // Texts received, oldest first; bounded so a long session cannot grow it without end.
    const std::vector<std::string>& received() const { return received_; }
    // Forgets the texts received (the log keeps its capacity), so a caller that sends many
    // independent texts to one stack, such as a fuzzer, does not grow it.
    void clearReceived() { received_.clear(); }

private:
    struct Chip {
        bool present = false;
        std::array<uint8_t, 6> cfg = kPowerOnConfig;
        std::array<double, kCells> inputVolts{};  // what the cells really hold
        std::array<bool, kCells> openWire{};
        std::array<double, 3> tempVolts{};  // ETMP1, ETMP2, ITMP inputs
        bool thermalShutdown = false;
        std::array<int, kCells> cellReg{};  // latched 12-bit codes
        std::array<int, 3> tempReg{};
        std::array<std::optional<int>, kCells> cellSelfTestFault{};
        std::array<std::optional<int>, 3> tempSelfTestFault{};
        double lastValidMs = 0.0;  // last command with good PECs for it
    };

    // One SPI transaction: the bytes between opening and closing a frame.
    enum class Phase { First, AddressPec, Command, CommandPec, ConfigData, Done };
    struct Bus {
        Phase phase = Phase::First;
        int target = -1;  // slot, or -1 for broadcast
        uint8_t address = 0, command = 0;
        std::vector<uint8_t> configData;
        std::vector<uint8_t> readOut;  // data bytes and their PEC, shifted out by "R"
        std::size_t readPos = 0;
    };

    struct PendingReply {
        double readyAt;
        std::string text;
        std::size_t pos = 0;
    };

    // Controller grammar.
    void openFrame();
    void closeFrame();
    void sendByte(uint8_t b);
    uint8_t readByte();
    void queueReply(std::string text, double delayMs);

    // Chips.
    void execute(uint8_t command);
    void applyConfig();
    void startRead(const Chip& chip, uint8_t command);
    void convertCells(Chip& chip, int lowDigit, bool openWireTest, bool dischargeHeld);
    void convertTemps(Chip& chip, int lowDigit);
    std::vector<uint8_t> readData(const Chip& chip, uint8_t command) const;
    std::array<uint8_t, 3> flags(const Chip& chip) const;
    void maybeCorrupt(std::vector<uint8_t>& reply);
    void serviceWatchdogs();
    bool watchdogExpired(const Chip& chip) const;
    void powerUp(int slot);
    bool isTarget(int slot) const;

    // Readings.
    int voltsToCode(double volts);
    int noiseCodes();

    const Chip* chipAt(int slot) const;
    Chip* chipAt(int slot);
    // The controller grammar over one text or item; replies are queued.
    void interpret(std::string_view written);

    SimOptions options_;
    std::array<Chip, kMaxBoards> chips_{};
    std::string idText_;

    bool plugged_ = true;
    bool frameOpen_ = false;
    bool spiHigh_ = false;
    std::size_t frames_ = 0;
    Bus bus_;
    std::deque<PendingReply> pending_;
    std::size_t pendingChars_ = 0;
    std::vector<std::string> received_;

    bool manualClock_ = false;
    double manualMs_ = 0.0;
    double offsetMs_ = 0.0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    double replyDelayMs_ = 0.0;
    double busReplyDelayMs_ = 0.0;

    int corruptNext_ = 0;
    int corruptOneInN_ = 0;
    uint64_t corruptRng_ = 0;
    uint64_t noiseRng_ = 0;
};

}  // namespace zmx::sim
